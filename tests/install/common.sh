# shellcheck shell=bash
# Shared by the install tests: a scratch folder that is removed at the end, a private runtime
# folder for the simulated pad's links, and check counting. Source it; then call `finish`.

: "${VORLIN_SOURCE_DIR:?set by CTest}" "${VORLIN_BUILD_DIR:?set by CTest}"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vorlin-install-test.XXXXXX")
failures=0
checks=0
cleanup_hooks=()

on_exit() {
    local hook
    for hook in "${cleanup_hooks[@]}"; do
        eval "$hook" || true
    done
    rm -rf "$scratch"
}
trap on_exit EXIT

# A private, empty runtime folder (mode 0700, as the session's own) and a HOME, cache and config
# inside the scratch folder, so that nothing the programs write lands outside it.
export XDG_RUNTIME_DIR=$scratch/runtime
export HOME=$scratch/home
export XDG_CACHE_HOME=$scratch/cache
export XDG_CONFIG_HOME=$scratch/config
mkdir -p "$XDG_RUNTIME_DIR" "$HOME" "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME"
chmod 0700 "$XDG_RUNTIME_DIR"
pad_folder=$XDG_RUNTIME_DIR/vorlin-pad

pass() {
    checks=$((checks + 1))
    echo "PASS: $*"
}
fail() {
    checks=$((checks + 1))
    failures=$((failures + 1))
    echo "FAIL: $*" >&2
}
# check "what" command args...: passes when the command succeeds.
check() {
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

# Width and height of a PNG file as "WxH", read from its header by `file`.
png_size() {
    local description
    description=$(file -b "$1")
    [[ "$description" =~ ^PNG\ image\ data,\ ([0-9]+)\ x\ ([0-9]+), ]] || return 1
    echo "${BASH_REMATCH[1]}x${BASH_REMATCH[2]}"
}

# Polls `command` until it succeeds, for at most `seconds`.
wait_until() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.05
    done
}

# The links the simulated pads have announced in the private runtime folder.
announced_links() {
    [[ -d "$pad_folder" ]] || return 0
    find "$pad_folder" -mindepth 1 -maxdepth 1 -print
}
no_links_left() {
    [[ -z "$(announced_links)" ]]
}
links_announced() {
    [[ -n "$(announced_links)" ]]
}

finish() {
    echo "$checks checks, $failures failed"
    ((checks > 0 && failures == 0))
}
