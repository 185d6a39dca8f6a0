#!/usr/bin/env bash
# Exercises scripts/run on the programs already built (VORLIN_RUN_NO_BUILD), with the window
# offscreen and a private runtime folder: it starts the simulated pad so that its link is
# announced, starts the tool, and when the tool ends or scripts/run is stopped by a signal, the
# pad stops too, leaving no link and no process behind.
set -euo pipefail
# shellcheck source=tests/install/common.sh
source "$(dirname "$0")/common.sh"

# Job control: each scripts/run gets a process group of its own (so that what it started can be
# found and a Ctrl-C can be imitated), and SIGINT is not ignored in it as in a plain `&` job.
set -m

run=$VORLIN_SOURCE_DIR/scripts/run
tool=$(realpath "$VORLIN_BUILD_DIR/bin/vorlin-config")
pad=$(realpath "$VORLIN_BUILD_DIR/bin/vorlin-pad-sim")
export VORLIN_RUN_NO_BUILD=1

# The processes in process group $1, one "pid program" a line.
group_members() {
    local pid
    for pid in $(pgrep -g "$1" || true); do
        echo "$pid $(readlink "/proc/$pid/exe" 2>/dev/null || echo '?')"
    done
}
member_running() { # group program
    group_members "$1" | grep -q " $2\$"
}
member_pid() { # group program
    group_members "$1" | awk -v program="$2" '$2 == program { print $1; exit }'
}
gone() { # pid: neither running nor left unreaped
    [[ ! -e /proc/$1 ]]
}
exited() { # pid of a child of this script: ended, whether or not waited for yet
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
    stat=${stat##*) }
    [[ ${stat%% *} == Z ]]
}

# ---- trying the tool installs the run set, which holds no test tool ----
run_set=$("$VORLIN_SOURCE_DIR/scripts/setup" --list run)
for package in wine qemu-system-x86 g++-mingw-w64-x86-64-posix nsis lintian weston xdotool \
    at-spi2-core clang libclang-rt-dev imagemagick debootstrap appstream; do
    # shellcheck disable=SC2016 # the inner shell expands its own arguments
    check "the run set of scripts/setup leaves out $package" \
        bash -c '! grep -qx "$1" <<<"$2"' sh "$package" "$run_set"
done
check "the run set holds Qt Serial Port's development files" grep -qx qt6-serialport-dev <<<"$run_set"

# ---- no display: a hint, and nothing started ----
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$run" >"$scratch/out" 2>"$scratch/err" ||
    status=$?
check "without a display scripts/run fails (status $status)" test "$status" -ne 0
check "without a display it suggests xvfb-run" grep -q 'xvfb-run' "$scratch/err"
check "without a display it suggests QT_QPA_PLATFORM=offscreen" \
    grep -q 'QT_QPA_PLATFORM=offscreen' "$scratch/err"
check "without a display no pad was announced" no_links_left

# ---- the tool ends by itself: its arguments reach it, and the pad goes with it ----
# With --connect the tool connects to the first port in its list and renders the window once
# the pad's settings are shown; it ends with status 1 when no report arrives. So status 0 means
# the simulated pad was in the tool's port list and answered it.
export QT_QPA_PLATFORM=offscreen
status=0
timeout 120 "$run" --connect --screenshot "$scratch/window.png" >"$scratch/out" 2>"$scratch/err" ||
    status=$?
check "scripts/run --connect --screenshot ends with the tool's status 0 (got $status)" \
    test "$status" -eq 0
check "the pad was the tool's first port and its settings were read (window rendered)" \
    test -s "$scratch/window.png"
check "scripts/run names the pad's terminal" grep -q 'simulated pad on /dev/pts/' "$scratch/out"
check "after the tool ended no link is left" no_links_left
if [[ "$status" -ne 0 ]]; then cat "$scratch/err" >&2; fi

# ---- scripts/run stopped by a signal while the tool runs ----
# signal, whom it is sent to (the script alone, or its whole group as Ctrl-C in a terminal
# does), the status scripts/run should end with.
cases=(
    "TERM script 143"
    "INT script 130"
    "HUP script 129"
    "INT group 130"
)
for case in "${cases[@]}"; do
    read -r signal target expected <<<"$case"
    name="SIG$signal to the $target"
    "$run" >"$scratch/out" 2>"$scratch/err" &
    group=$!
    cleanup_hooks+=("kill -KILL -- -$group 2>/dev/null")

    if ! wait_until 60 links_announced || ! wait_until 60 member_running "$group" "$tool"; then
        fail "$name: scripts/run started the pad and the tool"
        cat "$scratch/out" "$scratch/err" >&2
        kill -KILL -- "-$group" 2>/dev/null || true
        wait "$group" 2>/dev/null || true
        continue
    fi
    pass "$name: scripts/run started the pad and the tool"
    link=$(announced_links)
    check "$name: the pad's link points to a terminal" test -c "$(readlink -f "$link")"
    check "$name: the link is the one scripts/run reported" grep -qF "($link)" "$scratch/out"
    pad_pid=$(member_pid "$group" "$pad")
    tool_pid=$(member_pid "$group" "$tool")
    check "$name: the pad runs in the script's group" test -n "$pad_pid"
    check "$name: the tool is still running once the link exists" member_running "$group" "$tool"

    if [[ $target == group ]]; then kill "-$signal" -- "-$group"; else kill "-$signal" "$group"; fi
    # Bounded: a script that only reacts once the tool has ended by itself would never end here.
    if ! wait_until 30 exited "$group"; then
        fail "$name: scripts/run ends soon after the signal"
        kill -KILL -- "-$group" 2>/dev/null || true
    fi
    status=0
    wait "$group" || status=$?
    check "$name: scripts/run ends with status $expected (got $status)" test "$status" -eq "$expected"
    check "$name: no link is left" no_links_left
    check "$name: the pad has stopped" gone "${pad_pid:-0}"
    check "$name: the tool has stopped" gone "${tool_pid:-0}"
    leftovers=$(group_members "$group")
    check "$name: nothing of the group is left${leftovers:+: $leftovers}" test -z "$leftovers"
done

finish
