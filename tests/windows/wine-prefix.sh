#!/usr/bin/env bash
# The Wine prefix the Windows tests of this build run in, and the X server their windows go to:
# made fresh, with one Wine server kept up for the whole run (so that the tests do not each wait
# for one to start), and stopped at the end.
#   wine-prefix.sh PREFIX start|stop
# The X server's display is written to PREFIX/display, its process id to PREFIX/xvfb.pid.
set -euo pipefail
# shellcheck source=tests/windows/wine.sh
source "$(dirname "$0")/wine.sh"
prefix=$1
export WINEPREFIX=$prefix
case $2 in
    start)
        started=$SECONDS
        wine_prefix "$prefix" unmanaged
        # Xvfb picks a free display and writes its number once it accepts connections. Neither
        # it nor the Wine server may keep the test's output open: CTest would wait for them.
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$prefix/display.tmp" \
            </dev/null &>/dev/null &
        echo $! >"$prefix/xvfb.pid"
        for _ in $(seq 100); do
            [[ -s "$prefix/display.tmp" ]] && break
            sleep 0.1
        done
        [[ -s "$prefix/display.tmp" ]] || { echo "Xvfb did not start" >&2; exit 1; }
        echo ":$(head -n1 "$prefix/display.tmp")" >"$prefix/display"
        DISPLAY=$(cat "$prefix/display")
        export DISPLAY
        # The Wine server, and Wine's own services and desktop, started here with their output
        # going nowhere: started by the first test, they would keep its output open, and CTest
        # would wait for them. They stay up for 2 minutes after the last program has ended (longer
        # than any gap between the tests), then end by themselves should the run be stopped
        # before `stop`.
        (without_uarts wineserver --persistent=120 </dev/null &>/dev/null)
        (without_uarts wine cmd /c exit </dev/null &>/dev/null)
        echo "Wine prefix $prefix made in $((SECONDS - started)) s, X display $DISPLAY" \
             "($(wine --version 2>/dev/null))"
        ;;
    stop)
        wineserver --kill || true
        if [[ -f "$prefix/xvfb.pid" ]]; then
            kill "$(cat "$prefix/xvfb.pid")" 2>/dev/null || true
            rm -f "$prefix/xvfb.pid"
        fi
        ;;
esac
