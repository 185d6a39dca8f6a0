#!/usr/bin/env bash
# Starts a private X server and session bus, then lets atspi_check.py drive the tool by keyboard
# and read it through AT-SPI, as a screen reader would.
#   atspi.sh TOOL PAD    the vorlin-config and vorlin-pad-sim programs
set -euo pipefail
tool=$1
pad=$2
here=$(cd "$(dirname "$0")" && pwd)

skip() {
    echo "SKIP: $* is not installed; scripts/setup installs it"
    exit 77
}
command -v Xvfb >/dev/null || skip "Xvfb (package xvfb)"
command -v dbus-run-session >/dev/null || skip "dbus-run-session (package dbus-daemon)"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "pyatspi (package python3-pyatspi)"
command -v xdotool >/dev/null || { echo "xdotool is missing; scripts/setup installs it" >&2; exit 1; }

work=$(mktemp -d)
xvfb=
cleanup() {
    [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The tool's runtime folder (and the simulated pad's link in it) stays private to this test.
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 0700 "$XDG_RUNTIME_DIR"

# Xvfb picks a free display itself and writes its number to descriptor 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
done
if [[ ! -s $work/display ]]; then
    echo "Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
DISPLAY=:$(cat "$work/display")
export DISPLAY
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LC_ALL=C.UTF-8

# The session bus brings up the accessibility bus when the first program asks for it.
dbus-run-session -- /usr/bin/python3 "$here/atspi_check.py" "$tool" "$pad" 2> >(grep -v '^dbus-daemon' >&2)
