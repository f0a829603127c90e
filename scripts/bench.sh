#!/bin/sh
# Builds the benchmark in Release, runs it, and compares with `wc -l` on the
# same files and with the peak memory of one load of the 64 MB line.
set -eu
cd "$(dirname "$0")/.."

export EKZAMO_BENCH_DIR="${EKZAMO_BENCH_DIR:-/tmp/ekzamo-bench}"
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DEKZAMO_FUZZ=OFF -DEKZAMO_BENCH=ON >/dev/null
cmake --build build-bench --target bench_loadtest -j"$(nproc)" >/dev/null
bench=build-bench/bench/bench_loadtest

"$bench" "$@"

for f in typical.txt longline.txt; do
    start=$(date +%s%N)
    lines=$(wc -l <"$EKZAMO_BENCH_DIR/$f")
    end=$(date +%s%N)
    printf '\nwc -l %s: %s lines, %s us including process start\n' "$f" "$lines" $(((end - start) / 1000))
done

printf '\nOne load of longline.txt in a fresh process:\n'
/usr/bin/time -f '%e s elapsed, peak RSS %M KiB' "$bench" --load "$EKZAMO_BENCH_DIR/longline.txt"

printf '\nThe editor'"'"'s warnings pane on 255 questions:\n'
cmake --build build-bench --target bench_editor -j"$(nproc)" >/dev/null
build-bench/bench/bench_editor
