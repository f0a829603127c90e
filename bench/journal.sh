#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The journal's benchmark: the whole run with every output (HTML, XLSX, CSV)
# against `cat` of the same files to /dev/null, on 1,000 detailed results
# files of a 255-question test and 10,000 of a 50-question test. Each round
# times both, in turn and each first every other round, and reads them once
# untimed just before, so that neither pays for pages the other brought
# into the cache; the disk reads of the timed runs are counted, so that a run
# the cache did not serve is seen. Timed beside them: the journal with the
# HTML alone, and libxlsxwriter alone writing an answers matrix of the same
# size (bench/xlsx_matrix.cpp), the floor under the spreadsheet's time. The
# journal's peak resident memory is read.
# Usage: bench/journal.sh [ROUNDS]   (default 5; medians are reported)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-5}
data=${EKZAMO_JOURNAL_BENCH_DIR:-/tmp/ekzamo-journal-bench}
build=$root/build-bench
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DEKZAMO_BENCH=ON -DEKZAMO_FUZZ=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target ekzamo-journal simulate_class bench_xlsx_matrix >/dev/null
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

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# timed NAME COMMAND...: one run, its wall time in ms and its processor time
# (user + system, its children too), peak memory and disk reads appended to
# $out/NAME.
timed() {
    local name=$1 start end
    shift
    start=$(date +%s%N)
    if ! /usr/bin/time -o "$out/usage" -f '%U %S %M %I' "$@" >/dev/null 2>"$out/stderr" || [ -s "$out/stderr" ]; then
        echo "$name failed or warned:" >&2
        cat "$out/stderr" "$out/usage" >&2
        exit 1
    fi
    end=$(date +%s%N)
    local user sys peak disk
    read -r user sys peak disk <"$out/usage"
    echo "$(( (end - start) / 1000 )) $user $sys $peak $disk" >>"$out/$name"
}

# run_set NAME QUESTIONS STUDENTS
run_set() {
    local name=$1 dir=$data/$1/results files bytes
    out=$(mktemp -d)
    # The files both read: every results file under the folder, as the
    # journal finds them.
    find "$dir" -name '*.out' -type f -print0 | sort -z >"$out/list"
    files=$(tr -cd '\0' <"$out/list" | wc -c)
    bytes=$(xargs -0 cat <"$out/list" | wc -c)
    local cat=(sh -c 'find "$1" -name "*.out" -type f -print0 | xargs -0 cat' sh "$dir")
    local all=("$journal" --html "$out/j.html" --xlsx "$out/j.xlsx" --csv "$out/csv" "$dir")
    local html=("$journal" --html "$out/h.html" "$dir")
    local matrix=("$build/bench/bench_xlsx_matrix" "$3" "$2" "$out/m.xlsx")
    local warm=(xargs -0 -a "$out/list" cat)
    for ((r = 0; r < rounds; r++)); do
        if ((r % 2 == 0)); then
            "${warm[@]}" >/dev/null; timed cat "${cat[@]}"
            "${warm[@]}" >/dev/null; timed all "${all[@]}"
            "${warm[@]}" >/dev/null; timed html "${html[@]}"
            timed matrix "${matrix[@]}"
        else
            timed matrix "${matrix[@]}"
            "${warm[@]}" >/dev/null; timed html "${html[@]}"
            "${warm[@]}" >/dev/null; timed all "${all[@]}"
            "${warm[@]}" >/dev/null; timed cat "${cat[@]}"
        fi
    done
    wall() { awk '{ print $1 }' "$out/$1" | median; }
    cpu() { awk '{ print ($2 + $3) * 1000 }' "$out/$1" | median; }
    reads() { awk '{ s += $5 } END { print s }' "$out/$1"; }
    local c a h m
    c=$(wall cat)
    a=$(wall all)
    h=$(wall html)
    m=$(wall matrix)
    awk -v n="$name" -v f="$files" -v b="$bytes" -v c="$c" -v a="$a" -v h="$h" -v m="$m" -v q="$2" -v s="$3" \
        -v cc="$(cpu cat)" -v ac="$(cpu all)" -v hc="$(cpu html)" -v mc="$(cpu matrix)" \
        -v p="$(awk '{ print $4 }' "$out/all" | sort -n | tail -n 1)" 'BEGIN {
        printf "%s: %d files, %.1f MB\n", n, f, b / 1e6
        printf "  cat                %8.1f ms (processor %6.0f ms)\n", c / 1000, cc
        printf "  journal, all three %8.1f ms (processor %6.0f ms)  ratio %.2f  peak %.1f MiB\n", a / 1000, ac, a / c, p / 1024
        printf "  journal, HTML only %8.1f ms (processor %6.0f ms)  ratio %.2f\n", h / 1000, hc, h / c
        printf "  libxlsxwriter alone, a %d x %d answers matrix %8.1f ms (processor %6.0f ms)  ratio %.2f\n", s, q, m / 1000, mc, m / c }'
    echo "  blocks read from the disk while timed: cat $(reads cat), journal $(reads all), HTML only $(reads html)"
    rm -rf "$out"
}

mkdir -p "$data"
make_class q255x1000 255 1000
make_class q50x10000 50 10000
echo "Medians of $rounds rounds, each command in turn; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
run_set q255x1000 255 1000
run_set q50x10000 50 10000
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
