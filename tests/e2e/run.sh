#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the end-to-end scenarios against a real Ekzamo executable: a private X
# server with a window manager, a private D-Bus session bus with the
# accessibility bus on it, keys and clicks from xdotool, and what the windows
# show read back through AT-SPI.
# Usage: tests/e2e/run.sh path/to/Ekzamo [scenario...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "$1")
shift
. "$here/../../scripts/xvfb.sh"
. "$here/session.sh"

ekzamo_xvfb 1280x1024
pids+=("$EKZAMO_XVFB_PID")
openbox >/dev/null 2>&1 &
pids+=($!)
wait_for 100 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'

start_accessibility_bus

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8
unset QT_SCALE_FACTOR
status=0
if [ -n "${EKZAMO_E2E_DRIVER:-}" ]; then
    # Another driver for the same session (tests/e2e/soak.py).
    EKZAMO_E2E_SESSION=1 /usr/bin/python3 "$EKZAMO_E2E_DRIVER" "$exe" "$@" || status=$?
    exit $status
fi
EKZAMO_E2E_SESSION=1 /usr/bin/python3 "$here/scenarios.py" "$exe" "$@" || status=$?
# The teachers' editor, built beside the program.
editor=${EKZAMO_EDITOR:-$(dirname "$exe")/editor/ekzamo-editor}
if [ -x "$editor" ]; then
    /usr/bin/python3 "$here/editor.py" "$exe" "$(realpath "$editor")" "$(dirname "$exe")/ekzamo-check" "$@" || status=$?
fi
exit $status
