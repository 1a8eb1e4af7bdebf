#!/usr/bin/env bash
# A 300 MB GBK novel beside a 3 KB essay, each the folder's one file:
# 1. the first page: the reader in screenshot mode (start-up, library, the folder's file
#    and its first painted page, then exit), medians of RUNS alternating runs each;
# 2. the last line: orlenth-bench-bigtext waits for every line, scrolls to the end and
#    reports the peak memory of the whole run;
# 3. 简繁: orlenth-bench-bigtext --switch switches the first page to 繁體 and back, RUNS
#    times each, in the window, and gives the medians.
# Every run starts from settings of its own, in the work folder.
# Usage: bench/app/bigtext.sh [BUILD_DIR] [RUNS] [MB]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
runs=${2:-9}
mb=${3:-300}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
export XDG_CONFIG_HOME="$work/config"
mkdir "$work/big" "$work/small"
# The novel: the classical prose of bench/data repeated; the essay: its first 3 KB of
# whole lines.
python3 - "$work" "$mb" <<'PY'
import sys
work, mb = sys.argv[1], int(sys.argv[2])
prose = open('bench/data/guwen.gbk.txt', 'rb').read()
with open(f'{work}/big/novel.txt', 'wb') as f:
    for _ in range(mb * 1_000_000 // len(prose) + 1):
        f.write(prose)
open(f'{work}/small/essay.txt', 'wb').write(prose[:3000].rsplit(b'\r\n', 1)[0] + b'\r\n')
PY
cat "$work/big/novel.txt" >/dev/null # a warm page cache for every run

time_ms() {
    local start end
    start=$(date +%s%N)
    ORLENTH_SCREENSHOT="$work/shot.png" "$build/app/orlenth" "$1" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

small=() big=()
for ((i = 0; i < runs; i++)); do
    small+=("$(time_ms "$work/small/")")
    big+=("$(time_ms "$work/big/")")
done
s=$(printf '%s\n' "${small[@]}" | median)
b=$(printf '%s\n' "${big[@]}" | median)
echo "first page: 3 KB essay ${s} ms, ${mb} MB novel ${b} ms, ratio" \
    "$(awk -v b="$b" -v s="$s" 'BEGIN {printf "%.2f", b / s}') (goal <= 1.5, floor 3)"
"$build/bench/app/orlenth-bench-bigtext" "$work/small/" 2>/dev/null
"$build/bench/app/orlenth-bench-bigtext" "$work/big/" 2>/dev/null
"$build/bench/app/orlenth-bench-bigtext" "$work/small/" --switch "$runs" 2>/dev/null
"$build/bench/app/orlenth-bench-bigtext" "$work/big/" --switch "$runs" 2>/dev/null
