# SPDX-License-Identifier: MIT
# Sourced by the start-up benchmarks, with `root` set: installs what they
# need, runs the caller again under a session bus of its own and configures
# the Release build in build-bench.
. "$root/scripts/deps.sh"
. "$root/scripts/xvfb.sh"
ekzamo_install xvfb xauth x11-utils libx11-dev libxdamage-dev dbus
# A desktop session has a session bus, which Qt talks to as it starts; without
# one, D-Bus may start a bus of its own for each program, which is no one's
# start-up.
if [ -z "${EKZAMO_BENCH_BUS:-}" ]; then
    EKZAMO_BENCH_BUS=1 exec dbus-run-session -- "$0" "$@"
fi

build="$root/build-bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DEKZAMO_FUZZ=OFF -DEKZAMO_BENCH=ON >/dev/null

# bench_report NAME FILE BARE: medians of mapwait's figures for a program and
# for the bare window, and their ratios.
bench_report() {
    local name=$1 file=$2 bare=$3
    median() { sort -n -k"$2" "$1" | awk -v k="$2" '{ v[NR] = $k } END { print v[int((NR + 1) / 2)] }'; }
    local p b
    p=($(for k in 1 2 3 4 5; do median "$file" $k; done))
    b=($(for k in 1 2 3 4 5; do median "$bare" $k; done))
    printf 'Medians of %d runs on %s, load %s\n' "$(wc -l <"$file")" "$DISPLAY" "$(cut -d' ' -f1-3 /proc/loadavg)"
    printf '%-30s %10s %10s %10s %10s %10s\n' '' 'to the map' 'peak' 'to drawn' 'peak' 'processor'
    printf '%-30s %7.1f ms %6d KiB %7.1f ms %6d KiB %7.1f ms\n' "$name" "${p[@]}"
    printf '%-30s %7.1f ms %6d KiB %7.1f ms %6d KiB %7.1f ms\n' 'bare window' "${b[@]}"
    awk -v p="${p[*]}" -v b="${b[*]}" 'BEGIN {
        split(p, x, " "); split(b, y, " ")
        printf "%-30s %10.2f %10.2f %10.2f %10.2f %10.2f\n", "ratio", x[1] / y[1], x[2] / y[2], x[3] / y[3], x[4] / y[4], x[5] / y[5]
    }'
}
