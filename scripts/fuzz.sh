#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (the fuzz preset) and runs each for SECONDS (60 by
# default), one after the other, or only the targets named. The inputs that reach code the
# corpus did not reach are merged into fuzz/corpus/<target>/, which the tests replay; the
# whole working corpus stays in build/fuzz/corpus/<target>/ for the next run. A crash, a
# sanitizer report or a failed check leaves its reproducer in build/fuzz/artifacts/<target>/
# and fails the script.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
case "$seconds" in
    '' | *[!0-9]*)
        echo "usage: scripts/fuzz.sh [SECONDS] [TARGET...]" >&2
        exit 2
        ;;
esac

# clang and its libFuzzer runtime, besides what the other builds need.
scripts/deps.sh
missing=()
for p in clang libclang-rt-14-dev; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc 2>/dev/null || echo 2)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in fuzz/*_fuzz.cpp; do
        t=$(basename "$f" _fuzz.cpp)
        targets+=("$t")
    done
fi

failed=()
summary=()
for t in "${targets[@]}"; do
    bin=build/fuzz/bin/${t}_fuzz
    if [ ! -x "$bin" ]; then
        echo "no fuzz target $t" >&2
        exit 2
    fi
    kept=fuzz/corpus/$t
    work=build/fuzz/corpus/$t
    artifacts=build/fuzz/artifacts/$t
    mkdir -p "$kept" "$work" "$artifacts"
    log=build/fuzz/$t.log
    echo "== $t: ${seconds} s"
    status=0
    "$bin" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$work" "$kept" >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    if [ "$status" -ne 0 ]; then
        failed+=("$t")
        grep -E 'ERROR|check failed|runtime error|SUMMARY' "$log" | head -5 || true
        summary+=("$(printf '%-16s %10s runs %8s exec/s  FAILED, see %s' "$t" "${runs:-?}" "${rate:-?}" "$log")")
        continue
    fi
    before=$(find "$kept" -type f | wc -l)
    # Edges only, not how often each was taken: the replay in the tests stays a matter of
    # seconds.
    "$bin" -merge=1 -use_counters=0 -timeout=25 "$kept" "$work" >>"$log" 2>&1
    after=$(find "$kept" -type f | wc -l)
    summary+=("$(printf '%-16s %10s runs %8s exec/s  %d new corpus entries' "$t" "${runs:-?}" "${rate:-?}" $((after - before)))")
done

echo
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
    echo "findings in: ${failed[*]}" >&2
    exit 1
fi
