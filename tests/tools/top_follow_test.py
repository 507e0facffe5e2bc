#!/usr/bin/env python3
"""vyn-profile-log top following logs while writers append to them.

usage: top_follow_test.py TOOL SCHEMA

Four scenarios run at once, each on a log made beforehand, written in pieces
(some ending inside a record) with pauses, and followed by `top --format jsonl`:
  growing      every line fits the schema; a pause inside a record shows as
               waiting; the last line agrees with `stats --format json`.
  cut          the writer stops inside a record: top waits, and once idle says
               where the log stops, as the analyses do.
  damaged      a frame that does not verify: top reports the fault once, keeps
               the figures of the records before it and reads nothing after.
  interrupted  Ctrl-C ends a top with no idle limit at once, with status 0.
The schema check is skipped (with a note) where jsonschema is missing.
"""
import json
import os
import signal
import struct
import subprocess
import sys
import tempfile
import threading
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


def fail(scenario, text):
    failures.append(f"{scenario}: {text}")


def record_ends(data):
    """Byte offsets where each whole record of data ends."""
    ends, at = [], 0
    while at + 4 <= len(data):
        (length,) = struct.unpack_from("<I", data, at)
        at += 4 + length
        ends.append(at)
    return ends


def follow(work, name, idle, pieces, pause):
    """Follows a new log while the pieces are appended to it, each followed by its
    own pause or the given one; returns the log's path, top's exit status and output."""
    path = os.path.join(work, name)
    open(path, "wb").close()
    top = subprocess.Popen([TOOL, "top", path, "--format", "jsonl", "--interval", "0.2",
                            "--exit-when-idle", str(idle), "--top", "3"],
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    for piece, wait in pieces:
        with open(path, "ab") as log:
            log.write(piece)
        time.sleep(wait if wait is not None else pause)
    out, err = top.communicate(timeout=30)
    return path, top.returncode, out, err


def parse_lines(scenario, out):
    lines = []
    for number, text in enumerate(out.splitlines(), 1):
        try:
            line = json.loads(text)
        except ValueError as error:
            fail(scenario, f"line {number} is not JSON ({error}): {text[:200]}")
            continue
        if validator is not None:
            for error in validator.iter_errors(line):
                fail(scenario, f"line {number}: {error.message}")
        lines.append(line)
    if not lines:
        fail(scenario, "no lines")
    return lines


def stats_of(scenario, path):
    run = subprocess.run([TOOL, "stats", path, "--format", "json", "--unit", "us"], capture_output=True, text=True)
    if run.returncode != 0:
        fail(scenario, f"stats failed: {run.stderr}")
        return {}
    return {g["name"]: (g["executions"], g["execution_time"]["p50"], g["execution_time"]["p99"])
            for g in json.loads(run.stdout)["graphs"]}


def figures_of(line):
    return {g["name"]: (g["executions"], g["p50_us"], g["p99_us"]) for g in line["graphs"]}


def growing(work, data):
    scenario = "growing"
    ends = record_ends(data)
    # Cut points: inside the first length prefix, inside records, and on a
    # record's end; after the one in the middle of a record, a longer pause.
    middle = (ends[1] + ends[2]) // 2
    cuts = [2, ends[0] + 10, ends[1], middle, ends[len(ends) // 2], len(data) - 3, len(data)]
    pieces, start = [], 0
    for cut in cuts:
        pieces.append((data[start:cut], 0.7 if cut == middle else None))
        start = cut
    path, status, out, err = follow(work, "growing.log", 2, pieces, 0.15)
    if status != 0 or err:
        fail(scenario, f"exit status {status}, standard error: {err}")
    lines = parse_lines(scenario, out)
    waiting = [line for line in lines if line["waiting_bytes"] == middle - ends[1]]
    if not waiting or any(line["complete"] for line in waiting):
        fail(scenario, f"no line waits for the {middle - ends[1]} bytes of the record cut in its middle")
    if lines:
        last = lines[-1]
        if not last["complete"] or last["bytes"] != len(data) or last["records"] != len(ends):
            fail(scenario, f"the last line is not of the whole log: {last}")
        expected = stats_of(scenario, path)
        if figures_of(last) != expected:
            fail(scenario, f"the last line says {figures_of(last)}, stats says {expected}")


def cut(work, data):
    scenario = "cut"
    ends = record_ends(data)
    path, status, out, err = follow(work, "cut.log", 1, [(data[:ends[1]], None), (data[ends[1]:ends[2] + 100], None)],
                                    0.3)
    # Waiting, then, once idle, the cut tail reported as the analyses report it.
    warning = f"{path}: warning: the log stops being readable at record 3 (byte offset {ends[2]}): truncated record"
    if status != 0 or err.count("\n") != 1 or warning not in err:
        fail(scenario, f"exit status {status}, standard error: {err!r}")
    lines = parse_lines(scenario, out)
    if lines:
        last = lines[-1]
        if last["complete"] or last["fault"] is not None or last["waiting_bytes"] != 100 or last["records"] != 3:
            fail(scenario, f"the last line does not wait for the record cut short: {last}")


def damaged(work, data):
    scenario = "damaged"
    ends = record_ends(data)
    before = os.path.join(work, "before-damage.log")
    with open(before, "wb") as log:
        log.write(data[:ends[2]])
    garbage = struct.pack("<I", 40) + b"\xee" * 40
    path, status, out, err = follow(work, "damaged.log", 1, [(data[:ends[1]], None), (data[ends[1]:ends[2]], None),
                                                             (garbage, None), (data[ends[2]:ends[4]], None)], 0.3)
    expected_fault = f"record 3 at byte offset {ends[2]}: "
    if status != 1:
        fail(scenario, f"exit status {status}, not 1 for a log that was damaged")
    # Said as the analyses say it: where the log stops, and that the records before it are used.
    warning = f"{path}: warning: the log stops being readable at record 3 (byte offset {ends[2]}): "
    if err.count("\n") != 1 or warning not in err or "Using the 3 records before it" not in err:
        fail(scenario, f"standard error does not report the bad frame once: {err!r}")
    lines = parse_lines(scenario, out)
    if lines:
        last = lines[-1]
        if last["complete"] or not (last["fault"] or "").startswith(expected_fault) or last["records"] != 3:
            fail(scenario, f"the last line does not hold the fault: {last}")
        if last["waiting_bytes"] != len(garbage) + ends[4] - ends[2]:
            fail(scenario, f"the last line does not count the bytes left unread: {last}")
        expected = stats_of(scenario, before)
        if figures_of(last) != expected:
            fail(scenario, f"the last line says {figures_of(last)}, stats of the records before says {expected}")


def interrupted(work, data):
    scenario = "interrupted"
    path = os.path.join(work, "interrupted.log")
    with open(path, "wb") as log:
        log.write(data)
    top = subprocess.Popen([TOOL, "top", path, "--format", "jsonl", "--interval", "0.2"],
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    first = top.stdout.readline()
    top.send_signal(signal.SIGINT)
    try:
        rest, err = top.communicate(timeout=5)
    except subprocess.TimeoutExpired:
        top.kill()
        fail(scenario, "top did not stop on SIGINT")
        return
    if top.returncode != 0 or err:
        fail(scenario, f"exit status {top.returncode}, standard error: {err}")
    lines = parse_lines(scenario, first + rest)
    if lines and lines[-1]["records"] != len(record_ends(data)):
        fail(scenario, f"the line does not hold the whole log: {lines[-1]}")


def main():
    with tempfile.TemporaryDirectory() as work:
        source = os.path.join(work, "source.log")
        made = subprocess.run([TOOL, "synth", "--graphs", "2", "--executions", "300", "--events", "4",
                               "--messages-per-record", "16", "-o", source], capture_output=True, text=True)
        if made.returncode != 0:
            print(made.stderr, file=sys.stderr)
            return 1
        with open(source, "rb") as log:
            data = log.read()
        threads = [threading.Thread(target=scenario, args=(work, data)) for scenario in (growing, cut, damaged, interrupted)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
