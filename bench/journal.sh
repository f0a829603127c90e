#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The journal's benchmark: the whole run with every output (HTML, XLSX, CSV)
# against `cat` of the same files to /dev/null, warm cache, side by side in
# one run, on 1,000 detailed results files of a 255-question test and 10,000
# of a 50-question test; and the journal's peak resident memory.
# Usage: bench/journal.sh [ROUNDS]   (default 5; medians are reported)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-5}
data=${EKZAMO_JOURNAL_BENCH_DIR:-/tmp/ekzamo-journal-bench}
build=$root/build-bench
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DEKZAMO_BENCH=ON -DEKZAMO_FUZZ=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target ekzamo-journal simulate_class >/dev/null
journal=$build/journal/ekzamo-journal

# A test of N questions of five options, wordings of a typical length.
make_test() {
    local n=$1 k
    for ((k = 1; k <= n; k++)); do
        printf 'Вопрос %d: какое из следующих утверждений о предмете верно в этом случае?\n5\n%d\n' "$k" $((k % 5 + 1))
        printf 'Вариант ответа %d.%d, довольно длинный\n' "$k" 1 "$k" 2 "$k" 3 "$k" 4 "$k" 5
    done | iconv -f UTF-8 -t CP1251
}

# make_class NAME QUESTIONS STUDENTS: one folder per test, one file per student.
make_class() {
    local dir=$data/$1
    [ -f "$dir.done" ] && return
    rm -rf "$dir" && mkdir -p "$dir"
    make_test "$2" >"$dir/t$2.txt"
    "$build/bench/simulate_class" --seed 15 --layout tests --count "$3" "$dir/results" "$dir/t$2.txt"
    touch "$dir.done"
}

now() { date +%s%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

run_set() {
    local name=$1 dir=$data/$1/results out
    out=$(mktemp -d)
    local files bytes
    files=$(find "$dir" -name '*.out' | wc -l)
    bytes=$(du -sb "$dir" | cut -f1)
    # Warm the cache.
    find "$dir" -name '*.out' -print0 | xargs -0 cat >/dev/null
    local cats=() runs=() start
    for ((r = 0; r < rounds; r++)); do
        start=$(now)
        find "$dir" -name '*.out' -print0 | xargs -0 cat >/dev/null
        cats+=($(( $(now) - start )))
        start=$(now)
        "$journal" --html "$out/j.html" --xlsx "$out/j.xlsx" --csv "$out/csv" "$dir" >/dev/null
        runs+=($(( $(now) - start )))
    done
    local cat_ms run_ms
    cat_ms=$(printf '%s\n' "${cats[@]}" | median | awk '{ printf "%.1f", $1 / 1e6 }')
    run_ms=$(printf '%s\n' "${runs[@]}" | median | awk '{ printf "%.1f", $1 / 1e6 }')
    local usage peak user sys
    usage=$( { /usr/bin/time -f '%M %U %S' "$journal" --html "$out/j.html" --xlsx "$out/j.xlsx" --csv "$out/csv" "$dir" >/dev/null; } 2>&1 | tail -n 1)
    read -r peak user sys <<<"$usage"
    awk -v n="$name" -v f="$files" -v b="$bytes" -v c="$cat_ms" -v j="$run_ms" -v p="$peak" -v u="$user" -v s="$sys" 'BEGIN {
        printf "%-10s %6d files %7.1f MB | cat %8.1f ms | journal %8.1f ms | ratio %5.2f | peak %6.1f MiB | journal CPU user %.2f s, system %.2f s\n",
            n, f, b / 1e6, c, j, j / c, p / 1024, u, s }'
    rm -rf "$out"
}

mkdir -p "$data"
make_class q255x1000 255 1000
make_class q50x10000 50 10000
echo "Medians of $rounds interleaved runs; peak is the journal's maximum resident set."
run_set q255x1000
run_set q50x10000
