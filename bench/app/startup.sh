#!/usr/bin/env bash
# Start-up to the first painted main window: the reader in screenshot mode beside a bare
# Qt window that also saves its screenshot. Medians of RUNS runs each, alternating.
# Usage: bench/app/startup.sh [BUILD_DIR] [RUNS] [offscreen|xvfb|x11]  (x11: the current display)
set -euo pipefail
build=${1:-build}
runs=${2:-15}
mode=${3:-offscreen}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

time_ms() {
    local start end
    start=$(date +%s%N)
    ORLENTH_SCREENSHOT="$out/shot.png" "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

measure() {
    local reader=() bare=() i
    for ((i = 0; i < runs; i++)); do
        reader+=("$(time_ms "$build/app/orlenth")")
        bare+=("$(time_ms "$build/bench/app/orlenth-bare-window")")
    done
    local r b
    r=$(printf '%s\n' "${reader[@]}" | median)
    b=$(printf '%s\n' "${bare[@]}" | median)
    echo "reader ${r} ms, bare window ${b} ms, ratio $(awk -v r="$r" -v b="$b" 'BEGIN {printf "%.2f", r / b}')"
}

case "$mode" in
xvfb) # The same measurement on a real X server: this script again, inside Xvfb.
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$runs" x11 ;;
x11) QT_QPA_PLATFORM=xcb measure ;;
*) QT_QPA_PLATFORM=offscreen measure ;;
esac
