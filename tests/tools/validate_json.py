#!/usr/bin/env python3
"""Checks a JSON document, or each line of a JSON Lines file (*.jsonl), against a JSON Schema.

usage: validate_json.py SCHEMA DOCUMENT
Exit status: 0 valid, 1 not valid (every violation on standard error),
77 python3's jsonschema module is missing (the caller skips).
"""
import json
import sys

try:
    import jsonschema
except ImportError:
    print("python3 module jsonschema is not installed (Debian: python3-jsonschema)", file=sys.stderr)
    sys.exit(77)


def main():
    with open(sys.argv[1]) as schema_file:
        schema = json.load(schema_file)
    with open(sys.argv[2]) as document_file:
        if sys.argv[2].endswith(".jsonl"):
            documents = [(f"line {n}: $", json.loads(line)) for n, line in enumerate(document_file, 1)]
        else:
            documents = [("$", json.load(document_file))]
    validator_class = jsonschema.validators.validator_for(schema)
    validator_class.check_schema(schema)
    failed = False
    for where, document in documents:
        for error in sorted(validator_class(schema).iter_errors(document), key=lambda e: list(e.path)):
            print(where + "".join(f"[{p!r}]" for p in error.path) + ": " + error.message, file=sys.stderr)
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
