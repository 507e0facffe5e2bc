"""Reads exports of vyn-profile-log the way their users do and checks them
against docs/export-format.md.

    export_rows_check.py SCHEMA CSV JSONL [CSV JSONL ...]

Each CSV is read with Python's csv module: the header row, 11 fields in every
row, and a number or nothing in every numeric column. Each JSONL line is parsed
and validated against SCHEMA, and has the keys in the column order. The CSV and
the JSONL of one pair must hold the same rows. Prints the rows of every CSV, as
read, as one JSON object {CSV: [[field, ...], ...]}. Exit status: 0 all good,
1 a check failed (the reasons on standard error), 77 all good but the JSONL
lines could not be validated for want of the jsonschema module.
"""
import csv
import json
import sys

COLUMNS = ["graph", "phase", "occurrence", "timestamp_us", "duration_us", "event_path", "depth",
           "identifier", "value", "unit", "text"]
INTEGER_COLUMNS = {"occurrence", "timestamp_us", "duration_us", "depth", "identifier"}

problems = []


def problem(where, text):
    problems.append(f"{where}: {text}")


def read_csv(path):
    with open(path, newline="", encoding="utf-8", errors="surrogateescape") as file:
        rows = list(csv.reader(file, strict=True))
    if not rows or rows[0] != COLUMNS:
        problem(path, f"header row is {rows[:1]}")
        return rows
    for number, row in enumerate(rows[1:], start=2):
        if len(row) != len(COLUMNS):
            problem(f"{path} row {number}", f"{len(row)} fields: {row}")
            continue
        for column, cell in zip(COLUMNS, row):
            if cell == "" or column not in INTEGER_COLUMNS | {"value"}:
                continue
            try:
                int(cell) if column in INTEGER_COLUMNS else float(cell)
            except ValueError:
                problem(f"{path} row {number}", f"{column} is not a number: {cell!r}")
    return rows


def read_jsonl(path, validator):
    objects = []
    with open(path, encoding="utf-8") as file:
        for number, line in enumerate(file, start=1):
            try:
                row = json.loads(line)
            except ValueError as error:
                problem(f"{path} line {number}", f"not JSON: {error}")
                continue
            if list(row) != COLUMNS:
                problem(f"{path} line {number}", f"keys {list(row)}")
            if validator is not None:
                for error in validator.iter_errors(row):
                    problem(f"{path} line {number}", f"against the schema: {error.message}")
            objects.append(row)
    return objects


def same_cell(cell, value):
    if value is None:
        return cell == ""
    if isinstance(value, bool):
        return False
    try:
        if isinstance(value, int):
            return int(cell) == value
        if isinstance(value, float):
            return float(cell) == value
    except ValueError:
        return False
    return cell == value


def compare(csv_path, rows, jsonl_path, objects):
    body = rows[1:]
    if len(body) != len(objects):
        problem(jsonl_path, f"{len(objects)} lines, but {csv_path} has {len(body)} rows")
        return
    for number, (row, obj) in enumerate(zip(body, objects), start=1):
        for column, cell in zip(COLUMNS, row):
            if not same_cell(cell, obj.get(column)):
                problem(f"{jsonl_path} line {number}", f"{column} is {obj.get(column)!r}, the CSV has {cell!r}")


def main(arguments):
    schema_path, pairs = arguments[0], arguments[1:]
    try:
        import jsonschema
        with open(schema_path, encoding="utf-8") as file:
            schema = json.load(file)
        validator_class = jsonschema.validators.validator_for(schema)
        validator_class.check_schema(schema)
        validator = validator_class(schema)
    except ImportError:
        validator = None
    parsed = {}
    for csv_path, jsonl_path in zip(pairs[::2], pairs[1::2]):
        rows = read_csv(csv_path)
        objects = read_jsonl(jsonl_path, validator)
        compare(csv_path, rows, jsonl_path, objects)
        parsed[csv_path] = rows
    json.dump(parsed, sys.stdout)
    for text in problems:
        print(text, file=sys.stderr)
    if problems:
        return 1
    if validator is None:
        print("the Python module jsonschema is missing: JSONL lines not validated against the schema",
              file=sys.stderr)
        return 77
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
