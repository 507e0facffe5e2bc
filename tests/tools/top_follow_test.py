#!/usr/bin/env python3
"""vyn-profile-log top following a log while a writer appends to it.

usage: top_follow_test.py TOOL SCHEMA

A log made beforehand is written in pieces (some ending inside a record) with
pauses, then a frame that does not verify and more records, and followed by
`top --format jsonl`: every line fits the schema; a pause inside a record shows
as waiting; the fault is reported once, with exit status 1; the last line keeps
the figures of the records before it, as `stats --format json` gives them, and
counts what was left unread. Without jsonschema the schema check is skipped.
"""
import json
import os
import struct
import subprocess
import sys
import tempfile
import time

TOOL, SCHEMA = sys.argv[1], sys.argv[2]
failures = []

try:
    import jsonschema

    with open(SCHEMA) as schema_file:
        validator = jsonschema.Draft202012Validator(json.load(schema_file))
except ImportError:
    validator = None
    print("note: python3 module jsonschema is not installed: lines are not checked against the schema")


def record_ends(data):
    """Byte offsets where each whole record of data ends."""
    ends, at = [], 0
    while at + 4 <= len(data):
        (length,) = struct.unpack_from("<I", data, at)
        at += 4 + length
        ends.append(at)
    return ends


def parse_lines(out):
    lines = []
    for number, text in enumerate(out.splitlines(), 1):
        try:
            line = json.loads(text)
        except ValueError as error:
            failures.append(f"line {number} is not JSON ({error}): {text[:200]}")
            continue
        if validator is not None:
            failures.extend(f"line {number}: {error.message}" for error in validator.iter_errors(line))
        lines.append(line)
    if not lines:
        failures.append("no lines")
    return lines


def stats_of(path):
    run = subprocess.run([TOOL, "stats", path, "--format", "json", "--unit", "us"], capture_output=True, text=True)
    if run.returncode != 0:
        failures.append(f"stats failed: {run.stderr}")
        return {}
    return {g["name"]: (g["executions"], g["execution_time"]["p50"], g["execution_time"]["p99"])
            for g in json.loads(run.stdout)["graphs"]}


def follow(work, data):
    ends = record_ends(data)
    before = os.path.join(work, "before-damage.log")
    with open(before, "wb") as log:
        log.write(data[:ends[4]])
    garbage = struct.pack("<I", 40) + b"\xee" * 40
    # Cut points: inside the first length prefix, inside records, and on a
    # record's end; after the one in the middle of a record, a longer pause.
    middle = (ends[1] + ends[2]) // 2
    pieces, start = [], 0
    for cut in [2, ends[0] + 10, ends[1], middle, ends[3], ends[4]]:
        pieces.append((data[start:cut], 0.7 if cut == middle else 0.2))
        start = cut
    pieces += [(garbage, 0.2), (data[ends[4]:ends[6]], 0.2)]

    path = os.path.join(work, "followed.log")
    open(path, "wb").close()
    top = subprocess.Popen([TOOL, "top", path, "--format", "jsonl", "--interval", "0.2", "--exit-when-idle", "1",
                            "--top", "3"], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    for piece, pause in pieces:
        with open(path, "ab") as log:
            log.write(piece)
        time.sleep(pause)
    out, err = top.communicate(timeout=30)

    if top.returncode != 1:
        failures.append(f"exit status {top.returncode}, not 1 for a log that was damaged")
    # Said as the analyses say it: where the log stops, and that the records before it are used.
    warning = f"{path}: warning: the log stops being readable at record 5 (byte offset {ends[4]}): "
    if err.count("\n") != 1 or warning not in err or "Using the 5 records before it" not in err:
        failures.append(f"standard error does not report the bad frame once: {err!r}")
    lines = parse_lines(out)
    waiting = [line for line in lines if line["waiting_bytes"] == middle - ends[1]]
    if not waiting or any(line["complete"] for line in waiting):
        failures.append(f"no line waits for the {middle - ends[1]} bytes of the record cut in its middle")
    if lines:
        last = lines[-1]
        if last["complete"] or not (last["fault"] or "").startswith(f"record 5 at byte offset {ends[4]}: ") \
                or last["records"] != 5 or last["waiting_bytes"] != len(garbage) + ends[6] - ends[4]:
            failures.append(f"the last line does not hold the fault and the bytes left unread: {last}")
        figures = {g["name"]: (g["executions"], g["p50_us"], g["p99_us"]) for g in last["graphs"]}
        if figures != stats_of(before):
            failures.append(f"the last line says {figures}, stats of the records before says {stats_of(before)}")


def main():
    with tempfile.TemporaryDirectory() as work:
        source = os.path.join(work, "source.log")
        made = subprocess.run([TOOL, "synth", "--graphs", "2", "--executions", "300", "--events", "4",
                               "--messages-per-record", "16", "-o", source], capture_output=True, text=True)
        if made.returncode != 0:
            print(made.stderr, file=sys.stderr)
            return 1
        with open(source, "rb") as log:
            follow(work, log.read())
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
