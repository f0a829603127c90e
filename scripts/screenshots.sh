#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Takes the README's screenshots: the program runs under Xvfb with a small
# window manager and is driven by keys, as a student would; once at normal
# scale on a 1280 x 1024 screen and once at QT_SCALE_FACTOR=2 on 2560 x 2048;
# then the test editor (docs/editor.png).
# Usage: scripts/screenshots.sh [program|editor]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/deps.sh"
. "$root/scripts/xvfb.sh"
ekzamo_install xvfb xauth openbox xdotool imagemagick x11-utils chromium
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target Ekzamo ekzamo-journal ekzamo-editor >/dev/null
mkdir -p "$root/docs"

pids=()
trap 'for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done' EXIT

# Waits up to ten seconds for a visible window of that title.
window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) && [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    echo "no window $1" >&2
    return 1
}
shot() { sleep 0.8; import -frame -window "$(window "$1")" "$root/docs/$2"; }

# Takes the four screenshots on a screen of size $1 at scale $2, naming them
# with suffix $3.
take() {
    ekzamo_xvfb "$1"
    pids+=("$EKZAMO_XVFB_PID")
    openbox >/dev/null 2>&1 &
    pids+=($!)
    sleep 1

    cd "$root/examples"
    rm -f informatics.out
    QT_SCALE_FACTOR=$2 "$root/build/Ekzamo" >/dev/null 2>&1 &
    local app=$!
    pids+=($app)

    xdotool windowactivate --sync "$(window '^Ekzamo$')" key F1
    shot '^Ekzamo$' "setup$3.png"

    # "Помощь" - "О программе" by keys, then OK back to the setup window.
    xdotool key alt Right Right Down Down Return
    shot 'О программе' "about$3.png"
    xdotool key Return
    sleep 0.3

    xdotool key F3
    sleep 1
    xdotool type --delay 20 informatics.txt
    xdotool key Return
    sleep 0.5
    xdotool windowactivate --sync "$(window '^Ekzamo$')"
    # Tab to the time picker, on to "Ввод времени", press it; F9 starts.
    xdotool key Tab Tab Tab space F9

    xdotool windowactivate --sync "$(window 'Тесты по дисциплине')"
    sleep 1.5
    xdotool key 2
    shot 'Тесты по дисциплине' "test$3.png"
    # Past "Пропустить" and "Подтвердить" to "Выход": the score.
    xdotool key Tab Tab Tab space
    shot '^Ekzamo$' "score$3.png"
    xdotool key Return
    for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    rm -f informatics.out
}

# The teachers' editor on a sample with faults: the first question with its
# seven options and the warnings pane below.
editor_shot() {
    ekzamo_xvfb 1280x1024
    pids+=("$EKZAMO_XVFB_PID")
    openbox >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
    local work
    work=$(mktemp -d)
    cp "$root/examples/corners.txt" "$work/"
    XDG_CONFIG_HOME=$work "$root/build/editor/ekzamo-editor" "$work/corners.txt" >/dev/null 2>&1 &
    pids+=($!)
    xdotool windowactivate --sync "$(window '^corners.txt — Ekzamo')"
    shot '^corners.txt — Ekzamo' editor.png
    rm -rf "$work"
}

# The journal of the sample class (examples/9А), checked against the three
# tests and kept in a database of its own, as chromium shows it: the class's
# sheet first.
journal_shot() {
    local scratch
    scratch=$(mktemp -d)
    (cd "$root/examples" && "$root/build/journal/ekzamo-journal" --db "$scratch/journal.sqlite" --class 9А \
        --key corners.txt --key geography.txt --key informatics.txt --teacher "Смирнова Е. В." \
        --html "$scratch/journal.html" 9А >/dev/null)
    chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --user-data-dir="$scratch/profile" \
        --window-size=1100,1500 --screenshot="$root/docs/journal.png" "file://$scratch/journal.html" 2>/dev/null
    rm -rf "$scratch"
}

# "program", "editor" or "journal" takes only those.
what=${1:-all}
if [ "$what" = all ] || [ "$what" = program ]; then
    take 1280x1024 1 ""
    take 2560x2048 2 "@2x"
fi
if [ "$what" = all ] || [ "$what" = editor ]; then editor_shot; fi
if [ "$what" = all ] || [ "$what" = journal ]; then journal_shot; fi
