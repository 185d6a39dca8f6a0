#!/usr/bin/env bash
# Start-up time of the tool: from exec to the first window rendered (the hidden --screenshot
# option renders the window once start-up is done and quits), offscreen, a private runtime
# folder, no simulated pad. Prints every run and the median.
#   bench/startup-time.sh [runs, default 10] [build folder, default build]
set -euo pipefail
runs=${1:-10}
build=${2:-build}
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
chmod 700 "$runtime"

times=()
for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$runtime" "$build/bin/vorlin-config" \
        --screenshot "$runtime/window.png" >/dev/null 2>&1
    end=$(date +%s%N)
    times+=($(((end - start) / 1000000)))
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "start-up to first rendered window, ms: ${times[*]}"
echo "median ${sorted[$((runs / 2))]} ms over $runs runs (load average $(cut -d' ' -f1-3 /proc/loadavg))"
