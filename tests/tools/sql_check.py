#!/usr/bin/env python3
"""query and export --format sqlite against what the other commands say.

usage: sql_check.py TOOL EXAMPLES_DIR DOCS_DIR README SCRATCH [pandas]

Runs every example query of docs/sql.md on every sample log through `query` and
against the exported database (with the README's percentile aggregates), and
requires the same rows from both; compares the database's tables with the
documented ones, and checks bad SQL and usage errors. With "pandas", runs the README's pandas
recipe on a database instead (exit 77 when pandas is missing).
"""
import json
import math
import os
import pathlib
import re
import sqlite3
import subprocess
import sys
import unittest

TOOL, EXAMPLES, DOCS, README, SCRATCH = (os.path.abspath(a) for a in sys.argv[1:6])
PANDAS = sys.argv[6:] == ["pandas"]
SAMPLES = sorted(str(p) for p in pathlib.Path(EXAMPLES).glob("*.log"))
SQL_DOC = (pathlib.Path(DOCS) / "sql.md").read_text()
EXAMPLE_QUERIES = re.findall(r"```sql\n(.*?)```", SQL_DOC, re.S)
PYTHON_BLOCKS = re.findall(r"```python\n(.*?)```", pathlib.Path(README).read_text(), re.S)


def run(*args, expect=0):
    done = subprocess.run([TOOL, *args], capture_output=True)
    if expect is not None and done.returncode != expect:
        raise AssertionError(f"{args}: exit {done.returncode}, wanted {expect}\n{done.stderr.decode(errors='replace')}")
    return done


try:
    import jsonschema
except ImportError:  # the schema check is left out; every other check runs
    jsonschema = None
SCHEMA = json.loads((pathlib.Path(DOCS) / "query.schema.json").read_text())


def query(logs, sql):
    rows = json.loads(run("query", *logs, sql, "--format", "json").stdout)
    if jsonschema is not None:
        jsonschema.validate(rows, SCHEMA)
    return rows


def database(logs, name):
    path = os.path.join(SCRATCH, name)
    run("export", *logs, "--format", "sqlite", "-o", path)
    con = sqlite3.connect(path)
    # The README's recipe that gives the database query's aggregates.
    recipe = next(block for block in PYTHON_BLOCKS if "create_aggregate" in block)
    exec(recipe, {"con": con})
    return con


def rows_of(con, sql):
    cursor = con.execute(sql)
    names = [d[0] for d in cursor.description]
    return [dict(zip(names, row)) for row in cursor.fetchall()]


def same_value(a, b):
    if isinstance(a, float) or isinstance(b, float):
        return a is not None and b is not None and math.isclose(a, b, rel_tol=1e-12, abs_tol=1e-9)
    return a == b


