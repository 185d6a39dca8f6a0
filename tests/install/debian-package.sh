#!/usr/bin/env bash
# Builds the Debian package from the build folder with cpack into a temporary folder and has
# lintian check it as Debian would: any error or warning fails the test; info, pedantic and
# experimental tags are only shown.
set -euo pipefail
# shellcheck source=tests/install/common.sh
source "$(dirname "$0")/common.sh"
: "${VORLIN_VERSION:?set by CTest from project(VERSION)}"

if ! command -v lintian >/dev/null 2>&1; then
    echo "SKIP: lintian is not installed (Debian: apt-get install lintian; scripts/setup does)"
    exit 77
fi

if ! cpack -G DEB --config "$VORLIN_BUILD_DIR/CPackConfig.cmake" -B "$scratch/package" \
    >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    fail "cpack -G DEB"
    finish
fi
mapfile -t packages < <(find "$scratch/package" -maxdepth 1 -name '*.deb')
check "cpack wrote one package (${packages[*]##*/})" test "${#packages[@]}" -eq 1
deb=${packages[0]}
check "the package is version $VORLIN_VERSION" test "$(dpkg-deb -f "$deb" Version)" = "$VORLIN_VERSION"

# CI runs as root; lintian only reads the package, so that is harmless and said once here.
lintian_options=(--pedantic --display-info --display-experimental --tag-display-limit 0
    --fail-on none)
if [[ $(id -u) -eq 0 ]]; then
    echo "note: running lintian as root (--allow-root)"
    lintian_options+=(--allow-root)
fi
if ! lintian "${lintian_options[@]}" "$deb" >"$scratch/lintian.log" 2>&1; then
    cat "$scratch/lintian.log" >&2
    fail "lintian ran"
    finish
fi
echo "lintian --pedantic on ${deb##*/}:"
sed 's/^/  /' "$scratch/lintian.log"
serious=$(grep -cE '^[EW]: ' "$scratch/lintian.log" || true)
check "lintian reports no errors or warnings (found $serious)" test "$serious" -eq 0

finish
