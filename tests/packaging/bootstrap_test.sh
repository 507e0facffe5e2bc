#!/bin/sh
# scripts/bootstrap against stand-ins for dpkg-query, apt-get, sudo and id: it
# says what it is about to install before it installs only that, through sudo
# when not root (non-interactively even though sudo clears the environment),
# refuses plainly without root or sudo, and does nothing when everything is
# installed.
# Argument: the source directory.
set -eu
bootstrap=$1/scripts/bootstrap
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "bootstrap_test: $*" >&2; exit 1; }

# Only these tools and the stand-ins are on the path, so a real sudo is never found.
mkdir "$work/bin" "$work/stubs"
for tool in bash env grep; do ln -s "$(command -v "$tool")" "$work/bin/$tool"; done
cat >"$work/stubs/dpkg-query" <<'STUB'
#!/bin/sh
for last; do :; done
grep -qx "$last" "$STUB_DIR/installed" 2>/dev/null || exit 1
printf 'install ok installed'
STUB
cat >"$work/stubs/apt-get" <<'STUB'
#!/bin/sh
echo "apt-get ${DEBIAN_FRONTEND:-interactive} $*" >>"$STUB_DIR/calls"
STUB
cat >"$work/stubs/sudo" <<'STUB'
#!/bin/sh
echo "sudo" >>"$STUB_DIR/calls"
exec env -i PATH="$PATH" STUB_DIR="$STUB_DIR" "$@"
STUB
cat >"$work/stubs/id" <<'STUB'
#!/bin/sh
echo "$STUB_UID"
STUB
chmod +x "$work/stubs/"*

# Runs the script as the user id; its messages and the stand-ins' calls go to
# one file, in order.
bootstrap_as() {
  : >"$work/calls"
  STUB_DIR=$work STUB_UID=$1 PATH="$work/stubs:$work/bin" "$work/bin/bash" "$bootstrap" extra-tool \
    2>>"$work/calls"
}

echo extra-tool >"$work/installed"
bootstrap_as 1000 || fail "failed with sudo"
first=$(head -n 1 "$work/calls")
case $first in
  "bootstrap: installing cmake "*" libcli11-dev"*" (with sudo)") ;;
  *) fail "did not say what it installs first: $first" ;;
esac
packages=${first#bootstrap: installing }
packages=${packages% (with sudo)}
case " $packages " in *" extra-tool "*) fail "installs what is installed: $packages" ;; esac
[ "$(tail -n +2 "$work/calls")" = "sudo
apt-get noninteractive update -qq
sudo
apt-get noninteractive install -y -qq --no-install-recommends $packages" ] || fail "with sudo: $(cat "$work/calls")"

rm "$work/stubs/sudo"
if bootstrap_as 1000; then fail "installed without root or sudo"; fi
[ "$(cat "$work/calls")" = "bootstrap: cannot install $packages: not root, and sudo is not installed" ] ||
  fail "without sudo: $(cat "$work/calls")"

for p in $packages extra-tool; do echo "$p"; done >"$work/installed"
bootstrap_as 1000 || fail "failed with everything installed"
[ ! -s "$work/calls" ] || fail "with everything installed: $(cat "$work/calls")"
