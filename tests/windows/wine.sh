# shellcheck shell=bash
# Running this build's Windows programs under Wine (8.0 on Debian 12, 10.0 on Debian 13), shared
# by wine-run and the Windows tests. Source it. What Wine gets wrong here, and how each function
# works around it:
#   - it maps the machine's UARTs (/dev/ttyS*) to COM ports at every start, and an open of a real
#     UART never returns (its WaitCommEvent blocks even on an overlapped handle), so a port scan
#     hangs: without_uarts hides them;
#   - it has no Arial: wine_prefix names Liberation Sans (Arial's metrics) and Liberation Sans
#     Narrow in its place, as a Windows desktop would have them;
#   - under Wine 8.0 received bytes never reach QSerialPort on a pseudo-terminal (no completion
#     packet for its WaitCommEvent): only the send direction can be tested end to end there;
#     Wine 10 hears them once the terminal answers for its modem lines (PtyModemLines.c).

export WINEDEBUG=${WINEDEBUG:--all}

# Wine keeps Linux's own QT_* variables from Windows programs (they are meant for Linux's Qt);
# it passes each WINEQT_* as QT_* instead. The Qt variables given here are meant for the Windows
# programs, so they are passed on that way.
pass_qt_variables() {
    local name
    for name in $(compgen -e QT_); do
        export "WINE$name=${!name}"
    done
}
# No Mono or Gecko installers: Qt programs need neither, and their dialogs would wait for a click.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# without_uarts COMMAND...: runs COMMAND (execs it) with the machine's UARTs hidden from it and
# from everything it starts, the Wine server included. As root each is covered by /dev/null in a
# private mount namespace. Another user cannot do that, but neither can Wine open a UART that the
# user may not open; if one is open to this user (or root has no mount namespaces, as in some
# containers), the test is skipped (status 77), saying why.
without_uarts() {
    local uarts=() device
    for device in /dev/ttyS*; do
        [[ -c "$device" ]] && uarts+=("$device")
    done
    if [[ ${#uarts[@]} -eq 0 ]]; then
        exec "$@"
    elif [[ $(id -u) -eq 0 ]] && unshare --mount --propagation private true 2>/dev/null; then
        # shellcheck disable=SC2016 # the shell in the new namespace expands it
        exec unshare --mount --propagation private bash -c \
            'for d in /dev/ttyS*; do [[ -c "$d" ]] && mount --bind /dev/null "$d"; done; exec "$@"' \
            without_uarts "$@"
    fi
    for device in "${uarts[@]}"; do
        if [[ -r "$device" && -w "$device" ]]; then
            echo "skipped: $device is open to this user, and Wine 8.0 hangs opening a real UART;" \
                 "only root with mount namespaces can hide it from Wine (as CI runs)" >&2
            exit 77
        fi
    done
    exec "$@"
}

# A Windows path for a Linux one: Wine's drive Z: is the root of the file system.
windows_path() {
    local path=$1
    path=${path//\//\\}
    echo "Z:$path"
}

# wine_prefix DIR [unmanaged]: makes a fresh Wine prefix in DIR (64-bit, Arial and Arial Narrow
# as on Windows). Runs Wine with the UARTs hidden. With `unmanaged`, Wine does not leave its
# windows to a window manager: without one (Xvfb), it would wait 2 s for one at every window
# that closes.
wine_prefix() {
    local prefix=$1
    rm -rf "$prefix"
    mkdir -p "$prefix"
    local fonts=$prefix/fonts.reg
    local lines=('Windows Registry Editor Version 5.00' ''
        '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]'
        '"Arial"="Liberation Sans"' '"Arial Narrow"="Liberation Sans Narrow"')
    if [[ "${2:-}" == unmanaged ]]; then
        lines+=('' '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"')
    fi
    printf '%s\r\n' "${lines[@]}" >"$fonts"
    # Wine's notes while it makes the prefix (no 32-bit part, configuration updated) go to a log
    # that is shown only if it fails.
    if ! (
        # shellcheck disable=SC2016 # the inner shell expands its own argument
        without_uarts env WINEPREFIX="$prefix" WINEARCH=win64 \
            bash -c 'wineboot --init && wine regedit /S "$1" && wineserver --wait' \
            wine_prefix "$(windows_path "$fonts")"
    ) &>"$prefix/wineboot.log"; then
        cat "$prefix/wineboot.log" >&2
        echo "could not make a Wine prefix in $prefix" >&2
        return 1
    fi
    rm -f "$fonts"
}

# start_xvfb: starts an X server of this test's own on a free display (its windows may be clicked
# at fixed places; nothing else draws there), exports DISPLAY and sets XVFB_PID. Stop it with
# `kill "$XVFB_PID"`.
start_xvfb() {
    local number_file
    number_file=$(mktemp "${TMPDIR:-/tmp}/vorlin-xvfb.XXXXXX")
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" </dev/null &>/dev/null &
    # shellcheck disable=SC2034 # read by the scripts that source this file, to stop the server
    XVFB_PID=$!
    local _
    for _ in $(seq 100); do
        [[ -s "$number_file" ]] && break
        sleep 0.1
    done
    [[ -s "$number_file" ]] || { echo "Xvfb did not start" >&2; return 1; }
    DISPLAY=:$(head -n1 "$number_file")
    export DISPLAY
    rm -f "$number_file"
}

# A test's checks: each says PASS or FAIL, and the test fails at the end if any failed
# (`[[ $failures -eq 0 ]]`).
failures=0
pass() { echo "PASS: $*"; }
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# wait_until SECONDS COMMAND...: polls COMMAND every tenth of a second until it succeeds; fails
# when it has not by the deadline.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# The X window whose name is exactly NAME (a window caption), if there is one.
window_named() {
    xdotool search --name "^$1\$" 2>/dev/null | head -n1
}
