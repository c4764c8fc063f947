#!/usr/bin/env bash
# Checks that the GUI and GL tests do not fail by chance: runs them (ctest -L 'gui|gl' in
# an existing build folder) ROUNDS times in a row on the machine as it is, then ROUNDS
# times with one core kept busy by a process this script starts and stops (by its pid).
# Stops at the first failing round, keeps its log, and says how many rounds passed.
# Not part of the test command: it takes a while.
# Usage: bash scripts/gui-rounds.sh [BUILD_FOLDER [ROUNDS]]   (defaults: build, 20)
# JOBS sets ctest's parallel jobs (default: the number of cores, as the test command).
set -u
build=${1:-build}
rounds=${2:-20}
jobs=${JOBS:-$(nproc)}
if [ ! -f "$build/CTestTestfile.cmake" ]; then
    echo "gui-rounds: $build is not a build folder with tests (build it first)" >&2
    exit 2
fi
log="$build/gui-rounds.log"

busy_pid=""
stop_busy() {
    if [ -n "$busy_pid" ]; then
        kill "$busy_pid" 2>/dev/null
        wait "$busy_pid" 2>/dev/null
        busy_pid=""
    fi
}
trap stop_busy EXIT

# run_rounds LABEL -- prints one line per round; returns 1 at the first failing round.
run_rounds() {
    local label=$1 round
    for ((round = 1; round <= rounds; round++)); do
        if ctest --test-dir "$build" -L 'gui|gl' -j"$jobs" --output-on-failure >"$log" 2>&1; then
            echo "gui-rounds: $label round $round of $rounds passed"
        else
            echo "gui-rounds: $label round $round FAILED; $((round - 1)) of $rounds passed" \
                 "before it (log: $log):"
            grep -E '\*\*\*Failed|Timeout|FAIL ' "$log" | head -n 20
            return 1
        fi
    done
    echo "gui-rounds: $label: all $rounds rounds passed"
}

run_rounds idle || exit 1
# One core spins for the whole second half; yes writes nothing anyone reads.
yes >/dev/null &
busy_pid=$!
run_rounds "one core busy" || exit 1
stop_busy
echo "gui-rounds: $rounds idle and $rounds busy rounds passed"
