#!/usr/bin/env bash
# Starts the tool on a simulated controller: builds the tool and tavro-sim, starts the
# simulator with two controllers (IDs 1 and 3) at real line timing, and the tool with demo
# settings that open the simulator's port and search IDs 1 to 5 by themselves. Closing the
# tool stops the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "${JOBS:-2}" --target tavro-config tavro-sim

bin=build/release/bin
demo=$PWD/build/demo
mkdir -p "$demo/Zelm"

"$bin/tavro-sim" --id 1,3 --byte-timing --quiet >"$demo/sim.out" &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    [ -s "$demo/sim.out" ] && break
    sleep 0.1
done
port=$(head -n 1 "$demo/sim.out")
if [ -z "$port" ]; then
    echo "The simulator did not start." >&2
    exit 1
fi

# The settings of a user who connected to this port before and asked for the search to run
# by itself: the tool opens the port, searches IDs 1 to 5 and offers the controllers found.
cat >"$demo/Zelm/MOTOR-PID.ini" <<INI
[SERIAL]
COM=1
BAUDRATE=19200
AUTO=1
PORT=$port
SLV_AUTO=1
SLV_ST=1
SLV_ED=5
INI

XDG_CONFIG_HOME=$demo "$bin/tavro-config"
