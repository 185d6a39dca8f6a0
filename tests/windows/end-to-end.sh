#!/usr/bin/env bash
# The installed Windows tool under Wine against the simulated pad, judged by what the pad
# receives. The pad (the Linux program) is mapped as COM3 in a fresh prefix of this test's own,
# the tool runs from the installed folder with nothing else on Wine's search path, on an X server
# of its own with no window manager (so its window is an X window of exactly its client area),
# and is driven by mouse and keyboard through xdotool at the places its layout fixes.
#
# Only the send direction can be shown here: under Wine 8.0 the bytes the pad answers never reach
# QSerialPort on a pseudo-terminal (wine.sh). What the tool does with received reports is tested
# on Windows by the window tests (gui/, e2e-like cases through the serial-device seam) that run in
# this build under Wine too.
#
# Environment (set by CTest): VORLIN_INSTALLED (the install folder), VORLIN_PAD_SIM (the Linux
# build's bin/vorlin-pad-sim), VORLIN_TITLE (the application title), VORLIN_VERSION.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine.sh"
: "${VORLIN_INSTALLED:?}" "${VORLIN_PAD_SIM:?}" "${VORLIN_TITLE:?}" "${VORLIN_VERSION:?}"
if [[ ! -x "$VORLIN_PAD_SIM" ]]; then
    echo "skipped: no simulated pad at $VORLIN_PAD_SIM (build the Linux default preset first:" \
         "cmake --workflow --preset default)" >&2
    exit 77
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vorlin-wine-e2e.XXXXXX")
pad_pid=
cleanup() {
    (without_uarts wineserver --kill) &>/dev/null || true
    [[ -n "$pad_pid" ]] && kill "$pad_pid" 2>/dev/null
    [[ -n "${XVFB_PID:-}" ]] && kill "$XVFB_PID" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

export WINEPREFIX=$scratch/prefix
started=$SECONDS
wine_prefix "$WINEPREFIX"
start_xvfb
echo "prefix made in $((SECONDS - started)) s; X display $DISPLAY"

# The simulated pad on its pseudo-terminal, logging what it receives.
mkdir -m 0700 "$scratch/runtime"
XDG_RUNTIME_DIR=$scratch/runtime "$VORLIN_PAD_SIM" --no-stdin --verbose --instant \
    >"$scratch/pad.out" 2>"$scratch/pad.log" &
pad_pid=$!
wait_until 10 grep -q '^/dev/pts/' "$scratch/pad.out" || { echo "the pad did not start" >&2; exit 1; }
pty=$(head -n1 "$scratch/pad.out")
ln -s "$pty" "$WINEPREFIX/dosdevices/com3"

# What the pad received, one message a line.
received() { sed -n 's/^[0-9:.]* [^ ]*: <- //p' "$scratch/pad.log"; }
has_received() { received | grep -qxF -- "$1"; }
# expect_sent WHAT MESSAGE [SECONDS]: passes when the pad receives MESSAGE in time.
expect_sent() {
    if wait_until "${3:-5}" has_received "$2"; then
        pass "$1: the pad received $2"
    else
        fail "$1: the pad did not receive $2; it received: $(received | tr '\n' ' ')"
    fi
}

# The tool, from the installed folder only.
(unset WINEPATH; without_uarts wine "$VORLIN_INSTALLED/bin/vorlin-config.exe") \
    >"$scratch/tool.log" 2>&1 &
disown
title="$VORLIN_TITLE v$VORLIN_VERSION"
if ! wait_until 60 window_named "$title" >/dev/null; then
    echo "FAIL: no window titled $title appeared" >&2
    exit 1
fi
window=$(window_named "$title")
shown=$SECONDS
geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/ *Geometry: //p')
if [[ "$geometry" == 1016x609 ]]; then
    pass "the window \"$title\" is 1016x609"
else
    fail "the window \"$title\" is $geometry, not 1016x609"
fi

# Places on the window, in twips as the layout gives them (15 twips a pixel).
px() { echo $((($1 + 7) / 15)); }
click_twips() { # LEFT TOP WIDTH HEIGHT: clicks the middle of that rectangle
    xdotool mousemove --window "$window" "$(px $(($1 + $3 / 2)))" "$(px $(($2 + $4 / 2)))" \
        click 1
    sleep 0.05
}
connect_button() { click_twips 2760 120 975 495; }
disconnect_button() { click_twips 3960 120 975 495; }
write_button() { click_twips 6360 120 1215 495; }
rgb_box() { click_twips 8880 160 495 375; }
port_box() { click_twips 1440 240 1095 345; }
# Slot N of the page in front: five to a column, from the tab control's corner (180, 720).
slot_box() {
    click_twips $((180 + 1240 + 4800 * ($1 / 5))) $((720 + 720 + 660 * ($1 % 5))) 3300 375
}
enable_box() { click_twips $((180 + 1240 + 4800 * 2)) $((720 + 720 + 660 * 4)) 255 255; }
# On-screen keys: row (0 to 6), left edge and width in twips (each row starts at 4800, 600 apart).
key() { click_twips "$2" $((4800 + 600 * $1)) "$3" 495; }
key_letter() { # the upper letter row: q w e r t y u i o p, 600 twips apart after Tab
    local letters=qwertyuiop
    local index=${letters%%"$1"*}
    key 2 $((960 + 600 * ${#index})) 495
}

# Message boxes are captioned with the application title alone. Another may come up at any time
# while the port is open (the pad under Wine never answers a request); each found is dismissed.
message_box() { window_named "$VORLIN_TITLE"; }
a_message_box() { [[ -n "$(message_box)" ]]; }
no_message_box() { [[ -z "$(message_box)" ]]; }
dismiss_message_boxes() {
    local box
    while box=$(message_box) && [[ -n "$box" ]]; do
        xdotool windowfocus "$box" key Return 2>/dev/null
        wait_until 5 no_message_box || break
    done
}

# 连接 with the port box as the tool filled it: the pad is the only port, so it is the item shown.
# The first command may go out three seconds after start-up.
sleep $((shown + 4 - SECONDS > 0 ? shown + 4 - SECONDS : 0))
connect_button
expect_sent "连接 with the first port of the list" getsettings 10

# A request the pad does not answer may be followed by a message box a few seconds later; wait
# for it as long as that, so that none comes up in the middle of the slot entry.
wait_until 7 a_message_box || true
dismiss_message_boxes

# Layer 1 filled from the on-screen keys, then written.
slot_box 0 && key 5 240 615 && key 4 2760 495   # L_CTRL, c
slot_box 1 && key 6 2760 855                    # 播放/暂停
slot_box 2 && key 0 3240 495                    # F5
slot_box 3 && key 1 13560 615                   # 单击
slot=4
for letter in q w e r t y u i o p; do
    slot_box $slot && key_letter $letter
    slot=$((slot + 1))
done
dismiss_message_boxes
upload='{{group1::128 + c||504||198||601||q||w||e||r||t||y||u||i||o||p}}'
# A click the send pacing refuses changes nothing, so the button is clicked until it goes out.
write_until_sent() {
    has_received "$upload" && return 0
    write_button
    sleep 0.5
    has_received "$upload"
}
if wait_until 10 write_until_sent; then
    pass "写入层设置: the pad received the layer as typed: $upload"
else
    fail "写入层设置: the pad did not receive $upload; it received: $(received | tr '\n' ' ')"
fi

# The switches, each as soon as the pacing lets it through (a refused switch springs back).
switch_until_sent() { # CLICK-FUNCTION MESSAGE
    has_received "$2" && return 0
    dismiss_message_boxes
    "$1"
    sleep 0.5
    has_received "$2"
}
for step in "rgb_box ##yes##" "enable_box ##enablegroup1##" "rgb_box ##no##"; do
    read -r click message <<<"$step"
    if wait_until 10 switch_until_sent "$click" "$message"; then
        pass "switch: the pad received $message"
    else
        fail "switch: the pad did not receive $message; it received: $(received | tr '\n' ' ')"
    fi
done

# A port number that does not exist, typed into the box, gives its message (and sends nothing).
dismiss_message_boxes
disconnect_button
before=$(received | wc -l)
port_box
# (xdotool notes that the X server has no focused window: there is no window manager.)
xdotool key --window "$window" ctrl+a 2>/dev/null
xdotool type --window "$window" --delay 50 Com9 2>/dev/null
connect_button
if wait_until 10 a_message_box; then
    pass "Com9 (no such port): a message box came up"
else
    fail "Com9 (no such port): no message box came up"
fi
dismiss_message_boxes
if [[ $(received | wc -l) -eq $before ]]; then
    pass "nothing was sent after 断开"
else
    fail "the pad received more after 断开: $(received | tail -n +$((before + 1)) | tr '\n' ' ')"
fi

echo "--- what the pad received ---"
received
echo "end to end under Wine: $failures failure(s), $((SECONDS - started)) s"
[[ $failures -eq 0 ]]
