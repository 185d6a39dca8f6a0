#!/usr/bin/env bash
# The installed Windows tool under Wine against the simulated pad (the Linux program), mapped as
# COM3 in a fresh prefix of this test's own. The tool runs from the installed folder with nothing
# else on Wine's search path, on an X server of its own with no window manager (so its window is
# an X window of exactly its client area), and is driven by mouse and keyboard through xdotool at
# the places its layout fixes.
#
#   end-to-end.sh            the way out, judged by what the pad receives: slots typed with the
#                            on-screen keys, the switches. Wine 8.0 and later.
#   end-to-end.sh both-ways  the way back too, judged also by what the window shows: the report
#                            read on connecting and written back exactly, "done", the unanswered
#                            read and write, an unplug, the idle tool. Wine 10 and later.
#
# Wine hears nothing the pad answers on a pseudo-terminal unless the terminal answers for its
# modem lines, which PtyModemLines (preloaded into Wine) makes it do. Wine 8.0 cannot be helped:
# its serial wait runs in a thread that ignores cancelling, as on a real UART, so with the lines
# answered the tool hangs in its port scan. Under Wine 8.0 what the tool does with received
# reports is tested through the serial-device seam by the window tests of this build.
#
# Environment (set by CTest): VORLIN_PAD_SIM (the Linux build's bin/vorlin-pad-sim), VORLIN_TITLE
# (the application title), VORLIN_VERSION; VORLIN_INSTALLED (the install folder) for the way out;
# for both ways VORLIN_PTY_MODEM_LINES (the preload library) and, from the caller,
# VORLIN_WINDOWS_TOOL (a `cmake --install` of the windows preset; scripts/test-debian13 gives it).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/windows/wine.sh
source "$here/wine.sh"
mode=${1:-out}
: "${VORLIN_PAD_SIM:?}" "${VORLIN_TITLE:?}" "${VORLIN_VERSION:?}"
if [[ $mode == both-ways ]]; then
    : "${VORLIN_PTY_MODEM_LINES:?}"
    if [[ -z "${VORLIN_WINDOWS_TOOL:-}" ]]; then
        echo "skipped: no Windows build to try (VORLIN_WINDOWS_TOOL names a \`cmake --install\`" \
             "of the windows preset; scripts/test-debian13 gives one)" >&2
        exit 77
    fi
    wine_major=$(wine --version | sed -n 's/^wine-\([0-9]*\).*/\1/p')
    if [[ ${wine_major:-0} -lt 10 ]]; then
        echo "skipped: $(wine --version) hears nothing on a pseudo-terminal, and with its modem" \
             "lines answered hangs in the port scan (its serial wait ignores cancelling):" \
             "the way back needs Wine 10 (the Debian 13 leg)" >&2
        exit 77
    fi
    VORLIN_INSTALLED=$VORLIN_WINDOWS_TOOL
fi
: "${VORLIN_INSTALLED:?}"
if [[ ! -x "$VORLIN_PAD_SIM" ]]; then
    echo "skipped: no simulated pad at $VORLIN_PAD_SIM (build the Linux default preset first:" \
         "cmake --workflow --preset default)" >&2
    exit 77
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vorlin-wine-e2e.XXXXXX")
pad_pid=
pad_log=
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

# The simulated pad on a pseudo-terminal of its own, mapped as COM3 and logging what it receives;
# start_pad stops the one before. A pad that hangs up removes itself.
mkdir -m 0700 "$scratch/runtime"
pads=0
start_pad() { # OPTIONS...
    stop_pad
    pads=$((pads + 1))
    pad_log=$scratch/pad-$pads.log
    XDG_RUNTIME_DIR=$scratch/runtime "$VORLIN_PAD_SIM" --no-stdin --verbose --instant "$@" \
        >"$scratch/pad-$pads.out" 2>"$pad_log" &
    pad_pid=$!
    wait_until 10 grep -q '^/dev/pts/' "$scratch/pad-$pads.out" ||
        { echo "the pad did not start" >&2; exit 1; }
    ln -sfn "$(head -n1 "$scratch/pad-$pads.out")" "$WINEPREFIX/dosdevices/com3"
}
stop_pad() {
    if [[ -n "$pad_pid" ]]; then
        kill "$pad_pid" 2>/dev/null || true
        wait "$pad_pid" 2>/dev/null || true
    fi
    pad_pid=
}

# What the pad received, one message a line.
received() { sed -n 's/^[0-9:.]* [^ ]*: <- //p' "$pad_log"; }
has_received() { received | grep -qxF -- "$1"; }
# The tool counts whole seconds between two commands, at most three: last_sent is when the pad
# last received one, and paced waits until the next may go out.
last_sent=$SECONDS
paced() { sleep $((last_sent + 4 - SECONDS > 0 ? last_sent + 4 - SECONDS : 0)); }
# expect_sent WHAT MESSAGE [SECONDS]: passes when the pad receives MESSAGE in time.
expect_sent() {
    if wait_until "${3:-5}" has_received "$2"; then
        last_sent=$SECONDS
        pass "$1: the pad received $2"
    else
        fail "$1: the pad did not receive $2; it received: $(received | tr '\n' ' ')"
    fi
}
start_pad

