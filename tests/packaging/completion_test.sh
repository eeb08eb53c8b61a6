#!/usr/bin/env bash
# The tavro-cli completion against the built program: what a user gets after TAB.
#   completion_test.sh COMPLETION TAVRO_CLI TAVRO_SIM
set -uo pipefail
completion=$1
cli=$2
sim=$3

work=$(mktemp -d)
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/bin" "$work/files" "$work/runtime"
ln -s "$cli" "$work/bin/tavro-cli"
export PATH=$work/bin:$PATH XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config
# shellcheck source=/dev/null
source "$completion"

# A simulated controller, which registers its port where tavro-cli ports finds it.
"$sim" --quiet >"$work/sim.out" &
sim_pid=$!
for _ in $(seq 100); do
    [ -s "$work/sim.out" ] && break
    sleep 0.1
done
port=$(head -n 1 "$work/sim.out")

touch "$work/files/steps.dat" "$work/files/other.txt"
cd "$work/files" || exit 1

failures=0
# complete LINE EXPECTED: the words offered for the last word of LINE, sorted, one line.
complete_line() {
    local line=$1 expected=$2
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _tavro_cli
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort -u | grep -v '^$' | tr '\n' ' ')
    got=${got% }
    if [ "$got" = "$expected" ]; then
        echo "ok: '$line' -> $got"
    else
        echo "FAIL: '$line' -> '$got', expected '$expected'"
        failures=$((failures + 1))
    fi
}

complete_line "tavro-cli " "--help backup dump info load-steps monitor ports repeat restore save-steps search strings"
complete_line "tavro-cli s" "save-steps search strings"
complete_line "tavro-cli search --" "--baud --from --help --json --port --quick --stats --to --trace --trace-csv"
complete_line "tavro-cli ports --" "--help --json --trace"
complete_line "tavro-cli load-steps x.dat --d" "--detail"
complete_line "tavro-cli info --baud " "19200 2400 38400 57600 9600"
complete_line "tavro-cli info --baud 5" "57600"
complete_line "tavro-cli info --id " ""
complete_line "tavro-cli strings " "en ja"
complete_line "tavro-cli save-steps st" "steps.dat"
complete_line "tavro-cli dump " ""
complete_line "tavro-cli r" "repeat restore"
complete_line "tavro-cli repeat --" "--baud --cycles --help --id --port --report --settle-ms --stats --step --to --trace --trace-csv --yes"
complete_line "tavro-cli repeat --step 1 --report st" "steps.dat"
complete_line "tavro-cli dump --trace-csv st" "steps.dat"
complete_line "tavro-cli monitor --c" "--csv"
complete_line "tavro-cli monitor --csv ot" "other.txt"
# --port offers the ports the tool lists, the simulator's among them, beside files.
if [ -n "$port" ]; then
    complete_line "tavro-cli info --port $port" "$port"
    read -r -a COMP_WORDS <<<"tavro-cli info --port"
    COMP_WORDS+=("")
    COMP_CWORD=3
    _tavro_cli
    if printf '%s\n' "${COMPREPLY[@]}" | grep -qxF "$port"; then
        echo "ok: 'tavro-cli info --port ' offers $port"
    else
        echo "FAIL: 'tavro-cli info --port ' does not offer $port: ${COMPREPLY[*]}"
        failures=$((failures + 1))
    fi
else
    echo "FAIL: the simulator did not start"
    failures=$((failures + 1))
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
