#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, then builds and runs every test: once with
# AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz target for a minute
# when clang is there, the release build's suite, whole runs of the release
# build's program on a private X display (tests/e2e) and on a headless
# Wayland compositor, two minutes of random input to the sanitizer build's
# program (tests/e2e/soak.py), and last the Debian package, unpacked and started.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/deps.sh"
ekzamo_install clang libclang-rt-14-dev dpkg-dev file desktop-file-utils appstream \
    xvfb xauth openbox xdotool x11-utils at-spi2-core python3-gi gir1.2-atspi-2.0 dbus dbus-x11 \
    chromium python3-openpyxl poppler-utils imagemagick postgresql \
    qt6-wayland sway wtype util-linux \
    x11-xkb-utils fonts-urw-base35
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== Sanitizer build"
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DEKZAMO_BENCH=OFF -DEKZAMO_FUZZ=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake --build "$root/build-asan" -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir "$root/build-asan" --output-on-failure -j"$jobs" -LE 'e2e|package'

if command -v clang++ >/dev/null; then
    echo "== Fuzzing LoadTest for 60 s"
    CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DEKZAMO_BENCH=OFF
    cmake --build "$root/build-fuzz" -j"$jobs" --target fuzz_loadtest fuzz_results
    corpus=$(mktemp -d)
    cp "$root"/fuzz/corpus/* "$corpus"/
    "$root/build-fuzz/fuzz/fuzz_loadtest" -max_total_time=60 -print_final_stats=1 -print_funcs=0 "$corpus"
    rm -rf "$corpus"
    echo "== Fuzzing the results-file reader for 30 s"
    corpus=$(mktemp -d)
    cp "$root"/fuzz/results-corpus/* "$corpus"/
    "$root/build-fuzz/fuzz/fuzz_results" -max_total_time=30 -print_final_stats=1 -print_funcs=0 "$corpus"
    rm -rf "$corpus"
    for format in gift aiken; do
        echo "== Fuzzing the $format reader and writer for 20 s"
        cmake --build "$root/build-fuzz" -j"$jobs" --target fuzz_$format
        corpus=$(mktemp -d)
        cp "$root"/fuzz/corpus-$format/* "$corpus"/
        "$root/build-fuzz/fuzz/fuzz_$format" -max_total_time=20 -print_final_stats=1 -print_funcs=0 "$corpus"
        rm -rf "$corpus"
    done
    echo "== Fuzzing the class list reader for 15 s"
    cmake --build "$root/build-fuzz" -j"$jobs" --target fuzz_classlist
    corpus=$(mktemp -d)
    cp "$root"/fuzz/corpus-classlist/* "$corpus"/
    "$root/build-fuzz/fuzz/fuzz_classlist" -max_total_time=15 -print_final_stats=1 -print_funcs=0 "$corpus"
    rm -rf "$corpus"
fi

echo "== Release build"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$root/build" -j"$jobs"
ctest --test-dir "$root/build" --output-on-failure -j"$jobs" -LE 'e2e|package'

echo "== End-to-end runs on a private X display and on a headless Wayland compositor"
ctest --test-dir "$root/build" --output-on-failure -L e2e

echo "== Soak: random input to the sanitizer build for 2 minutes"
"$root/tests/e2e/soak.py" --minutes 2 "$root/build-asan/Ekzamo"

echo "== Debian package"
ctest --test-dir "$root/build" --output-on-failure -L package
