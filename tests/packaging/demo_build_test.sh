#!/bin/sh
# `make demo` builds the plug-in, the tools and the sample logs and nothing else:
# every build it runs names its targets, and building those targets compiles
# no test, benchmark or fuzzer source (asked of ninja, without building).
# Arguments: the source directory, a build directory configured with Ninja.
set -eu
source=$1 build=$2
fail() { echo "demo_build_test: $*" >&2; exit 1; }

demo=$(make --no-print-directory -n -C "$source" demo BUILD="$build")
builds=$(printf '%s\n' "$demo" | grep 'cmake --build') || fail "make demo builds nothing"
if printf '%s\n' "$builds" | grep -v -- '--target'; then fail "make demo builds every target"; fi
targets=$(printf '%s\n' "$builds" | sed 's/.*--target//' | tr '\n' ' ')
# shellcheck disable=SC2086
commands=$(ninja -C "$build" -t commands $targets) || fail "ninja does not know the targets: $targets"
if printf '%s\n' "$commands" | grep -F -e "$source/tests/" -e "$source/bench/" -e "$source/fuzz/"; then
  fail "make demo builds tests, benchmarks or the fuzzer"
fi
for needed in libVynXtuProfilingReader.so vyn-profile-viewer vyn-profile-log two-graphs.json; do
  printf '%s\n' "$commands" | grep -q -F "$needed" || fail "make demo does not build $needed"
done
