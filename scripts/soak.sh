#!/usr/bin/env bash
# The fault soak: the tool's uploads over pseudo-terminals against tavro-sim, with 1 % each of
# lost replies, bad checksums, wrong IDs, noise bytes and 300 ms delays, until TRANSACTIONS
# requests (100000 by default) have gone out. Every value read is checked against the
# simulator's memory; the table at the end must show 0 wrong values. Runs for some minutes.
#
#   scripts/soak.sh [TRANSACTIONS] [OPTION]...     (options: see build/core/bin/tavro-soak)
set -euo pipefail
cd "$(dirname "$0")/.."

transactions=${1:-100000}
shift || true

scripts/deps.sh
cmake --preset core >/dev/null
cmake --build --preset core -j "$(nproc 2>/dev/null || echo 2)" --target tavro-soak tavro-sim
exec build/core/bin/tavro-soak --sim build/core/bin/tavro-sim --transactions "$transactions" "$@"
