#!/usr/bin/env bash
# Sets up, then builds and runs every test twice: under AddressSanitizer and
# UndefinedBehaviorSanitizer (Debug), and as a user builds it (RelWithDebInfo,
# with the benchmarks compiled but not run). TIDEWISE_CMAKE_ARGS adds cmake
# arguments to both (CI: -DTIDEWISE_WERROR=ON).
set -euo pipefail
cd "$(dirname "$0")/.."
# A test that fails is run once more before the run fails: the browser tests
# race the sanitizer build's slow server now and then. A fault that is there
# fails both runs.
jobs="$(nproc)"

# shellcheck disable=SC2086
extra=(${TIDEWISE_CMAKE_ARGS:-})

scripts/setup.sh build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTIDEWISE_SANITIZE=ON "${extra[@]}"
(
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs" --repeat until-pass:2
)

scripts/setup.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIDEWISE_BENCH=ON "${extra[@]}"
ctest --test-dir build --output-on-failure -j"$jobs" --repeat until-pass:2
