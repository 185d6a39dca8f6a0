#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop and a user get: both
# programs, a desktop entry and AppStream metainfo that pass their validators and point at what
# was installed, the icon at every size, and an installed tool that starts and draws its window.
set -euo pipefail
# shellcheck source=tests/install/common.sh
source "$(dirname "$0")/common.sh"
: "${VORLIN_VERSION:?set by CTest from project(VERSION)}"

prefix=$scratch/usr
app_id=io.github.vorlin.VorlinConfig
desktop=$prefix/share/applications/vorlin-config.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml

if ! cmake --install "$VORLIN_BUILD_DIR" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
    cat "$scratch/install.log" >&2
    fail "cmake --install into a temporary prefix"
    finish
fi

# Every installed path lies inside the prefix.
outside=$(grep -E '^-- (Installing|Up-to-date): ' "$scratch/install.log" |
    sed -E 's/^-- [A-Za-z-]+: //' | grep -v "^$prefix/" || true)
check "nothing installed outside the prefix${outside:+: $outside}" test -z "$outside"

for program in vorlin-config vorlin-pad-sim; do
    check "bin/$program is an executable" test -x "$prefix/bin/$program"
done
for file in \
    share/applications/vorlin-config.desktop \
    share/metainfo/$app_id.metainfo.xml \
    share/icons/hicolor/scalable/apps/vorlin-config.svg \
    share/doc/vorlin-config/udev/70-vorlin-pad.rules \
    share/doc/vorlin-config/copyright \
    share/doc/vorlin-config/changelog.gz \
    share/man/man1/vorlin-config.1.gz \
    share/man/man1/vorlin-pad-sim.1.gz; do
    check "$file installed" test -s "$prefix/$file"
done

# ---- desktop entry ----
if report=$(desktop-file-validate "$desktop" 2>&1) && [[ -z "$report" ]]; then
    pass "desktop-file-validate: no errors, warnings or hints"
else
    fail "desktop-file-validate: $report"
fi
desktop_key() {
    sed -n "s/^$1=//p" "$desktop" | head -n 1
}
for key in 'Name' 'Name\[zh_CN\]' 'Comment' 'Comment\[zh_CN\]'; do
    check "desktop entry has $key" test -n "$(desktop_key "$key")"
done
exec_program=$(desktop_key Exec)
exec_program=${exec_program%% *}
check "Exec=$exec_program is an installed program" test -x "$prefix/bin/$exec_program"
icon=$(desktop_key Icon)
check "Icon=$icon is installed as the scalable icon" \
    test -s "$prefix/share/icons/hicolor/scalable/apps/$icon.svg"
check "Terminal=false" test "$(desktop_key Terminal)" = false

# ---- AppStream ----
if report=$(appstreamcli validate --no-net "$metainfo" 2>&1); then
    pass "appstreamcli validate --no-net"
else
    fail "appstreamcli validate --no-net: $report"
fi
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
check "metainfo launches the installed desktop entry ($launchable)" \
    test "$prefix/share/applications/$launchable" = "$desktop"
while read -r binary; do
    check "metainfo's binary $binary is installed" test -x "$prefix/bin/$binary"
done < <(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$metainfo")
newest_release=$(sed -n 's:.*<release version="\([^"]*\)".*:\1:p' "$metainfo" | head -n 1)
check "metainfo's newest release is $VORLIN_VERSION (found $newest_release)" \
    test "$newest_release" = "$VORLIN_VERSION"

# ---- icons: one PNG per size, really that size ----
for size in 16 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png
    actual=$(png_size "$png" 2>/dev/null || echo "missing")
    check "${size}x${size} icon is a ${size}x${size} PNG (found $actual)" test "$actual" = "${size}x${size}"
done

# ---- the installed programs run ----
help=$("$prefix/bin/vorlin-pad-sim" --help 2>&1 || true)
check "installed vorlin-pad-sim --help lists --no-stdin" grep -q -- '--no-stdin' <<<"$help"
version=$("$prefix/bin/vorlin-pad-sim" --version 2>&1 || true)
check "installed vorlin-pad-sim --version is $VORLIN_VERSION (found $version)" \
    test "$version" = "vorlin-pad-sim $VORLIN_VERSION"

# The installed tool starts with no display and renders its window (1016 x 609 logical pixels).
# Arguments it does not know (a launcher's, a user's --help) do not keep the window from opening.
shot=$scratch/window.png
what="installed vorlin-config, given unknown arguments, starts offscreen and exits after the screenshot"
if QT_QPA_PLATFORM=offscreen timeout 60 "$prefix/bin/vorlin-config" --help stray --screenshot "$shot" \
    >"$scratch/tool.log" 2>&1; then
    pass "$what"
else
    cat "$scratch/tool.log" >&2
    fail "$what"
fi
actual=$(png_size "$shot" 2>/dev/null || echo "missing")
check "window screenshot is 1016x609 (found $actual)" test "$actual" = 1016x609
check "the tool left no link in the runtime folder" no_links_left

finish
