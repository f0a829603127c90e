#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The desktop entry's way in, on a private X display: ekzamo-journal started
# with no arguments shows the folder dialog; the report on the folder typed
# into it goes to the teacher's data folder, never into the class folder
# (students can write there), and the browser (a stand-in registered for
# HTML) is asked to open it. Escape in the dialog ends it with status 0 and
# writes nothing.
# Usage: tst_dialog.sh EKZAMO_JOURNAL SAMPLE_CLASS_FOLDER
set -euo pipefail
journal=$(realpath "$1")
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/xvfb.sh"
scratch=$(mktemp -d)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    rm -rf "$scratch"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

ekzamo_xvfb 1280x1024
pids+=("$EKZAMO_XVFB_PID")
openbox >/dev/null 2>&1 &
pids+=($!)

# A browser of our own: it only notes what it was asked to open.
export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data XDG_RUNTIME_DIR=$scratch/run
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME/applications" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
printf '#!/bin/sh\necho "$1" >"%s/opened"\n' "$scratch" >"$scratch/stand-in"
chmod +x "$scratch/stand-in"
cat >"$XDG_DATA_HOME/applications/stand-in.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=Stand-in browser
Exec=$scratch/stand-in %u
MimeType=text/html;
ENTRY
printf '[Default Applications]\ntext/html=stand-in.desktop\nx-scheme-handler/file=stand-in.desktop\n' \
    >"$XDG_CONFIG_HOME/mimeapps.list"
unset BROWSER QT_QPA_PLATFORM WAYLAND_DISPLAY
export XDG_CURRENT_DESKTOP=X-Generic

# The folder is typed, so its name is Latin; the students' names are not.
cp -r "$2" "$scratch/class"
report=$XDG_DATA_HOME/Ekzamo/ekzamo-journal/class.html

# A loaded machine (CI beside other builds) can take long to show it.
dialog() {
    timeout 60 xdotool search --sync --onlyvisible --name 'Папка с результатами' 2>/dev/null | head -n 1
}

# The dialog opens in the home folder: the folder's name alone is typed, since
# a '/' typed makes the dialog change folder on its own time, and on a loaded
# machine the letters typed after it could be lost to that.
HOME=$scratch "$journal" >"$scratch/log" 2>&1 &
program=$!
pids+=("$program")
if window=$(dialog) && [ -n "$window" ]; then
    xdotool windowactivate --sync "$window" type --delay 20 "class"
    xdotool key Return
    status=0
    wait "$program" || status=$?
    [ "$status" = 0 ] || fail "exit status $status: $(cat "$scratch/log")"
    [ -s "$report" ] || fail "no report in the teacher's data folder; there: $(ls -A "$(dirname "$report")" 2>&1 | head -n 5)"
    [ "$(stat -c %a "$(dirname "$report")")" = 700 ] || fail "the teacher's report folder is open to others"
    [ -z "$(find "$scratch/class" -newer "$scratch/log" -o -name '*.html')" ] || fail "the class folder was written"
    for _ in $(seq 50); do [ -s "$scratch/opened" ] && break; sleep 0.2; done
    [ -s "$scratch/opened" ] && grep -q "ekzamo-journal/class.html" "$scratch/opened" \
        || fail "the browser was not asked to open the report"
else
    fail "no folder dialog within 60 s: $(cat "$scratch/log")"
    # Lest the second run's search find this one's dialog.
    kill "$program" 2>/dev/null || true
    wait "$program" 2>/dev/null || true
fi

rm -f "$report"
HOME=$scratch "$journal" >"$scratch/log" 2>&1 &
program=$!
pids+=("$program")
if window=$(dialog) && [ -n "$window" ]; then
    xdotool windowactivate --sync "$window" key Escape
    status=0
    wait "$program" || status=$?
    [ "$status" = 0 ] || fail "Escape: exit status $status"
    [ ! -e "$report" ] || fail "Escape wrote a report"
else
    fail "no folder dialog the second time"
fi

[ "$failures" -eq 0 ] && echo "Dialog test passed."
exit $((failures > 0))
