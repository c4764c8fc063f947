#!/usr/bin/env bash
# The whole test run, from a fresh clone on a fresh Debian 12 machine (as root):
#   1. install what is missing, and check the formatting;
#   2. build with warnings as errors and run every test (model, GL and GUI tests, and the
#      install and package check; each GL or GUI test starts its own Xvfb, so no display
#      is needed here), then the web build with its tests (scripts/web.sh test);
#   3. build the tests with ASan + UBSan (LSan on) and run them again;
#   4. build the libFuzzer targets with clang and run each for a bounded time.
# FUZZ_SECONDS (default 30) bounds each fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-30}
passed=0

bash scripts/install-deps.sh

count_ctest() { # adds the number of tests ctest ran (all passed, or set -e stopped us)
    local n
    n=$(grep -Eo 'tests failed out of [0-9]+' "$1" | grep -Eo '[0-9]+$' | tail -n1)
    passed=$((passed + ${n:-0}))
}

echo "=== formatting (clang-format)"
git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format --dry-run --Werror

echo "=== build (warnings as errors)"
cmake -S . -B build -DQM_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
echo "=== tests"
ctest --test-dir build --output-on-failure -j"$jobs" 2>&1 | tee build/ctest.log
[ "${PIPESTATUS[0]}" -eq 0 ] || exit 1
count_ctest build/ctest.log

echo "=== web build (Emscripten) and its tests: the model under node, the page in Chromium"
bash scripts/web.sh test
count_ctest build-web/ctest.log

echo "=== sanitizer build (ASan + UBSan + LSan)"
cmake -S . -B build-asan -DQM_WERROR=ON -DQM_SANITIZE=ON -DQM_BENCH=OFF \
      -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j"$jobs"
# The tests carry their sanitizer options (leak checking, suppressions) themselves.
ctest --test-dir build-asan --output-on-failure -j"$jobs" 2>&1 | tee build-asan/ctest.log
[ "${PIPESTATUS[0]}" -eq 0 ] || exit 1
count_ctest build-asan/ctest.log

echo "=== fuzzers (${fuzz_seconds}s each)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DQM_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$jobs"
for fuzzer in build-fuzz/bin/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    work="build-fuzz/corpus/$name"
    rm -rf "$work" && mkdir -p "$work"
    if [ -d "tests/fuzz/corpus/$name" ]; then cp -r "tests/fuzz/corpus/$name/." "$work/"; fi
    echo "--- $name"
    "$fuzzer" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
              -artifact_prefix="build-fuzz/$name-" "$work" 2>&1 | tail -n 3
    [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "$name found a fault"; exit 1; }
    passed=$((passed + 1))
done

echo "all: $passed passed, 0 failed"