class SqlCheck(unittest.TestCase):
    def test_examples_run_alike_through_query_and_on_the_database(self):
        self.assertGreaterEqual(len(EXAMPLE_QUERIES), 6)
        for index, sample in enumerate(SAMPLES):
            con = database([sample], f"sample{index}.db")
            for sql in EXAMPLE_QUERIES:
                with self.subTest(log=sample, sql=sql[:60]):
                    through_query = query([sample], sql)
                    on_database = rows_of(con, sql)
                    self.assertEqual(len(through_query), len(on_database))
                    for got, want in zip(through_query, on_database):
                        self.assertEqual(list(got), list(want))
                        for key in got:
                            self.assertTrue(same_value(got[key], want[key]), f"{key}: {got[key]} != {want[key]}")

    def test_median_and_p99_are_those_of_stats(self):
        sql = EXAMPLE_QUERIES[0]
        self.assertIn("percentile(duration_us, 99)", sql)
        for sample in SAMPLES:
            stats = json.loads(run("stats", sample, "--format", "json").stdout)
            want = {g["name"]: g["execution_time"] for g in stats["graphs"]}
            got = {row["graph"]: row for row in query([sample], sql)}
            self.assertEqual(set(got), set(want), sample)
            for graph, figures in want.items():
                self.assertEqual(got[graph]["executions"], figures["count"])
                self.assertAlmostEqual(got[graph]["p50_us"], figures["p50"], places=9)
                self.assertAlmostEqual(got[graph]["p99_us"], figures["p99"], places=9)

    def test_sql_from_a_file_or_standard_input(self):
        sql_file = os.path.join(SCRATCH, "question.sql")
        pathlib.Path(sql_file).write_text("CREATE TEMP TABLE t AS SELECT 41 AS x;\nSELECT x + 1 AS y FROM t;\n")
        self.assertEqual(run("query", SAMPLES[0], "-f", sql_file, "--format", "csv").stdout, b"y\n42\n")
        done = subprocess.run([TOOL, "query", SAMPLES[0], "-f", "-", "--format", "csv"], input=b"SELECT 'a,b' AS \"q\"",
                              capture_output=True)
        self.assertEqual((done.returncode, done.stdout), (0, b'q\n"a,b"\n'))

    def test_the_database_has_the_documented_tables_and_columns(self):
        documented = {}
        for name, table in re.findall(r"^### (\w+)(?: \(a view\))?\n(.*?)(?=^#)", SQL_DOC, re.S | re.M):
            columns = re.findall(r"^\| `(\w+)` \| (?:integer|real|text|number) \|", table, re.M)
            if columns:
                documented[name] = columns
        self.assertEqual(set(documented), {"log", "graph", "occurrence", "event", "execution"})
        con = database([SAMPLES[0]], "schema.db")
        for name, columns in documented.items():
            got = [row[1] for row in con.execute(f"PRAGMA table_info({name})")]
            self.assertEqual(got, columns, name)
            self.assertEqual(query([SAMPLES[0]], f"SELECT * FROM {name} LIMIT 0"), [])

    def test_bad_sql_and_usage(self):
        sample = SAMPLES[0]
        out = os.path.join(SCRATCH, "answer.txt")
        if os.path.exists(out):
            os.remove(out)
        for sql, message in (
            ("SELECT 1; SELEC 2", 'near "SELEC": syntax error'),
            ("DELETE FROM event", "event may not be modified"),
        ):
            with self.subTest(sql=sql):
                done = run("query", sample, "-o", out, sql, expect=1)
                self.assertIn(message, done.stderr.decode())
                self.assertFalse(os.path.exists(out))
        pathlib.Path(out).write_text("kept")
        run("query", sample, "SELEC", "-o", out, expect=1)
        self.assertEqual(pathlib.Path(out).read_text(), "kept")
        db = os.path.join(SCRATCH, "never.db")
        for args in (("query", sample), ("export", sample, sample, "-o", db)):
            with self.subTest(args=args):
                run(*args, expect=2)
        # Never over an input: the log, or the SQL file.
        before = pathlib.Path(sample).read_bytes()
        run("export", sample, "--format", "sqlite", "-o", sample, expect=1)
        run("query", sample, "SELECT 1", "-o", sample, expect=1)
        done = run("query", sample, f"ATTACH '{sample}' AS d; CREATE TABLE d.t(x)", expect=1)
        self.assertIn("not authorized", done.stderr.decode())
        sql_file = os.path.join(SCRATCH, "over.sql")
        pathlib.Path(sql_file).write_text("SELECT 1")
        run("query", sample, "-f", sql_file, "-o", sql_file, expect=1)
        self.assertEqual(pathlib.Path(sample).read_bytes(), before)
        self.assertEqual(pathlib.Path(sql_file).read_text(), "SELECT 1")
        self.assertFalse(os.path.exists(db))


def pandas_recipe():
    try:
        import pandas  # noqa: F401
    except ImportError:
        print("python3 module pandas is not installed (Debian: python3-pandas)", file=sys.stderr)
        return 77
    os.makedirs(SCRATCH, exist_ok=True)
    os.chdir(SCRATCH)
    run("export", *SAMPLES, "--format", "sqlite", "-o", "run.db")
    recipe = next(block for block in PYTHON_BLOCKS if "read_sql" in block)
    names = {}
    exec(recipe, names)
    # The data frame holds every execution of the fleet, with query's columns.
    executions = query(SAMPLES, "SELECT * FROM execution ORDER BY log_id, graph, occurrence")
    frame = names["executions"].sort_values(["log_id", "graph", "occurrence"])
    if list(frame.columns) != list(executions[0]) or frame["duration_us"].tolist() != [
            row["duration_us"] for row in executions]:
        print("the recipe's executions are not query's", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    if PANDAS:
        sys.exit(pandas_recipe())
    os.makedirs(SCRATCH, exist_ok=True)
    unittest.main(argv=[sys.argv[0], "-v"])
