# SPDX-License-Identifier: MIT
# Sourced by the end-to-end scripts: processes and folders ended and removed
# on exit, bounded waits, and a private session bus with the accessibility
# bus on it, through which the drivers read the windows.

pids=()
dirs=()
cleanup() {
    local pid child
    # Newest first; the accessibility bus launcher's own bus and registry go with it.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        pid=${pids[i]}
        for child in $(pgrep -P "$pid" 2>/dev/null); do kill "$child" 2>/dev/null || true; done
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    done
    [ ${#dirs[@]} -eq 0 ] || rm -rf "${dirs[@]}"
}
trap cleanup EXIT

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
    local tenths=$1
    shift
    for _ in $(seq "$tenths"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    echo "timed out waiting for: $*" >&2
    return 1
}

start_accessibility_bus() {
    local bus
    bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
    export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
    pids+=($(sed -n 2p <<<"$bus"))
    /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
    pids+=($!)
    wait_for 100 dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress
}
