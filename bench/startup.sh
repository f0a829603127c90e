#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Start-up against a bare Qt Widgets window: the time from a process's start
# to its first window being mapped on Xvfb (no window manager), the peak
# resident memory and the processor time used by that moment, medians of
# interleaved runs.
# Usage: bench/startup.sh [RUNS]   (default 11)
# EKZAMO=path/to/Ekzamo measures another build of the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-11}
. "$root/bench/session.sh"
cmake --build "$build" -j"$(nproc)" --target Ekzamo bare_window mapwait >/dev/null

program=$(realpath "${EKZAMO:-$build/Ekzamo}")
work=$(mktemp -d)
trap 'kill "${EKZAMO_XVFB_PID:-}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
ekzamo_xvfb 1280x1024
export XDG_RUNTIME_DIR=$work
export QT_QPA_PLATFORM=xcb

measure() { (cd "$work" && "$build/bench/mapwait" "$@"); }
# One untimed run each fills the caches both will find warm.
measure "$program" >/dev/null
measure "$build/bench/bare_window" >/dev/null
for i in $(seq "$runs"); do
    measure "$program" >>"$work/ekzamo"
    measure "$build/bench/bare_window" >>"$work/bare"
done

bench_report "Ekzamo" "$work/ekzamo" "$work/bare"
