#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and fuzzes each for SECONDS (default 300), or for
# --runs=N executions, JOBS at a time (default 2), on inputs of up to --max-len bytes
# (default 70000, more than a block and its framing), starting from the committed corpus.
# Findings go to fuzz-out/NAME; with --merge, the corpus and the new coverage are merged
# into a minimal set that replaces fuzz/corpus/NAME for the replays. Files with names of
# their own (seeds, regress-* for past findings, finding-* for open ones, which ./test fails
# on until fixed) are kept as they are; only the fuzzer's, named by their SHA-1, are merged.
# Usage: fuzz/run_fuzzers.sh [SECONDS] [--runs=N] [--jobs=JOBS] [--max-len=N] [--merge] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=300
runs=
jobs=2
maxlen=70000
merge=0
targets=()
for a in "$@"; do
    case "$a" in
        --merge) merge=1 ;;
        --runs=*) runs=${a#--runs=} ;;
        --jobs=*) jobs=${a#--jobs=} ;;
        --max-len=*) maxlen=${a#--max-len=} ;;
        [0-9]*) seconds=$a ;;
        *) targets+=("$a") ;;
    esac
done
if [ ${#targets[@]} -eq 0 ]; then
    for f in fuzz/*_fuzz.cpp; do
        f=${f#fuzz/}
        targets+=("${f%_fuzz.cpp}")
    done
fi

# libFuzzer comes with clang; its sanitizer runtime with libclang-rt.
. scripts/deps.sh
ORLENTH_PACKAGES+=(clang libclang-rt-14-dev)
orlenth_ensure_packages

if [ ! -f build-fuzz/build.ninja ]; then
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DORLENTH_LIBFUZZER=ON -DORLENTH_BENCHMARKS=OFF
fi
cmake --build build-fuzz -j 2 --target $(printf 'fuzz_%s ' "${targets[@]}")

# The same suppressions as the tests: leaks inside uninstrumented system libraries only.
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export QT_QPA_PLATFORM=offscreen
if [ -n "$runs" ]; then limit=(-runs="$runs"); else limit=(-max_total_time="$seconds"); fi

run_one() {
    local name=$1 out=fuzz-out/$1 seeds merged
    mkdir -p "$out/corpus" "$out/crashes"
    # Open findings stay out of the run, or it would stop at the first one.
    seeds=$(mktemp -d)
    find "fuzz/corpus/$name" -type f ! -name 'finding-*' -exec cp {} "$seeds" \;
    build-fuzz/fuzz/fuzz_"$name" "$out/corpus" "$seeds" "${limit[@]}" \
        -max_len="$maxlen" -rss_limit_mb=2048 -artifact_prefix="$out/crashes/" -print_final_stats=1 \
        > "$out/log.txt" 2>&1 || true
    if [ "$merge" = 1 ]; then
        merged=$(mktemp -d)
        if build-fuzz/fuzz/fuzz_"$name" -merge=1 "$merged" "$seeds" "$out/corpus" \
            > "$out/merge.txt" 2>&1; then
            local named
            for named in "fuzz/corpus/$name"/*; do
                [[ $(basename "$named") =~ ^[0-9a-f]{40}$ ]] && continue
                cp "$named" "$merged"
                rm -f "$merged/$(sha1sum "$named" | cut -c1-40)"
            done
            rm -rf "fuzz/corpus/$name"
            mv "$merged" "fuzz/corpus/$name"
            chmod 755 "fuzz/corpus/$name"
        else
            rm -rf "$merged"
            echo "$name: merge failed, see $out/merge.txt"
        fi
    fi
    rm -rf "$seeds"
    echo "$name: $(grep -E 'stat::number_of_executed_units' "$out/log.txt" | awk '{print $2}') executions," \
         "$(find "$out/crashes" -type f | wc -l) findings, $(ls "fuzz/corpus/$name" | wc -l) corpus files"
}

pids=()
for name in "${targets[@]}"; do
    run_one "$name" &
    pids+=($!)
    if [ ${#pids[@]} -ge "$jobs" ]; then
        wait "${pids[0]}"
        pids=("${pids[@]:1}")
    fi
done
wait
