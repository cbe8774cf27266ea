#!/usr/bin/env bash
# Builds the tool and its libraries as a packager would, without the tests and
# their dependencies (GoogleTest, Google Benchmark), then installs the build
# into a temporary prefix and runs the installed tool from there.
#   scripts/check-packaging.sh [BUILD_DIR]   (default build-package)
# Extra cmake arguments come from TIDEWISE_CMAKE_ARGS (CI passes
# -DTIDEWISE_WERROR=ON).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-package}"
TIDEWISE_TARGET=editor scripts/setup.sh --packages-only >/dev/null

# A find_package of either outside the tests now fails the configure (cmake
# would otherwise warn that the two variables went unused, as they should).
# shellcheck disable=SC2086
cmake -S . -B "$build" -G Ninja --no-warn-unused-cli -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTIDEWISE_TESTS=OFF -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON ${TIDEWISE_CMAKE_ARGS:-} >/dev/null
nice ninja -C "$build" all
# Their headers stay installed on a developer's machine: a source that
# includes one would still compile, so ask the compiler what it read.
deps="$(ninja -C "$build" -t deps)"
if grep -m 5 -E '/(gtest|gmock|benchmark)/' <<<"$deps"; then
  echo "check-packaging: the build without tests read the headers above" >&2
  exit 1
fi
if [ -f "$build/CTestTestfile.cmake" ] || ls "$build"/bin/*_tests >/dev/null 2>&1; then
  echo "check-packaging: tests were configured or built" >&2
  exit 1
fi
bash tests/install/install_test.sh "$build" "$(pwd)"
