#!/usr/bin/env python3
"""Writes, as the JSON that `vyn-profile-log pack` reads, a log whose names are long.

  long_names_log.py [--slower FACTOR] > OUT.json

Three graphs: one of 300 characters without a space, executed 1000 times at
about 1400 us with a 1-in-1000 tail a hundred times slower, with events named by
300 and 280 characters; one of 300 characters of accented words; a small one.
--slower multiplies every time by FACTOR; the same options give the same log.
"""

import argparse
import json
import sys

LONG_GRAPH = ("resnet_" + "very_long_graph_name_" * 15)[:300]
WORDY_GRAPH = ("d\u00e9tection des objets en temps r\u00e9el " * 10)[:300]
LONG_EVENT = ("Layer " + "block_with_a_very_long_name_" * 11)[:300]


def event(name, identifier, value, *sub_events):
    return {"name": name, "identifier": identifier, "valueKind": "UInt64", "unsignedValue": int(value),
            "unit": "Microseconds", "subEvents": list(sub_events)}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--slower", type=float, default=1.0)
    slower = parser.parse_args().slower
    messages, clock = [], 1000

    def execute(graph, duration, *events):
        nonlocal clock
        messages.append({"timestamp": clock, "methodType": "Execute", "name": graph,
                         "timing": {"start": clock, "end": clock + duration}, "events": list(events)})
        clock += duration + 10

    for i in range(1000):
        jitter = (i * 37) % 120 - 60  # -60..59 us, in a fixed pattern
        duration = int((140000 if i == 500 else 1400 + jitter) * slower)
        execute(LONG_GRAPH, duration,
                event(LONG_EVENT, 1, duration * 0.4, event("Compute " + "x" * 272, 2, duration * 0.2)),
                event("Layer fc", 3, duration * 0.3))
        if i % 10 == 0:
            execute(WORDY_GRAPH, int((900 + jitter) * slower), event(LONG_EVENT, 1, 300))
        if i % 100 == 0:
            execute("small", int((700 + jitter) * slower))
    json.dump([{"header": {"timeScale": 1.0, "epochTimestamp": 1767225600000000, "generatorName": "long_names_log.py"},
                "messages": messages}], sys.stdout)


if __name__ == "__main__":
    main()
