#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer (and AddressSanitizer and
# UndefinedBehaviorSanitizer) and fuzzes one of them, or each in turn, for the given seconds:
#
#     scripts/fuzz.sh [target] [seconds]        (default: every target, 60 s each)
#
# Each target starts from the seeds its own writers make and the reproducers of past findings in
# tests/fuzz/reproducers/<target>/. What the fuzzer finds is saved in build-fuzz/fuzz/<target>/
# (crash-*, leak-*, timeout-*); copy a finding into the reproducers once it is fixed, so that every
# test run checks it again. Not part of CI. VORN_FUZZ_JOBS sets the build's parallelism.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
vorn_install_packages
vorn_install_packages "${VORN_FUZZ_PACKAGES[@]}"

# The targets that read files write them below the temporary folder: in memory where there is a
# folder for that, so that the disk does not set the pace.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

target=${1:-all}
seconds=${2:-60}
jobs=${VORN_FUZZ_JOBS:-2}

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DVORN_FUZZ=ON -DVORN_BENCH=OFF >/dev/null
mapfile -t all < build-fuzz/tests/fuzz/targets.txt
if [ "$target" = all ]; then
    targets=("${all[@]}")
elif printf '%s\n' "${all[@]}" | grep -qx "$target"; then
    targets=("$target")
else
    echo "unknown target $target; the targets are: ${all[*]}" >&2
    exit 2
fi

for t in "${targets[@]}"; do
    cmake --build build-fuzz -j "$jobs" --target "fuzz_$t" "fuzzseeds_$t"
done

status=0
summary=()
for t in "${targets[@]}"; do
    dir=build-fuzz/fuzz/$t
    mkdir -p "$dir/corpus" "tests/fuzz/reproducers/$t"
    "build-fuzz/tests/fuzz/fuzzseeds_$t" --write-seeds "$dir/seeds" >/dev/null
    echo "== Fuzzing $t for $seconds s"
    if "build-fuzz/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=3072 \
        -artifact_prefix="$dir/" -print_final_stats=1 "$dir/corpus" "$dir/seeds" "tests/fuzz/reproducers/$t" \
        >"$dir/log.txt" 2>&1; then
        runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$dir/log.txt" | grep -o '[0-9]*$' || echo '?')
        rate=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$dir/log.txt" | grep -o '[0-9]*$' || echo '?')
        summary+=("$t: $runs executions ($rate a second), no finding")
    else
        status=1
        summary+=("$t: FINDING, see $dir/log.txt")
    fi
done
printf '%s\n' "${summary[@]}"
exit $status
