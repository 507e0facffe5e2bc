#!/bin/sh
# The HTML report of a sample log, from the installed tool, opened in headless
# Chromium by browser_check.py. Skips (77) while the tool has no report command.
# Arguments: the staging prefix, the Python interpreter, the checker, and a folder
# that keeps the report, its screenshot and the tool's messages for a look after.
set -u
stage=$1 python=$2 check=$3 out=$4
mkdir -p "$out"
rm -f "$out/report.html" "$out/report.png" "$out/report.err"
"$stage/bin/vyn-profile-log" report "$stage/share/vyn/examples/two-graphs.log" \
  -o "$out/report.html" </dev/null 2>"$out/report.err"
status=$?
if [ "$status" -eq 2 ] && grep -q "unknown command 'report'" "$out/report.err"; then
  echo "browser_report_test: skipped: vyn-profile-log has no report command" >&2
  exit 77
fi
cat "$out/report.err" >&2
if [ "$status" -ne 0 ]; then
  echo "browser_report_test: vyn-profile-log report exited with $status" >&2
  exit 1
fi
exec "$python" "$check" "$out/report.html" --screenshot "$out/report.png"
