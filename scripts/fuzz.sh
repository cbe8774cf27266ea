#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs each for a bounded time on a corpus
# seeded from examples/, the test data and fuzz/seeds/. A crash fails the run
# and leaves the input in build-fuzz/artifacts/.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
TIDEWISE_EXTRA_PACKAGES="clang libclang-rt-14-dev" scripts/setup.sh --packages-only

build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTIDEWISE_SANITIZE=ON -DTIDEWISE_FUZZ=ON >/dev/null
ninja -C "$build" -j2 fuzz_targets

seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds/document" "$seeds/pages" "$seeds/command_line" "$seeds/import" "$seeds/editor" \
  "$build/artifacts"
documents=(examples/*.xml tests/data/document/*.xml)
for file in "${documents[@]}"; do
  name="$(basename "$file")"
  cp "$file" "$seeds/document/$name"
  # With a few operations after the document.
  { cat "$file"; printf '\0rdataIdInfo/idPurp\0wdataIdInfo/idPurp\tchanged\0'
    printf 'adqInfo/dqScope/scpLvl/ScopeCd\tvalue\t005\t2'; } >"$seeds/document/ops-$name"
  # The first byte picks the page, the second how it is edited.
  for page in 0 1 2 4 7 9 12 20 30 40 50 64 65; do
    { printf "\\x$(printf %02x "$page")\\x07"; cat "$file"; } >"$seeds/pages/$page-$name"
  done
done
cp fuzz/seeds/command_line/* "$seeds/command_line/"
# ISO 19139 records, and items, which the importer refuses.
cp examples/*.xml tests/data/convert/record.xml "$seeds/import/"
# Requests of the editor (see fuzz/editor_fuzz.cpp for their form).
cp fuzz/seeds/editor/* "$seeds/editor/"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
summary=""
for target in document pages command_line import editor; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  log="$build/fuzz_$target.log"
  echo "fuzz_$target: ${seconds}s"
  if "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 \
      -max_len=65536 -dict=fuzz/tidewise.dict -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$target-" "$corpus" "$seeds/$target" >"$log" 2>&1; then
    result=ok
  else
    result=FAILED
    status=1
    tail -60 "$log"
  fi
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  summary+="$(printf '%-18s %-7s %12s runs  %6s corpus files' "fuzz_$target" "$result" \
    "${runs:-?}" "$(ls "$corpus" | wc -l)")"$'\n'
done
printf '%s' "$summary"
exit "$status"
