#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the Debian package: installs what is missing, builds the program in
# Release and prints the path of the .deb it made.
# Usage: scripts/package.sh [BUILD_DIR]   (default build-package)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build-package}")
. "$root/scripts/deps.sh"
ekzamo_install dpkg-dev file >&2

# Packing builds only what it installs: no tests, benchmarks or fuzz targets.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DEKZAMO_FUZZ=OFF \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
    -DCMAKE_INSTALL_PREFIX=/usr >&2
cmake --build "$build" -j"$(nproc)" >&2
(cd "$build" && cpack -G DEB >&2)
ls -t "$build"/ekzamo_*.deb | head -n 1
