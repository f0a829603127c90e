#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the Debian package in a build folder of its own and checks it.
# Usage: tests/package/run.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
deb=$("$root/scripts/package.sh" "$1")
exec "$root/tests/package/tst_package.sh" "$deb"
