#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A class of 20 as a teacher finds it after three tests: results written by
# the program's own engine (bench/simulate_class), with the usual mess. Phase 1
# is the term up to the first collection; phase 2 what happens after it.
#
#   make-messy-class.sh OUTDIR phase1|phase2 [SIMULATE_CLASS]
#
# OUTDIR/tests/*.txt the teacher's tests (the keys), OUTDIR/9Б.txt the class
# list (Windows-1251, CR LF, as Notepad saves it), OUTDIR/9Б/<student>/<test>.out
# the results. Each case is on a student of its own:
#   Борисов Максим  informatics: 9 of 20; in phase 2 a retake the program
#                   writes over the file, 16 of 20
#   Григорьев Артём geography: absent, no file
#   Дмитриев Олег   algebra: left after 5 questions, 2 of them right
#   Егорова Софья   geography: the score line alone
#   Ёлкин Фёдор     sorts with Е, not after Я
#   Жуков Кирилл    informatics: 7 of 20; in phase 2 ten answers set right
#                   and the score line raised to 17, so the file agrees with itself
#   Зайцева Алиса   geography: 8 of 20, four «Правильный ответ» lines set to
#                   her answers and the score line raised to 12
#   Ильин Тимофей   INFORMATICS.OUT, as a FAT stick gives it back
#   Козлов Кирилл   informatics (2).out beside informatics.out, a day later
#   Лебедев Матвей  algebra: an earlier attempt in «первая попытка/»
#   Новиков Роман   черновик.out, which is not results
#   Орлова Мария    informatics from a version with one wording changed by a space
#   Чернов Глеб     results in every test, not on the list
# and 9Б/Thumbs.db. Everyone else answers every question (no skips).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:?usage: make-messy-class.sh OUTDIR phase1|phase2 [SIMULATE_CLASS]}
phase=${2:?usage: make-messy-class.sh OUTDIR phase1|phase2 [SIMULATE_CLASS]}
simulate=${3:-$root/build/bench/simulate_class}
class=$out/9Б
names=$(mktemp)
trap 'rm -f "$names"' EXIT

enc() { printf '%s' "$1" | iconv -f UTF-8 -t CP1251; }

# simulate STUDENT TEST [OPTIONS...]: one student's results file for one
# test, written over the one in the class's folder.
simulate() {
    simulate_in "$class" "$@"
}

# simulate_in BASE STUDENT TEST [OPTIONS...]: the same in BASE/STUDENT.
simulate_in() {
    local base=$1 student=$2 test=$3
    shift 3
    printf '%s\n' "$student" >"$names"
    "$simulate" --skip 0 --names "$names" "$@" "$base" "$test" >/dev/null
}

# edit FILE answers|key N OLD NEW: a hand edit of N questions answered wrong,
# in place as an editor saves: "answers" sets the answer to the right one,
# "key" the right answer to the one given; the score line from OLD to NEW.
edit() {
    local file=$1
    LC_ALL=C awk -v mode="$2" -v n="$3" -v old=" $4 " -v new=" $5 " \
        -v given="$(enc 'Ваш ответ: ')" -v right="$(enc 'Правильный ответ: ')" '
        { line[NR] = $0 }
        END {
            for (i = 1; i < NR && done < n; i++) {
                if (index(line[i], given) != 1 || index(line[i + 1], right) != 1)
                    continue
                g = substr(line[i], length(given) + 1); sub(/\r$/, "", g)
                c = substr(line[i + 1], length(right) + 1); sub(/\r$/, "", c)
                if (g == c || g == "0")
                    continue
                if (mode == "answers")
                    line[i] = given c "\r"
                else
                    line[i + 1] = right g "\r"
                done++
            }
            if (done < n || !sub(old, new, line[1]))
                exit 1
            for (i = 1; i <= NR; i++)
                print line[i]
        }' "$file" >"$file.edited"
    cat "$file.edited" >"$file"
    rm "$file.edited"
}

# make_test NAME KIND: 20 questions of four options, the right one at
# different places.
make_test() {
    local k a b n right options
    for ((k = 1; k <= 20; k++)); do
        case $2 in
        algebra)
            a=$((k + 6)) b=$((k % 7 + 3))
            n=$((a * b))
            printf 'Чему равно произведение %d и %d?\n' "$a" "$b"
            options=("$n" "$((n + a))" "$((n - b))" "$((n + 10))") ;;
        informatics)
            n=$((k + 4))
            local bits="" m=$n
            for ((; m > 0; m /= 2)); do bits=$((m % 2))$bits; done
            printf 'Какое десятичное число записано в двоичной системе как %s?\n' "$bits"
            options=("$n" "$((n + 1))" "$((n - 1))" "$((n * 2))") ;;
        geography)
            local capitals=(Париж Берлин Мадрид Рим Лиссабон Вена Прага Варшава Осло Хельсинки
                Стокгольм Копенгаген Афины Будапешт Дублин Рига Таллин Вильнюс Бухарест София)
            local countries=(Франции Германии Испании Италии Португалии Австрии Чехии Польши Норвегии
                Финляндии Швеции Дании Греции Венгрии Ирландии Латвии Эстонии Литвы Румынии Болгарии)
            printf 'Какой город является столицей %s?\n' "${countries[k - 1]}"
            options=("${capitals[k - 1]}" "${capitals[k % 20]}" "${capitals[(k + 5) % 20]}" "${capitals[(k + 11) % 20]}") ;;
        esac
        # The right option moves to place `right` in the file.
        right=$((k % 4 + 1))
        local shown=("${options[@]:1:right-1}" "${options[0]}" "${options[@]:right}")
        printf '4\n%d\n' "$right"
        printf '%s\n' "${shown[@]}"
    done
}

