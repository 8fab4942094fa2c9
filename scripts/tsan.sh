#!/usr/bin/env bash
# Builds the game and every test with ThreadSanitizer (in build-tsan) and runs the tests, or those
# whose names match a pattern, once or the given number of times in a row:
#
#     scripts/tsan.sh [pattern] [runs]        (default: every test, once)
#
# A data race, a lock taken in two orders or a thread left running ends the process that meets it
# (exit 66), so its test fails with the report. The whole suite runs about as long as the rest of
# CI again, so CI does not run it: run it after changing code that threads share. VORN_JOBS sets the
# build's and the tests' parallelism.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
vorn_install_packages

pattern=${1:-}
runs=${2:-1}
jobs=${VORN_JOBS:-$(nproc)}

launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
fi

cmake -S . -B build-tsan -G Ninja -DVORN_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_TSAN=ON \
    "${launcher[@]}" >/dev/null
cmake --build build-tsan -j "$jobs"

export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1 second_deadlock_stack=1}
args=(--test-dir build-tsan --output-on-failure -j "$jobs" --timeout 900)
if [ -n "$pattern" ]; then
    args+=(-R "$pattern")
fi
if [ "$runs" -gt 1 ]; then
    args+=(--repeat "until-fail:$runs")
fi
ctest "${args[@]}"
