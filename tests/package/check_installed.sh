#!/usr/bin/env bash
# Checks that the program of a package runs from where the package puts it, with nothing of the
# checkout it was built in:
#
#   tests/package/check_installed.sh PACKAGE.deb BUILT_PROGRAM
#
# The package is unpacked into a fresh folder, which then serves as the device root, so the app
# finds its changelog in the unpacked bundle as it would on the device. No string of the program
# names the checkout, and a headless session of the unpacked program, started from another folder
# while the checkout is hidden behind an empty file system, draws exactly what BUILT_PROGRAM (the
# program the package was made from) draws in the build. Everything is removed afterwards.
set -euo pipefail

if [ $# -ne 2 ]; then
  sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
fi
deb=$(realpath "$1")
built=$(realpath "$2")
checkout=$(cd "$(dirname "$0")/../.." && pwd)
name=$(basename "$built")

work=$(mktemp -d /tmp/zentrova-installed.XXXXXX)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
check() {
  local label=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok    $label"
  else failed=$((failed + 1)); echo "FAIL  $label"; fi
}

installed=$work/root/Applications/Zentrova.app/$name
dpkg -x "$deb" "$work/root"
check "the package installs $installed" test -x "$installed"
check "the package installs no module beside the program" test ! -e "$installed.so"
check "the package installs /usr/bin/zentrova, which starts the bundle's program" \
  grep -q "^exec /Applications/Zentrova.app/$name " "$work/root/usr/bin/zentrova"
# What the command hands the program: the device root / only when the user names none.
sed 's|^exec |printf "%s\\n" |' "$work/root/usr/bin/zentrova" > "$work/zentrova-arguments"
arguments() { sh "$work/zentrova-arguments" "$@" | tr '\n' ' '; }
check "zentrova adds --root=/ when no --root is given" \
  test "$(arguments --dry-run 'a b')" = "/Applications/Zentrova.app/$name --root=/ --dry-run a b "
check "zentrova adds no --root when one is given" \
  test "$(arguments --headless --root /tmp/r)" = "/Applications/Zentrova.app/$name --headless --root /tmp/r " \
    -a "$(arguments --root=/tmp/r)" = "/Applications/Zentrova.app/$name --root=/tmp/r "
check "the bundle holds Info.plist, CHANGELOG.txt and fonts.conf" \
  test -f "$work/root/Applications/Zentrova.app/Info.plist" \
    -a -f "$work/root/Applications/Zentrova.app/CHANGELOG.txt" \
    -a -f "$work/root/Applications/Zentrova.app/fonts.conf"
no_checkout_path() { ! strings -a "$installed" | grep -qF "$checkout"; }
check "no string of the installed program names $checkout" no_checkout_path

# One session for both programs: a press with alerts off (never set), the tree, a screenshot.
session_script() {
  printf 'tap #respringButton\ntree %s\nscreenshot %s\nquit\n' "$work/$1.json" "$work/$1.png"
}
script=$(session_script installed)
mkdir -p "$work/reference-root"
session_script built | env -u DISPLAY -u WAYLAND_DISPLAY "$built" --headless --dry-run \
  --root "$work/reference-root" > /dev/null

session() {
  cd "$work"
  printf '%s' "$script" | env -u DISPLAY -u WAYLAND_DISPLAY \
    "$installed" --headless --dry-run --root "$work/root" > "$work/stdout" 2> "$work/stderr"
}
# Hide the checkout behind an empty tmpfs in a private mount namespace when this machine allows
# one; otherwise the strings check above has to stand in for it.
if unshare -m true 2> /dev/null; then
  hidden() {
    unshare -m bash -c "mount -t tmpfs -o size=1m none '$checkout' && [ -z \"\$(ls -A '$checkout')\" ] \
      && cd '$work' && printf '%s' \"\$1\" | env -u DISPLAY -u WAYLAND_DISPLAY '$installed' --headless \
      --dry-run --root '$work/root' > '$work/stdout' 2> '$work/stderr'" _ "$script"
  }
  check "a headless session of the installed program runs with $checkout hidden" hidden
else
  echo "      (no mount namespace here: running with the checkout in place)"
  check "a headless session of the installed program runs" session
fi
check "the session printed the dry-run call of Respring" \
  grep -qx 'system("killall -9 SpringBoard")' "$work/stdout"
check "the session's tree dump names the six buttons" \
  test "$(grep -cE '"id": "(reboot|shutdown|respring|safemode|noSubstrate|minispring)Button"' \
    "$work/installed.json")" -eq 6
check "the installed program draws exactly what the built one draws" \
  cmp -s "$work/built.png" "$work/installed.png"
[ -s "$work/stderr" ] && sed 's/^/      stderr: /' "$work/stderr"

echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
