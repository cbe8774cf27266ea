#!/usr/bin/env bash
# Sets up, builds under AddressSanitizer and UndefinedBehaviorSanitizer, and
# runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTIDEWISE_SANITIZE=ON
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)"