# touch_day FILE DAYS_AGO HH:MM: the file's time, the day it was written.
touch_day() {
    touch -d "$(date -d "$2 days ago" +%F) $3" "$1"
}

phase1() {
    rm -rf "$out"
    mkdir -p "$out/tests" "$out/old" "$class"
    local t
    for t in algebra informatics geography; do
        make_test "$t" "$t" | iconv -f UTF-8 -t CP1251 >"$out/tests/$t.txt"
    done
    # The version Орлова took: one space more in one wording.
    make_test informatics informatics | sed 's/записано в двоичной системе как 1011?/записано в двоичной  системе как 1011?/' \
        | iconv -f UTF-8 -t CP1251 >"$out/old/informatics.txt"
    cmp -s "$out/tests/informatics.txt" "$out/old/informatics.txt" && { echo "the old version is the same" >&2; exit 1; }

    cat <<'LIST' | iconv -f UTF-8 -t CP1251 | sed 's/$/\r/' >"$out/9Б.txt"
Алексеев Иван
Борисов Максим
Васильева Полина
Григорьев Артём
Дмитриев Олег
Егорова Софья
Ёлкин Фёдор
Жуков Кирилл
Зайцева Алиса
Ильин Тимофей
Ковалёва Вера
Козлов Кирилл
Лебедев Матвей
Морозова Ева
Новиков Роман
Орлова Мария
Петров Денис
Соколова Анна
Тихонов Егор
Яковлева Юлия
LIST
    # Everyone, Чернов too, takes every test; the cases are then written over.
    { iconv -f CP1251 -t UTF-8 "$out/9Б.txt" | tr -d '\r'; echo 'Чернов Глеб'; } >"$names"
    "$simulate" --seed 26 --skip 0 --names "$names" "$class" \
        "$out/tests/algebra.txt" "$out/tests/informatics.txt" "$out/tests/geography.txt" >/dev/null

    simulate 'Борисов Максим' "$out/tests/informatics.txt" --right 9
    rm "$class/Григорьев Артём/geography.out"
    simulate 'Дмитриев Олег' "$out/tests/algebra.txt" --answered 5 --right 2
    simulate 'Егорова Софья' "$out/tests/geography.txt" --plain 1
    simulate 'Жуков Кирилл' "$out/tests/informatics.txt" --right 7
    simulate 'Зайцева Алиса' "$out/tests/geography.txt" --right 8
    edit "$class/Зайцева Алиса/geography.out" key 4 8 12
    mv "$class/Ильин Тимофей/informatics.out" "$class/Ильин Тимофей/INFORMATICS.OUT"
    simulate_in "$out/old" 'Козлов Кирилл' "$out/tests/informatics.txt" --seed 5
    mv "$out/old/Козлов Кирилл/informatics.out" "$class/Козлов Кирилл/informatics (2).out"
    simulate_in "$out/old" 'Лебедев Матвей' "$out/tests/algebra.txt" --seed 7
    mkdir "$class/Лебедев Матвей/первая попытка"
    mv "$out/old/Лебедев Матвей/algebra.out" "$class/Лебедев Матвей/первая попытка/"
    rmdir "$out/old/Козлов Кирилл" "$out/old/Лебедев Матвей"
    enc 'не забыть: тетрадь, пересдача в четверг' >"$class/Новиков Роман/черновик.out"
    simulate 'Орлова Мария' "$out/old/informatics.txt"
    printf '\0\0\0\0\1\0\0\0' >"$class/Thumbs.db"

    # The days the tests were written; one student a minute.
    local student k=0
    for student in "$class"/*/; do
        k=$((k + 1))
        local m
        m=$(printf '%02d' "$k")
        for f in "$student"*.out "$student"*.OUT; do
            [ -f "$f" ] || continue
            case ${f##*/} in
            algebra.out) touch_day "$f" 9 "10:$m" ;;
            informatics* | INFORMATICS*) touch_day "$f" 16 "09:$m" ;;
            geography.out) touch_day "$f" 12 "11:$m" ;;
            *) touch_day "$f" 14 "12:$m" ;;
            esac
        done
    done
    touch_day "$class/Козлов Кирилл/informatics (2).out" 15 "14:00"
    touch_day "$class/Лебедев Матвей/первая попытка/algebra.out" 10 "10:30"
}

phase2() {
    [ -f "$class/Борисов Максим/informatics.out" ] || { echo "phase1 first" >&2; exit 1; }
    simulate 'Борисов Максим' "$out/tests/informatics.txt" --right 16 --seed 3
    edit "$class/Жуков Кирилл/informatics.out" answers 10 7 17
}

case $phase in
phase1) phase1 ;;
phase2) phase2 ;;
*) echo "usage: make-messy-class.sh OUTDIR phase1|phase2 [SIMULATE_CLASS]" >&2; exit 2 ;;
esac
