#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and fuzzes each for SECONDS (default 300), two
# at a time, starting from the committed corpus. Findings go to fuzz-out/NAME; with
# --merge, new coverage is merged (minimised) back into fuzz/corpus/NAME for the replays.
# Usage: fuzz/run_fuzzers.sh [SECONDS] [--merge] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=300
merge=0
targets=()
for a in "$@"; do
    case "$a" in
        --merge) merge=1 ;;
        [0-9]*) seconds=$a ;;
        *) targets+=("$a") ;;
    esac
done
[ ${#targets[@]} -gt 0 ] || targets=(decompress roundtrip unframe string_list item_record object_stream)

# libFuzzer comes with clang; its sanitizer runtime with libclang-rt.
. scripts/deps.sh
ORLENTH_PACKAGES+=(clang libclang-rt-14-dev)
orlenth_ensure_packages

if [ ! -f build-fuzz/build.ninja ]; then
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DORLENTH_LIBFUZZER=ON -DORLENTH_BENCHMARKS=OFF
fi
cmake --build build-fuzz --target $(printf 'fuzz_%s ' "${targets[@]}")

run_one() {
    local name=$1 out=fuzz-out/$1
    mkdir -p "$out/corpus" "$out/crashes"
    build-fuzz/fuzz/fuzz_"$name" "$out/corpus" "fuzz/corpus/$name" -max_total_time="$seconds" \
        -max_len=70000 -rss_limit_mb=2048 -artifact_prefix="$out/crashes/" -print_final_stats=1 \
        > "$out/log.txt" 2>&1 || true
    if [ "$merge" = 1 ]; then
        build-fuzz/fuzz/fuzz_"$name" -merge=1 "fuzz/corpus/$name" "$out/corpus" > "$out/merge.txt" 2>&1 || true
    fi
    echo "$name: $(grep -E 'stat::number_of_executed_units' "$out/log.txt" | awk '{print $2}') executions," \
         "$(ls "$out/crashes" | wc -l) findings"
}

pids=()
for name in "${targets[@]}"; do
    run_one "$name" &
    pids+=($!)
    if [ ${#pids[@]} -ge 2 ]; then
        wait "${pids[0]}"
        pids=("${pids[@]:1}")
    fi
done
wait