# The tool, from the installed folder only.
(
    unset WINEPATH
    [[ $mode == both-ways ]] && export LD_PRELOAD=$VORLIN_PTY_MODEM_LINES
    without_uarts wine "$VORLIN_INSTALLED/bin/vorlin-config.exe"
) >"$scratch/tool.log" 2>&1 &
disown
title="$VORLIN_TITLE v$VORLIN_VERSION"
window_shown() {
    window=$(window_named "$title")
    [[ -n "$window" ]] && xdotool getwindowgeometry "$window" &>/dev/null
}
# (Wine 10 may replace the first window it maps: look again a moment later.)
if ! wait_until 60 window_shown || ! sleep 1 || ! wait_until 10 window_shown; then
    echo "FAIL: no window titled $title appeared" >&2
    exit 1
fi
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

# The way out: 连接 with the port box as the tool filled it (the pad is the only port, so it is
# the item shown), slots typed with the on-screen keys and written, the switches.
upload='{{group1::128 + c||504||198||601||q||w||e||r||t||y||u||i||o||p}}'
# A click the send pacing refuses changes nothing, so the button is clicked until it goes out.
write_until_sent() {
    has_received "$upload" && return 0
    write_button
    sleep 0.5
    has_received "$upload"
}
# The switches, each as soon as the pacing lets it through (a refused switch springs back).
switch_until_sent() { # CLICK-FUNCTION MESSAGE
    has_received "$2" && return 0
    dismiss_message_boxes
    "$1"
    sleep 0.5
    has_received "$2"
}
way_out() {
    connect_button
    expect_sent "连接 with the first port of the list" getsettings 10

    # A request the pad does not answer may be followed by a message box a few seconds later;
    # wait for it as long as that, so that none comes up in the middle of the slot entry.
    wait_until 7 a_message_box || true
    dismiss_message_boxes

    # Layer 1 filled from the on-screen keys, then written.
    slot_box 0 && key 5 240 615 && key 4 2760 495 # L_CTRL, c
    slot_box 1 && key 6 2760 855                  # 播放/暂停
    slot_box 2 && key 0 3240 495                  # F5
    slot_box 3 && key 1 13560 615                 # 单击
    local slot=4 letter
    for letter in q w e r t y u i o p; do
        slot_box $slot && key_letter $letter
        slot=$((slot + 1))
    done
    dismiss_message_boxes
    if wait_until 10 write_until_sent; then
        pass "写入层设置: the pad received the layer as typed: $upload"
    else
        fail "写入层设置: the pad did not receive $upload; it received: $(received | tr '\n' ' ')"
    fi

    local step click message
    for step in "rgb_box ##yes##" "enable_box ##enablegroup1##" "rgb_box ##no##"; do
        read -r click message <<<"$step"
        if wait_until 10 switch_until_sent "$click" "$message"; then
            pass "switch: the pad received $message"
        else
            fail "switch: the pad did not receive $message; it received: $(received | tr '\n' ' ')"
        fi
    done
}

