#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The editor's start-up against a bare Qt Widgets window, as bench/startup.sh
# measures the program's: the time from a process's start until its first
# window is mapped on Xvfb (no window manager), with the peak resident memory
# then. The editor opens a test of 255 questions of five options given on its
# command line and shows the first question before its window is mapped.
# Medians of interleaved runs.
# Usage: bench/editor-startup.sh [RUNS]   (default 11)
# EKZAMO_EDITOR=path/to/ekzamo-editor measures another build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-11}
. "$root/bench/session.sh"
cmake --build "$build" -j"$(nproc)" --target ekzamo-editor bare_window mapwait >/dev/null

editor=$(realpath "${EKZAMO_EDITOR:-$build/editor/ekzamo-editor}")
work=$(mktemp -d)
trap 'kill "${EKZAMO_XVFB_PID:-}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
# 255 questions, five options each, Windows-1251 with CR LF: about 40 KB.
python3 - "$work/test255.txt" <<'PY'
import sys
lines = []
for k in range(1, 256):
    lines.append(f"Вопрос {k}: какой из ответов верный, если читать внимательно и до конца?")
    lines += ["5", str(1 + k % 5)]
    lines += [f"Вариант ответа {i} к вопросу {k}, достаточно длинный" for i in range(1, 6)]
with open(sys.argv[1], "wb") as f:
    f.write("".join(line + "\r\n" for line in lines).encode("cp1251"))
PY
export XDG_RUNTIME_DIR=$work XDG_CONFIG_HOME=$work/config
export QT_QPA_PLATFORM=xcb

measure() { (cd "$work" && "$build/bench/mapwait" "$@"); }
# One untimed run each fills the caches both will find warm. On a machine
# where other private servers come and go, a server that does not answer is
# started anew.
for attempt in 1 2 3; do
    ekzamo_xvfb 1280x1024
    measure "$editor" "$work/test255.txt" >/dev/null 2>&1 && measure "$build/bench/bare_window" >/dev/null 2>&1 && break
    kill "$EKZAMO_XVFB_PID" 2>/dev/null || true
    [ "$attempt" -lt 3 ] || { echo "no X server answered" >&2; exit 1; }
done
for i in $(seq "$runs"); do
    measure "$editor" "$work/test255.txt" >>"$work/editor"
    measure "$build/bench/bare_window" >>"$work/bare"
done

bench_report "ekzamo-editor, 255 questions" "$work/editor" "$work/bare"
