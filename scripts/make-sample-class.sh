#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the sample class's results in examples/9А: twelve students, one
# folder each, who took the three sample tests through the program's own
# engine (bench/simulate_class) with seeded answers; every fifth student
# without detailed results. The options' order comes from the engine's clock
# seed, so a new run gives the same scores with the options placed anew.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/deps.sh"
ekzamo_install
# The class is simulated by a tool that lives with the benchmarks.
cmake -S "$root" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DEKZAMO_BENCH=ON -DEKZAMO_FUZZ=OFF >/dev/null
cmake --build "$root/build-bench" -j"$(nproc)" --target simulate_class >/dev/null

class=$root/examples/9А
names=$(mktemp)
trap 'rm -f "$names"' EXIT
cat >"$names" <<'NAMES'
Алексеева Дарья
Борисов Максим
Васильева Полина
Григорьев Артём
Егорова Софья
Жуков Кирилл
Зайцева Алиса
Ильин Тимофей
Ковалёва Вера
Лебедев Матвей
Морозова Ева
Новиков Роман
NAMES
rm -rf "$class"
"$root/build-bench/bench/simulate_class" --seed 9 --plain 5 --names "$names" "$class" \
    "$root/examples/informatics.txt" "$root/examples/geography.txt" "$root/examples/corners.txt"
find "$class" -name '*.out' | wc -l
