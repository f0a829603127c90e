#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Takes the README's screenshots: the program runs under Xvfb with a small
# window manager and is driven by keys, as a student would.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/deps.sh"
ekzamo_install xvfb xauth openbox xdotool imagemagick
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target Ekzamo >/dev/null
mkdir -p "$root/docs"

export DISPLAY=:97
Xvfb "$DISPLAY" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1
openbox >/dev/null 2>&1 &
sleep 1

cd "$root/examples"
"$root/build/Ekzamo" >/dev/null 2>&1 &
app=$!
trap 'kill $app $xvfb 2>/dev/null' EXIT

window() { xdotool search --sync --onlyvisible --name "$1" | head -n 1; }
shot() { sleep 0.7; import -frame -window "$(window "$1")" "$root/docs/$2"; }

setup=$(window '^Ekzamo$')
xdotool windowactivate --sync "$setup" key F1
shot '^Ekzamo$' setup.png

# "Помощь" - "О программе", then OK back to the setup window.
xdotool mousemove --window "$setup" 150 10 click 1
sleep 0.3
xdotool key Down Down Return
shot 'О программе' about.png
xdotool key Return
sleep 0.3

xdotool key F3
sleep 1
xdotool type --delay 20 informatics.txt
xdotool key Escape Return   # close the name completer, then open the file
sleep 0.5
xdotool windowactivate --sync "$setup"
eval "$(xdotool getwindowgeometry --shell "$setup")"
# "Ввод времени", below the menu bar, then F9 to start.
xdotool mousemove --window "$setup" 665 $((HEIGHT - 147 + 124)) click 1
sleep 0.3
xdotool key F9

test=$(window 'Тесты по дисциплине')
xdotool windowactivate --sync "$test"
sleep 1.5
# The second option.
xdotool mousemove --window "$test" 40 $((152 + 84 + 28)) click 1
shot 'Тесты по дисциплине' test.png
kill $app
