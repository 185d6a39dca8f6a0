#!/usr/bin/env bash
# What a Windows user downloads, tried under Wine in a fresh prefix each, on an X server of its
# own (no window manager):
#   packages.sh zip        the ZIP unpacked anywhere (a folder with a blank and Chinese in its
#                          name) starts the tool: its window appears
#   packages.sh installer  the installer run with /S installs the tool, a Start menu entry with
#                          the application title and an uninstaller; the installed tool starts;
#                          the uninstaller run with /S removes every file the installer put there
# Environment (set by CTest): VORLIN_PACKAGES (the folder cpack wrote to), VORLIN_PACKAGE_NAME
# (vorlin-config-<version>-windows-x64), VORLIN_INSTALLED (the install folder, which the ZIP
# must hold), VORLIN_TITLE, VORLIN_VERSION.
set -euo pipefail
# shellcheck source=tests/windows/wine.sh
source "$(dirname "$0")/wine.sh"
: "${VORLIN_PACKAGES:?}" "${VORLIN_PACKAGE_NAME:?}" "${VORLIN_INSTALLED:?}" "${VORLIN_TITLE:?}" \
  "${VORLIN_VERSION:?}"
mode=$1

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vorlin-package-test.XXXXXX")
cleanup() {
    (without_uarts wineserver --kill) &>/dev/null || true
    [[ -n "${XVFB_PID:-}" ]] && kill "$XVFB_PID" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

export WINEPREFIX=$scratch/prefix
unset WINEPATH QT_PLUGIN_PATH
wine_prefix "$WINEPREFIX"
start_xvfb
title="$VORLIN_TITLE v$VORLIN_VERSION"

# starts WINDOWS-PATH-OR-FILE: runs the tool and passes when its window appears; then ends it.
starts() {
    (without_uarts wine "$1") &>"$scratch/tool.log" &
    local tool=$!
    if wait_until 60 window_named "$title" >/dev/null; then
        pass "$2: the window \"$title\" appeared"
    else
        fail "$2: no window \"$title\" appeared"
        cat "$scratch/tool.log" >&2
    fi
    kill "$tool" 2>/dev/null || true
    (without_uarts wineserver --kill) &>/dev/null || true
    wait "$tool" 2>/dev/null || true
}

# The files under the prefix's drive C:, and the registry key of the installed program.
drive_c_files() { (cd "$WINEPREFIX/drive_c" && find . -type f -o -type l | sort); }
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\vorlin-config'
registered() { (without_uarts wine reg query "$uninstall_key") &>/dev/null; }

case $mode in
    zip)
        zip=$VORLIN_PACKAGES/$VORLIN_PACKAGE_NAME.zip
        place="$scratch/下载 files"
        mkdir -p "$place"
        (cd "$place" && cmake -E tar xf "$zip")
        folder="$place/$VORLIN_PACKAGE_NAME"
        if diff <(cd "$VORLIN_INSTALLED" && find . -type f | sort) \
                <(cd "$folder" && find . -type f | sort) >&2; then
            pass "the zip holds the installed folder ($(du -b "$zip" | cut -f1) bytes)"
        else
            fail "the zip does not hold what cmake --install installs"
        fi
        starts "$folder/bin/vorlin-config.exe" "unpacked from the zip"
        ;;
    installer)
        installer=$VORLIN_PACKAGES/$VORLIN_PACKAGE_NAME.exe
        echo "installer: $(du -b "$installer" | cut -f1) bytes"
        drive_c_files >"$scratch/before"
        (without_uarts wine "$installer" /S) &>"$scratch/install.log" || true
        (without_uarts wineserver --wait) || true
        drive_c_files >"$scratch/installed"
        comm -13 "$scratch/before" "$scratch/installed" >"$scratch/added"
        program="$WINEPREFIX/drive_c/Program Files/vorlin-config"
        if [[ -f "$program/bin/vorlin-config.exe" && -f "$program/Uninstall.exe" ]]; then
            pass "installed: $(wc -l <"$scratch/added") files, the tool and its uninstaller in" \
                 "C:\\Program Files\\vorlin-config"
        else
            fail "the installer put no tool or uninstaller in C:\\Program Files\\vorlin-config"
            cat "$scratch/install.log" >&2
        fi
        if grep -q "/Start Menu/Programs/.*/$VORLIN_TITLE\.lnk\$" "$scratch/added"; then
            pass "a Start menu entry named $VORLIN_TITLE: $(grep -F "$VORLIN_TITLE.lnk" "$scratch/added")"
        else
            fail "no Start menu entry named $VORLIN_TITLE.lnk among: $(grep -F .lnk "$scratch/added" || true)"
        fi
        if registered; then
            pass "listed among the installed programs ($uninstall_key)"
        else
            fail "not listed among the installed programs ($uninstall_key)"
        fi
        starts "$program/bin/vorlin-config.exe" "installed"

        # The uninstaller copies itself elsewhere and exits at once; the Wine server says when
        # every program of the prefix has ended.
        (without_uarts wine "$program/Uninstall.exe" /S) &>"$scratch/uninstall.log" || true
        (without_uarts wineserver --wait) || true
        left=$(drive_c_files | comm -12 - "$scratch/added")
        if [[ -z "$left" ]]; then
            pass "the uninstaller removed all $(wc -l <"$scratch/added") files the installer added"
        else
            fail "the uninstaller left: $left"
        fi
        if [[ -d "$program" ]]; then
            fail "the uninstaller left the folder C:\\Program Files\\vorlin-config"
        fi
        if registered; then
            fail "still listed among the installed programs after uninstalling"
        else
            pass "no longer listed among the installed programs"
        fi
        ;;
    *)
        echo "usage: packages.sh zip|installer" >&2
        exit 2
        ;;
esac
[[ $failures -eq 0 ]]
