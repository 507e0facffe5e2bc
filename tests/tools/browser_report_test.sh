#!/bin/sh
# The HTML pages of the installed tool opened in headless Chromium by
# browser_check.py, in a window 1280 px wide. Skips (77) while the tool has no
# report command, and where Chromium is missing or cannot start.
# Arguments: the staging prefix, the Python interpreter, the checker, a folder
# that keeps the pages, their screenshots and the tool's messages for a look
# after, and the case:
#   sample           the report of a sample log
#   many-graphs      the report of a log of 2000 graphs (100 charted, the rest in the table)
#   long-names       the report of a log with names of 300 characters and a 1-in-1000 tail
#   diff-sample      the comparison of the two sample logs of one session
#   diff-long-names  the comparison of two logs with long names, the second slower
#   diff-many-graphs the comparison of two logs of 2000 graphs
set -u
stage=$1 python=$2 check=$3 out=$4/$5 case=$5
tool=$stage/bin/vyn-profile-log
examples=$stage/share/vyn/examples
make_long_names="$(dirname "$check")/long_names_log.py"
rm -rf "$out"
mkdir -p "$out"

# Runs the tool with its messages in $out/tool.err; fails the test unless it
# exits with one of the statuses given first (diff exits 3 when something is slower).
run() {
  allowed=$1
  shift
  "$tool" "$@" </dev/null 2>"$out/tool.err"
  status=$?
  if [ "$status" -eq 2 ] && grep -q "unknown command 'report'" "$out/tool.err"; then
    echo "browser_report_test: skipped: vyn-profile-log has no report command" >&2
    exit 77
  fi
  for ok in $allowed; do
    [ "$status" -eq "$ok" ] && return 0
  done
  cat "$out/tool.err" >&2
  echo "browser_report_test: vyn-profile-log $1 exited with $status" >&2
  exit 1
}

long_names() {  # long_names NAME [--slower FACTOR]
  name=$1
  shift
  "$python" "$make_long_names" "$@" >"$out/$name.json" || exit 1
  run 0 pack "$out/$name.json" -o "$out/$name.log"
}

kind=report height=2000
case $case in
  sample)
    run 0 report "$examples/two-graphs.log" -o "$out/page.html" ;;
  many-graphs)
    run 0 synth --graphs 2000 --executions 3 -o "$out/many.log"
    run 0 report "$out/many.log" -o "$out/page.html"
    height=4500 ;;  # the first charts come after the summary of the 100 charted graphs
  long-names)
    long_names long
    run 0 report "$out/long.log" -o "$out/page.html" ;;
  diff-sample)
    run "0 3" diff "$examples/two-graphs.log" "$examples/two-graphs-slower.log" --format html -o "$out/page.html"
    kind=diff ;;
  diff-long-names)
    long_names base
    long_names new --slower 1.1
    run "0 3" diff "$out/base.log" "$out/new.log" --format html -o "$out/page.html"
    kind=diff ;;
  diff-many-graphs)
    run 0 synth --graphs 2000 --executions 3 --seed 1 -o "$out/base.log"
    run 0 synth --graphs 2000 --executions 3 --seed 2 -o "$out/new.log"
    run "0 3" diff "$out/base.log" "$out/new.log" --format html -o "$out/page.html"
    kind=diff ;;
  *)
    echo "browser_report_test: unknown case '$case'" >&2
    exit 1 ;;
esac
exec "$python" "$check" "$out/page.html" --kind "$kind" --height "$height" --screenshot "$out/page.png"
