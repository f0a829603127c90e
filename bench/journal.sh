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
#
# The database, side by side in the same run: the 10,000 files collected
# into a new SQLite database and collected again with nothing new, each
# against `cat`; a report with every output for one class from a school's
# database (40 classes × 25 students × 100 tests: 100,000 attempts), from
# SQLite and from PostgreSQL, with its peak memory. The school is simulated
# and collected class by class once, into both; the PostgreSQL 15 server is
# a private one, on a socket in a folder of its own, started and stopped here.
#
# Usage: bench/journal.sh [ROUNDS]   (default 5; medians are reported)
# Sizes, for a quick run: EKZAMO_JOURNAL_BENCH_FILES (10000, the 50-question
# set), EKZAMO_JOURNAL_BENCH_CLASSES, _STUDENTS, _TESTS (40, 25, 100), and
# EKZAMO_JOURNAL_BENCH_PARTS (files database postgresql: what is run).
# EKZAMO_JOURNAL=path/to/ekzamo-journal measures another build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-5}
data=${EKZAMO_JOURNAL_BENCH_DIR:-/tmp/ekzamo-journal-bench}
files=${EKZAMO_JOURNAL_BENCH_FILES:-10000}
classes=${EKZAMO_JOURNAL_BENCH_CLASSES:-40}
students=${EKZAMO_JOURNAL_BENCH_STUDENTS:-25}
tests=${EKZAMO_JOURNAL_BENCH_TESTS:-100}
parts=" ${EKZAMO_JOURNAL_BENCH_PARTS:-files database postgresql} "
pgbin=/usr/lib/postgresql/15/bin
build=$root/build-bench
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DEKZAMO_BENCH=ON -DEKZAMO_FUZZ=OFF >/dev/null
journal=${EKZAMO_JOURNAL:-}
cmake --build "$build" -j"$(nproc)" --target $([ -n "$journal" ] || echo ekzamo-journal) simulate_class bench_xlsx_matrix >/dev/null
journal=${journal:-$build/journal/ekzamo-journal}

# A test of N questions of five options, wordings of a typical length;
# TOPIC, when given, begins each wording.
make_test() {
    local n=$1 topic=${2:+$2. } k
    for ((k = 1; k <= n; k++)); do
        printf '%sВопрос %d: какое из следующих утверждений о предмете верно в этом случае?\n5\n%d\n' "$topic" "$k" $((k % 5 + 1))
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

# run_collect NAME: the set's folder collected into a new SQLite database,
# then again into the same one with nothing new, each beside `cat`.
run_collect() {
    local name=$1 dir=$data/$1/results
    out=$(mktemp -d)
    find "$dir" -name '*.out' -type f -print0 | sort -z >"$out/list"
    local cat=(sh -c 'find "$1" -name "*.out" -type f -print0 | xargs -0 cat' sh "$dir")
    local collect=("$journal" --db "$out/new.sqlite" --class bench --collect-only "$dir")
    local warm=(xargs -0 -a "$out/list" cat)
    fresh() {
        rm -f "$out"/new.sqlite*
        "${warm[@]}" >/dev/null
        timed fresh "${collect[@]}"
        "${warm[@]}" >/dev/null
        timed again "${collect[@]}"
    }
    for ((r = 0; r < rounds; r++)); do
        if ((r % 2 == 0)); then
            "${warm[@]}" >/dev/null; timed cat "${cat[@]}"
            fresh
        else
            fresh
            "${warm[@]}" >/dev/null; timed cat "${cat[@]}"
        fi
    done
    local c
    c=$(wall cat)
    echo "$name collected into SQLite ($(tr -cd '\0' <"$out/list" | wc -c) files, collection alone, --collect-only):"
    printf '  cat                        %8.1f ms\n' "$(echo "$c" | awk '{ print $1 / 1000 }')"
    line "  into a new database       " fresh "$c"
    line "  again, nothing new        " again "$c"
    rm -rf "$out"
}

wall() { awk '{ print $1 }' "$out/$1" | median; }
cpu() { awk '{ print ($2 + $3) * 1000 }' "$out/$1" | median; }
peak() { awk '{ print $4 }' "$out/$1" | sort -n | tail -n 1; }
# line TEXT NAME BASE: NAME's median time, its ratio to BASE (a wall time
# in µs), its processor time and its peak memory.
line() {
    awk -v t="$1" -v w="$(wall "$2")" -v b="$3" -v c="$(cpu "$2")" -v p="$(peak "$2")" 'BEGIN {
        printf "%s %8.1f ms (processor %6.0f ms)  ratio %.2f  peak %.1f MiB\n", t, w / 1000, c, w / b, p / 1024 }'
}

