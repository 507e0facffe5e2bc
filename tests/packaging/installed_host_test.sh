#!/bin/sh
# Installs the build into a temporary prefix and builds a small host against it
# twice, with find_package(VynProfiling) and with pkg-config; each host loads the
# installed plug-in and reports an installed sample log. Only the public headers
# may be installed.
# Arguments: build directory, host sources, C++ compiler, its extra flags, library directory.
set -eu
build=$1 host=$2 cxx=$3 cxxflags=$4 libdir=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

fail() { echo "installed_host_test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$work/install.out" || fail "install failed"
headers=$(cd "$prefix/include" && find . -type f | sort | tr '\n' ' ')
[ "$headers" = "./vyn/profiling/profile_event.h ./vyn/profiling/profile_log_reader.h " ] ||
  fail "unexpected headers: $headers"
log=$prefix/share/vyn/examples/two-graphs.log

run_host() {
  "$1" "$log" >"$work/report.out" || fail "$1 failed"
  grep -q '^Printing All Data Received From Back End$' "$work/report.out" || fail "$1 wrote no report"
}

cmake -S "$host" -B "$work/cmake-host" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="$cxxflags" \
      -DCMAKE_PREFIX_PATH="$prefix" >"$work/configure.out" || { cat "$work/configure.out"; fail "find_package host did not configure"; }
cmake --build "$work/cmake-host" >"$work/build.out" || { cat "$work/build.out"; fail "find_package host did not build"; }
run_host "$work/cmake-host/vyn_host"

export PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig"
plugin=$(pkg-config --variable=plugin vyn-profiling) || fail "no pkg-config file"
[ -f "$plugin" ] || fail "pkg-config names no plug-in: $plugin"
# shellcheck disable=SC2046,SC2086
"$cxx" -std=c++17 $cxxflags $(pkg-config --cflags vyn-profiling) -DVYN_PLUGIN="\"$plugin\"" \
  "$host/vyn_host.cpp" -o "$work/pkg-config-host" $(pkg-config --libs vyn-profiling) || fail "pkg-config host did not build"
run_host "$work/pkg-config-host"