# The way back: what the window shows of what the pad answers, and the pad's answers to what the
# tool sends. Message boxes are read as Windows copies them (Ctrl+C: caption, text, buttons).
box_text() {
    xclip -selection clipboard -i /dev/null
    xdotool windowfocus "$(message_box)" key ctrl+c 2>/dev/null
    wait_until 3 copied && xclip -o -selection clipboard
}
copied() { [[ -n "$(xclip -o -selection clipboard 2>/dev/null)" ]]; }
# expect_box WHAT TEXT SECONDS: a message box saying TEXT comes up in time; it is dismissed.
expect_box() {
    if ! wait_until "$3" a_message_box; then
        fail "$1: no message box came up in $3 s"
        return
    fi
    local text
    text=$(box_text)
    if [[ "$text" == *"$2"* ]]; then
        pass "$1: a message box says $2"
    else
        fail "$1: a message box says: $(tr '\n' ' ' <<<"$text")"
    fi
    dismiss_message_boxes
}
# expect_no_box WHAT SECONDS
expect_no_box() {
    if wait_until "$2" a_message_box; then
        fail "$1: a message box came up: $(box_text | tr '\n' ' ')"
        dismiss_message_boxes
    else
        pass "$1: no message box in $2 s"
    fi
}
# Dark pixels in a rectangle of the window (in twips): the ink of a text shown there.
ink() { # LEFT TOP WIDTH HEIGHT
    import -silent -window "$window" png:- |
        convert - -crop "$(px "$3")x$(px "$4")+$(px "$1")+$(px "$2")" +repage -colorspace gray \
            -threshold 25% -format '%[fx:round((1-mean)*w*h)]' info:
}
version_shown() { [[ $(ink 14160 240 855 255) -gt 0 ]]; }
# 断开, until the port is closed: the caption of 连接 turns from grey to black. (A click just
# after a message box was dismissed may reach a window that is not yet enabled again.)
disconnect() {
    wait_until 5 closed_by_click || fail "断开: the port stayed open"
}
closed_by_click() {
    disconnect_button
    sleep 0.2
    [[ $(ink 2760 120 975 495) -gt 0 ]]
}
# connect_and_read WHAT: 连接 reads the pad; its report shows in 下位机版本, which connecting empties.
connect_and_read() {
    paced
    connect_button
    expect_sent "$1" getsettings 10
    if wait_until 5 version_shown; then
        pass "$1: the report is shown (下位机版本 holds the pad's version)"
    else
        fail "$1: 下位机版本 stays empty"
    fi
}
# usage PID: its processor time in ms and the wake-ups of all its threads, from Linux's accounting.
usage() {
    local ticks
    ticks=$(awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$1/stat")
    echo "$((ticks * 1000 / $(getconf CLK_TCK)))" \
         "$(awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n }' /proc/"$1"/task/*/status)"
}
# idle WHAT SECONDS: nothing happens and nothing is told. The tool's process and its Wine server,
# which waits on the port for it, together stay under a fifth of a processor (a spinning notifier
# takes a whole one).
tool_pid=
server_pid=
idle() {
    local tool server tool_after server_after
    read -r -a tool <<<"$(usage "$tool_pid")"
    read -r -a server <<<"$(usage "$server_pid")"
    expect_no_box "$1" "$2"
    read -r -a tool_after <<<"$(usage "$tool_pid")"
    read -r -a server_after <<<"$(usage "$server_pid")"
    local cpu=$((tool_after[0] - tool[0] + server_after[0] - server[0]))
    echo "idle, $1, in $2 s: the tool $((tool_after[0] - tool[0])) ms of processor time and" \
         "$((tool_after[1] - tool[1])) wake-ups, its Wine server $((server_after[0] - server[0]))" \
         "ms and $((server_after[1] - server[1])) wake-ups"
    if ((cpu * 100 <= $2 * 1000 * 20)); then
        pass "$1: the tool is idle"
    else
        fail "$1: the tool kept a processor busy ($cpu ms in $2 s)"
    fi
}

way_back() {
    # The newest of each: this test runs alone, and its Wine server started with the tool.
    if ! tool_pid=$(pgrep -nx vorlin-config.e) || ! server_pid=$(pgrep -nx 'wineserver(64)?'); then
        echo "FAIL: the tool's process or its Wine server is not to be found" >&2
        exit 1
    fi
    last_sent=$shown
    idle "port closed" 3
    connect_and_read "连接"
    # Written back untouched, the layer goes out exactly as the pad reported it; "done" is told.
    local reported
    reported=$(sed -n 's/^[0-9:.]* [^ ]*: -> \[\[group1!!\([^!]*\)!!.*/\1/p' "$pad_log" | head -n1)
    paced
    write_button
    expect_sent "写入层设置 after reading" "{{group1::$reported}}"
    expect_box "done" "Parameter updated, please wait for 5s" 5
    # The boxes show the pad's switches (RGB on, layer 1 enabled): a click turns each off.
    local step click message
    for step in "rgb_box ##no##" "enable_box ##disablegroup1##"; do
        read -r click message <<<"$step"
        paced
        "$click"
        expect_sent "a switch after reading" "$message"
    done
    idle "connected" 10

    disconnect
    start_pad --ignore-uploads
    connect_and_read "连接 to a pad that ignores uploads"
    paced
    write_button
    expect_sent "写入层设置" "{{group1::$reported}}"
    expect_no_box "the write's first 4 s" 4
    expect_box "an unconfirmed write" "串口 Com3 上的设备没有确认写入层1的设置。" 6

    disconnect
    start_pad --cut-report 0
    paced
    connect_button
    expect_sent "连接 to a pad that does not answer" getsettings 10
    expect_no_box "the read's first 4 s" 4
    expect_box "an unanswered read" "串口 Com3 上的设备没有回应读取设置的请求。" 6

    disconnect
    start_pad --hang-up-after getsettings
    connect_and_read "连接 to a pad that hangs up"
    expect_box "an unplug" "与串口 Com3 的连接已断开（设备已挂断）" 10
    idle "after the unplug" 3
    start_pad
    connect_and_read "连接 again after the unplug"
}

if [[ $mode == both-ways ]]; then
    way_back
else
    # The first command may go out three seconds after start-up.
    sleep $((shown + 4 - SECONDS > 0 ? shown + 4 - SECONDS : 0))
    way_out
fi

# A port number that does not exist, typed into the box, gives its message (and sends nothing).
dismiss_message_boxes
disconnect
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
