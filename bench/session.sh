# SPDX-License-Identifier: MIT
# Sourced by the start-up benchmarks, with `root` set: installs what they
# need, runs the caller again under a session bus of its own and configures
# the Release build in build-bench.
. "$root/scripts/deps.sh"
. "$root/scripts/xvfb.sh"
ekzamo_install xvfb xauth x11-utils libx11-dev dbus
# A desktop session has a session bus, which Qt talks to as it starts; without
# one, D-Bus may start a bus of its own for each program, which is no one's
# start-up.
if [ -z "${EKZAMO_BENCH_BUS:-}" ]; then
    EKZAMO_BENCH_BUS=1 exec dbus-run-session -- "$0" "$@"
fi

build="$root/build-bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DEKZAMO_FUZZ=OFF -DEKZAMO_BENCH=ON >/dev/null
