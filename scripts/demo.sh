#!/usr/bin/env bash
# Builds the tool and the simulated controller, starts the simulator on a
# pseudo-terminal and the tool connected to it. Closing the tool stops the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc 2>/dev/null || echo 2)" --target tavro-config tavro-sim

bin=build/release/bin
if [ ! -x "$bin/tavro-config" ] || [ ! -x "$bin/tavro-sim" ]; then
    echo "The window and the simulator are not built yet." >&2
    exit 1
fi
exec "$bin/tavro-config" --demo
