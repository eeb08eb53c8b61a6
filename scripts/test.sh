#!/usr/bin/env bash
# Builds everything and runs every test: the whole program under the address and
# undefined-behaviour sanitizers, then the toolkit-free core alone, configured without Qt.
set -euo pipefail
cd "$(dirname "$0")/.."

# pdftoppm draws the repeatability report in its test; without it that test is skipped.
scripts/deps.sh poppler-utils

jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset core >/dev/null
cmake --build --preset core -j "$jobs"
ctest --preset core -j "$jobs" --timeout 300

cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs" --timeout 300
