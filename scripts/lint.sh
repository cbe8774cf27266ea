#!/usr/bin/env bash
# The C++ checks that need no test run: every tracked C++ file is formatted as
# .clang-format says, and clang-tidy (.clang-tidy) finds nothing in our sources.
#   scripts/lint.sh [format|tidy] [BUILD_DIR]
# Both checks by default. BUILD_DIR (default build) gives the compilation
# database; it is configured as the user's build when it has none yet.
# Formatting is checked on every tracked file rather than on the files changed
# since some base: a fresh clone has no base to compare with, the whole tree is
# formatted, and clang-format takes seconds over it.
set -euo pipefail
cd "$(dirname "$0")/.."
what=all
case "${1:-}" in format | tidy) what="$1"; shift ;; esac
build="${1:-build}"
jobs="$(nproc)"

check_format() {
  local sources
  mapfile -t sources < <(git ls-files '*.cpp' '*.h')
  ((${#sources[@]})) || { echo "lint: no tracked C++ files found" >&2; return 1; }
  echo "clang-format: ${#sources[@]} files"
  clang-format --dry-run --Werror "${sources[@]}"
}

# The files a compilation database names, relative to the tree.
listed() {
  python3 - "$1" "$(pwd -P)" <<'PY'
import json, os, sys
for entry in json.load(open(sys.argv[1])):
    path = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
    print(os.path.relpath(path, sys.argv[2]))
PY
}

check_tidy() {
  # Configuring writes the compilation database; nothing needs to be built,
  # as no header is generated.
  if [ ! -f "$build/compile_commands.json" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIDEWISE_BENCH=ON \
      >/dev/null
  fi
  # The fuzz targets' sources are only in a clang build's database.
  local fuzz=build-lint-fuzz
  CC=clang CXX=clang++ cmake -S . -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTIDEWISE_SANITIZE=ON -DTIDEWISE_FUZZ=ON -DTIDEWISE_TESTS=OFF >/dev/null
  # A source the database leaves out (the benchmarks, when the build has them
  # off) would pass unseen.
  local missing
  missing="$(comm -23 <(git ls-files '*.cpp' | grep -v '^fuzz/' | sort) \
                      <(listed "$build/compile_commands.json" | sort))"
  if [ -n "$missing" ]; then
    echo "lint: $build's compilation database leaves out (configure it with" \
         "-DTIDEWISE_BENCH=ON):" >&2
    echo "$missing" >&2
    return 1
  fi
  echo "clang-tidy: the sources of $build and the fuzz targets, $jobs at a time"
  local started=$SECONDS status=0 log="$build/clang-tidy.log"
  run-clang-tidy -p "$build" -j "$jobs" -quiet >"$log" 2>&1 || status=$?
  run-clang-tidy -p "$fuzz" -j "$jobs" -quiet '/fuzz/[^/]*\.cpp$' >>"$log" 2>&1 || status=$?
  # Only the findings: run-clang-tidy also prints each command it runs.
  sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E -A3 '^[^ ]+:[0-9]+:[0-9]+: (warning|error):' || true
  echo "clang-tidy: $((SECONDS - started)) s"
  if [ "$status" -ne 0 ]; then
    echo "lint: clang-tidy found problems (all of its output: $log)" >&2
    return 1
  fi
}

# clang-format and clang-tidy come with the list; clang configures the fuzz
# targets' folder.
extra=""
[ "$what" = format ] || extra=clang
TIDEWISE_EXTRA_PACKAGES="$extra" scripts/setup.sh --packages-only >/dev/null
case "$what" in
  format) check_format ;;
  tidy) check_tidy ;;
  all) check_format; check_tidy ;;
esac
