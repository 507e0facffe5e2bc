#!/bin/sh
# The HTML pages of the installed tool, checked by browser_check.py in headless
# Chromium (which skips, 77, where Chromium is missing or cannot start).
# Arguments: the staging prefix, the Python interpreter, the checker, a folder
# that keeps the pages and the tool's messages, and the case:
#   sample           the report of a sample log
#   many-graphs      the report of a log of 2000 graphs (100 charted, the rest in the table)
#   long-names       the report of a log with names of 300 characters and a 1-in-1000 tail
#   diff-long-names  the comparison of two such logs, the second slower
set -u
stage=$1 python=$2 check=$3 out=$4/$5 case=$5
rm -rf "$out" && mkdir -p "$out" || exit 1

# Runs the tool; fails the test unless it exits with one of the statuses given
# first (diff exits 3 when something is slower).
run() {
  allowed=$1
  shift
  "$stage/bin/vyn-profile-log" "$@" </dev/null 2>"$out/tool.err"
  status=$?
  case " $allowed " in *" $status "*) return 0 ;; esac
  cat "$out/tool.err" >&2
  echo "browser_report_test: vyn-profile-log $1 exited with $status" >&2
  exit 1
}

long_names() {  # long_names NAME [--slower FACTOR]
  name=$1
  shift
  "$python" "$(dirname "$check")/long_names_log.py" "$@" >"$out/$name.json" || exit 1
  run 0 pack "$out/$name.json" -o "$out/$name.log"
}

kind=report height=2000
case $case in
  sample)
    run 0 report "$stage/share/vyn/examples/two-graphs.log" -o "$out/page.html" ;;
  many-graphs)
    run 0 synth --graphs 2000 --executions 3 -o "$out/many.log"
    run 0 report "$out/many.log" -o "$out/page.html"
    height=4500 ;;  # the first charts come after the summary of the 100 charted graphs
  long-names)
    long_names long
    run 0 report "$out/long.log" -o "$out/page.html" ;;
  diff-long-names)
    long_names base
    long_names new --slower 1.1
    run "0 3" diff "$out/base.log" "$out/new.log" --format html -o "$out/page.html"
    kind=diff ;;
  *)
    echo "browser_report_test: unknown case '$case'" >&2
    exit 1 ;;
esac
exec "$python" "$check" "$out/page.html" --kind "$kind" --height "$height"
