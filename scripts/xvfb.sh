# SPDX-License-Identifier: MIT
# Sourced by the scripts that need an X server of their own.

# ekzamo_xvfb WIDTHxHEIGHT: starts Xvfb on a free display, waits until it
# answers and exports DISPLAY; EKZAMO_XVFB_PID is the server's process, for
# the caller to end.
ekzamo_xvfb() {
    local ready number
    # Xvfb picks the display itself and writes its number here once ready.
    exec {ready}<> <(:)
    Xvfb -displayfd "$ready" -screen 0 "$1x24" -nolisten tcp -noreset >/dev/null 2>&1 &
    EKZAMO_XVFB_PID=$!
    if ! read -r -t 20 number <&"$ready"; then
        exec {ready}>&-
        echo "Xvfb did not start" >&2
        return 1
    fi
    exec {ready}>&-
    export DISPLAY=:$number
}
