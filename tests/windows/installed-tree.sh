#!/usr/bin/env bash
# The folder `cmake --install` makes in the Windows build: everything the tool needs lies in it,
# and nothing else is needed. Under Wine, with nothing on its search path, Qt's Test library and
# the window's translation test are put beside the tool and run from there: Qt finds its platform
# plugin and its Chinese texts (message boxes say 确定) where it looks for them in an installed
# program, beside its own libraries.
# Environment (set by CTest): VORLIN_INSTALLED, VORLIN_QT_TEST_DLL, VORLIN_TRANSLATIONS_TEST,
# VORLIN_STYLE_DLL (the file of the Qt at hand's Windows style plugin: qmodernwindowsstyle.dll
# from Qt 6.7 on, qwindowsvistastyle.dll before), WINEPREFIX (the tests' prefix, with its X
# display in WINEPREFIX/display).
set -euo pipefail
# shellcheck source=tests/windows/wine.sh
source "$(dirname "$0")/wine.sh"
: "${VORLIN_INSTALLED:?}" "${VORLIN_QT_TEST_DLL:?}" "${VORLIN_TRANSLATIONS_TEST:?}" \
  "${VORLIN_STYLE_DLL:?}" "${WINEPREFIX:?}"

expected=(
    bin/vorlin-config.exe
    bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6SerialPort.dll
    bin/libstdc++-6.dll bin/libgcc_s_seh-1.dll bin/libwinpthread-1.dll
    bin/platforms/qwindows.dll "bin/styles/$VORLIN_STYLE_DLL"
    bin/translations/qtbase_zh_CN.qm bin/translations/qtserialport_zh_CN.qm
)
actual=$(cd "$VORLIN_INSTALLED" && find . -type f | sed 's|^\./||' | sort)
if [[ "$actual" == "$(printf '%s\n' "${expected[@]}" | sort)" ]]; then
    echo "PASS: the installed folder holds exactly the tool and what it loads:"
    (cd "$VORLIN_INSTALLED" && du -b "${expected[@]}")
else
    echo "FAIL: the installed folder holds" >&2
    diff <(printf '%s\n' "${expected[@]}" | sort) <(echo "$actual") >&2 || true
    failures=$((failures + 1))
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vorlin-installed.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cp -r "$VORLIN_INSTALLED/." "$scratch/"
cp "$VORLIN_QT_TEST_DLL" "$VORLIN_TRANSLATIONS_TEST" "$scratch/bin/"
DISPLAY=$(cat "$WINEPREFIX/display")
export DISPLAY
unset WINEPATH QT_PLUGIN_PATH
# The platform plugin Windows users get, on the tests' X server.
export WINEQT_QPA_PLATFORM=windows
log=$scratch/translations.txt
if (without_uarts wine "$scratch/bin/$(basename "$VORLIN_TRANSLATIONS_TEST")" \
        -o "$(windows_path "$log"),txt") && grep -q '^Totals: .* 0 failed' "$log"; then
    echo "PASS: run from the installed folder alone, Qt's texts are Chinese (确定)"
else
    cat "$log" >&2 || true
    echo "FAIL: the translation test failed when run from the installed folder" >&2
    failures=$((failures + 1))
fi
[[ $failures -eq 0 ]]
