#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds a release build and starts Ekzamo in examples/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/deps.sh"
ekzamo_install
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$root/build" -j"$(nproc)" --target Ekzamo
cd "$root/examples"
exec "$root/build/Ekzamo"
