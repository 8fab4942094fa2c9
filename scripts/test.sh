#!/usr/bin/env bash
# Installs what is missing, checks the formatting, then builds and runs every test twice:
# an optimised build with warnings as errors, and a build with AddressSanitizer and
# UndefinedBehaviorSanitizer. Each run has a player's files in its program folder, which no test
# may read or change (scripts/with-player-files.sh). Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
vorn_install_packages

jobs=${VORN_JOBS:-$(nproc)}

# A compiler cache, where one is installed, makes rebuilds in several work trees cheap.
launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
fi

echo "== Formatting"
mapfile -t sources < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h' | while read -r f; do [ -f "$f" ] && echo "$f"; done)
clang-format --dry-run --Werror "${sources[@]}"

run_build() {
    local dir=$1
    shift
    echo "== Build: $dir"
    cmake -S . -B "$dir" -G Ninja -DVORN_WERROR=ON "${launcher[@]}" "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    echo "== Tests: $dir, with a player's files in $dir/game"
    scripts/with-player-files.sh "$dir/game" ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600
}

run_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
# A CI machine's disk may not hold both builds: the first goes once its tests have passed.
if [ -n "${CI:-}" ]; then
    rm -rf build
fi
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_build build-asan -DCMAKE_BUILD_TYPE=Debug -DVORN_SANITIZE=ON
