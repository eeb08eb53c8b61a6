#!/usr/bin/env bash
# Draws the main window with each of its tabs, the COM selection (with a USB adapter of a
# fake sysfs tree) and the controller ID search dialogs, the Basic, I/O and
# ID/communication windows with a field in error, the Detail Parameter Setup window, the
# password box, About, the step browser, the file dialog, the compare window, the
# repeatability run with its report's first page, the message of a lost port (the simulator
# is killed near the end), the chart window with a move and with the black box of an alarm
# the simulator raises, and the question on closing into PNG
# files under build/screenshots/<language>/ (a step-data controller) and
# build/screenshots/<language>-pulse/ (a pulse controller), offscreen, in English and in
# Japanese, with the program connected to tavro-sim.
set -euo pipefail
cd "$(dirname "$0")/.."

preset=${PRESET:-debug}
out=build/screenshots
bin=build/$preset/bin

scripts/deps.sh poppler-utils
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j 2 --target tavro-screenshots tavro-sim

# The simulator registers its port where the tool looks for ports: a folder of our own.
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime
export QT_QPA_PLATFORM=offscreen

for run in ${RUNS:-en ja en-pulse ja-pulse}; do
    lang=${run%%-*}
    type=1
    [ "$run" != "$lang" ] && type=2
    case $lang in
        en) locale=C.UTF-8 ;;
        ja) locale=ja_JP.UTF-8 ;;
    esac
    # Steps 1 and 2 lie apart and arrive with a scatter, for the repeatability run; the
    # simulator's control input lets the tour raise an alarm.
    control=$runtime/control-$lang-$type
    mkfifo "$control"
    "$bin/tavro-sim" --id 1,3 --type "$type" --set 3/0=5000 --set 4/0=15000 --scatter-um 12 \
        --quiet --control <"$control" >"$runtime/sim-$lang-$type.out" &
    sim=$!
    exec 3>"$control"
    for _ in $(seq 100); do
        [ -s "$runtime/sim-$lang-$type.out" ] && break
        sleep 0.1
    done
    port=$(head -n 1 "$runtime/sim-$lang-$type.out")
    status=0
    LANG=$locale LC_ALL= LC_MESSAGES= "$bin/tavro-screenshots" --port "$port" --out "$out/$run" \
        --sim-pid "$sim" --sim-control "$control" \
        2> >(grep -v 'propagateSizeHints' >&2) || status=$?
    kill "$sim" 2>/dev/null || true
    wait "$sim" 2>/dev/null || true
    exec 3>&-
    if [ "$status" -ne 0 ]; then
        echo "screenshots in $run failed" >&2
        exit "$status"
    fi
done
echo "Screenshots are in $out/en, $out/ja, $out/en-pulse and $out/ja-pulse."
