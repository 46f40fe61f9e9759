#!/usr/bin/env bash
# The fuzzing campaign: each target of the fuzz build in turn, for SECONDS each, on its own corpus
# under the build folder (started from the generated seeds, kept and grown from run to run), with
# the options the build lists for it (dictionary, input size, memory limits, standard error
# closed). Prints per target the executions, their rate, the coverage and the corpus size; inputs
# that make a target fail go to BUILD/fuzz-findings, and the campaign then ends with status 1.
#
#   campaign.sh BUILD SECONDS [TARGET...]    (every target when none is named)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=$(realpath "$1")
SECONDS_EACH=$2
shift 2
ONLY=" $* "
FUZZ=$BUILD/fuzz/tests/fuzz
LIST=$FUZZ/fuzz-targets.txt
CORPUS=$BUILD/fuzz-corpus
FINDINGS=$BUILD/fuzz-findings
LOGS=$BUILD/fuzz-logs
[[ -f $LIST ]] || { echo "campaign: no $LIST (build the fuzz preset first)" >&2; exit 2; }
mkdir -p "$CORPUS" "$FINDINGS" "$LOGS"

# The seed folders the list names are made by write_seeds, as the short fuzz tests make them.
SEEDS=$FUZZ/corpus
mkdir -p "$SEEDS/jpeg" "$SEEDS/png" "$SEEDS/files" "$SEEDS/names"
"$FUZZ/write_seeds" "$SEEDS/jpeg" "$SEEDS/png" "$SEEDS/files"

# The last figure a libFuzzer log gives for a key: "stat::key: N" or "key: N" on a status line.
final_stat() { sed -n "s/^stat::$2: *\([0-9]*\).*/\1/p" "$1" | tail -1; }
status_field() { grep -o "$2: [0-9]*" "$1" | tail -1 | sed 's/.*: //'; }

# The CPU seconds the shell's children have used so far (user and system), from `times`, into
# CHILDREN_CPU. `times` runs in this shell: in a command substitution's subshell it would count
# only that subshell's children, none.
TIMES=$LOGS/.times
children_cpu() {
    times >"$TIMES"
    CHILDREN_CPU=$(tail -1 "$TIMES" | awk '{ split($1, u, /[ms]/); split($2, s, /[ms]/); print u[1] * 60 + u[2] + s[1] * 60 + s[2] }')
}

status=0
while read -r name program seeds options; do
    [[ -n $name ]] || continue
    [[ $ONLY == "  " || $ONLY == *" $name "* ]] || continue
    corpus=$CORPUS/$name
    log=$LOGS/$name.log
    mkdir -p "$corpus"
    # Inputs that once made the target fail are starting points too.
    regressions=$ROOT/tests/fuzz/regressions/$name
    [[ -d $regressions ]] || regressions=
    before=$(find "$corpus" -type f | wc -l)
    children_cpu
    cpu_before=$CHILDREN_CPU
    # shellcheck disable=SC2086  # the options are words, the regressions folder may be none
    if ! ASAN_OPTIONS=allocator_may_return_null=1 nice -n 10 "$program" $options \
        -max_total_time="$SECONDS_EACH" -print_final_stats=1 \
        -artifact_prefix="$FINDINGS/$name-" "$corpus" "$seeds" $regressions >"$log" 2>&1; then
        echo "fuzz: $name FOUND A FAILURE: $(grep -m1 -o 'Test unit written to .*' "$log" || echo "see $log")"
        status=1
    fi
    # On a shared machine the wall-clock rate says as much about the others as about the target:
    # the rate per second of CPU the target had is given beside it.
    executions=$(final_stat "$log" number_of_executed_units)
    children_cpu
    cpu=$(awk -v a="$cpu_before" -v b="$CHILDREN_CPU" 'BEGIN { printf "%.1f", b - a }')
    per_cpu=$(awk -v n="${executions:-0}" -v c="$cpu" 'BEGIN { printf "%.0f", (c > 0 ? n / c : 0) }')
    printf 'fuzz: %-22s executions %s, %s exec/s (%s per CPU second, %s s of CPU), coverage %s (features %s), corpus %s files (%s before)\n' \
        "$name" "$executions" "$(final_stat "$log" average_exec_per_sec)" "$per_cpu" "$cpu" \
        "$(status_field "$log" cov)" "$(status_field "$log" ft)" \
        "$(find "$corpus" -type f | wc -l)" "$before"
done <"$LIST"
exit $status