school=$data/school-${classes}x${students}x${tests}
pgdb=school_${classes}x${students}x${tests}
# The school: every class takes every test of 20 questions through the
# engine; its folder is collected into the database with its class list.
# collect_school WHERE MARK: into SQLite or PostgreSQL, once.
collect_school() {
    [ -f "$school.$2" ] && return
    local c
    if [ ! -f "$school.made" ]; then
        rm -rf "$school" && mkdir -p "$school/tests"
        for ((c = 1; c <= tests; c++)); do
            make_test 20 "Тест $c" >"$school/tests/t$(printf %03d "$c").txt"
        done
        for ((c = 1; c <= students; c++)); do
            printf 'Ученик %02d\n' "$c"
        done >"$school/list.txt"
        for ((c = 1; c <= classes; c++)); do
            "$build/bench/simulate_class" --seed "$c" --names "$school/list.txt" "$school/classes/c$c" "$school"/tests/*.txt
        done
        touch "$school.made"
    fi
    for ((c = 1; c <= classes; c++)); do
        "$journal" --db "$1" --class "c$c" --class-list "$school/list.txt" --html "$school/c.html" \
            "$school/classes/c$c" >/dev/null
    done
    touch "$school.$2"
}

# A private PostgreSQL 15 server in $data/pg, on a socket in a folder of its
# own, as the user running this or, for root, as postgres; stopped on exit.
pg_start() {
    pgas=()
    [ "$(id -u)" = 0 ] && pgas=(runuser -u postgres --)
    pgsock=$(mktemp -d)
    [ "$(id -u)" = 0 ] && chown postgres "$pgsock"
    if [ ! -f "$data/pg/PG_VERSION" ]; then
        mkdir -p "$data/pg"
        [ "$(id -u)" = 0 ] && chown postgres "$data/pg"
        "${pgas[@]}" "$pgbin/initdb" -D "$data/pg" -A trust -U bench -E UTF8 --locale C.UTF-8 >/dev/null
        rm -f "$data"/school-*.pg
    fi
    # The school is loaded with commits not waited for; the report only reads.
    "${pgas[@]}" "$pgbin/pg_ctl" -D "$data/pg" -l "$pgsock/log" -w \
        -o "-k $pgsock -c listen_addresses= -c synchronous_commit=off" start >/dev/null
    trap '"${pgas[@]}" "$pgbin/pg_ctl" -D "$data/pg" -m fast -w stop >/dev/null; rm -rf "$pgsock"' EXIT
    "$pgbin/psql" -h "$pgsock" -U bench -d postgres -tAc "SELECT 1 FROM pg_database WHERE datname = '$pgdb'" | grep -q 1 ||
        "$pgbin/createdb" -h "$pgsock" -U bench "$pgdb"
    pgurl="postgresql://bench@/$pgdb?host=$pgsock"
}

# run_report: one class's report with every output, from SQLite and, when
# asked, from PostgreSQL, in turn.
run_report() {
    out=$(mktemp -d)
    local cls=c$(((classes + 1) / 2))
    local lite=("$journal" --db "$school/school.sqlite" --class "$cls" --html "$out/r.html" --xlsx "$out/r.xlsx" --csv "$out/csv")
    local pg=("$journal" --db "${pgurl:-}" --class "$cls" --html "$out/p.html" --xlsx "$out/p.xlsx" --csv "$out/pcsv")
    for ((r = 0; r < rounds; r++)); do
        if ((r % 2 == 0)); then
            timed sqlite "${lite[@]}"
            [ -n "${pgurl:-}" ] && timed postgresql "${pg[@]}"
        else
            [ -n "${pgurl:-}" ] && timed postgresql "${pg[@]}"
            timed sqlite "${lite[@]}"
        fi
    done
    echo "A report with every output for class $cls of $classes × $students students × $tests tests ($((classes * students * tests)) attempts):"
    local l
    l=$(wall sqlite)
    line "  from SQLite               " sqlite "$l"
    echo "  SQLite database: $(du -m "$school/school.sqlite" | cut -f1) MB"
    [ -n "${pgurl:-}" ] && line "  from PostgreSQL           " postgresql "$l"
    rm -rf "$out"
}

mkdir -p "$data"
echo "Medians of $rounds rounds, each command in turn; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
if [[ $parts == *" files "* ]]; then
    make_class q255x1000 255 1000
    make_class q50x$files 50 "$files"
    run_set q255x1000 255 1000
    run_set q50x$files 50 "$files"
fi
if [[ $parts == *" database "* ]]; then
    make_class q50x$files 50 "$files"
    run_collect q50x$files
    collect_school "$school/school.sqlite" sqlite
    if [[ $parts == *" postgresql "* ]]; then
        pg_start
        collect_school "$pgurl" pg
    fi
    run_report
fi
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
