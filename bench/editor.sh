#!/usr/bin/env bash
# The browser editor's requests on the example and on a 17 MB item, against
# xmllint on the large item, in one run; prints each goal's ratio.
#   bench/editor.sh [BUILD_DIR]      default build-bench
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-bench}"
scripts/setup.sh "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIDEWISE_BENCH=ON
command -v xmllint >/dev/null || { echo "bench/editor.sh needs xmllint (libxml2-utils)" >&2; exit 1; }
out="$PWD/$build/bench-work/editor.csv"
mkdir -p "$(dirname "$out")"
"$build/bin/editor_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_format=csv 2>/dev/null >"$out"
# name,iterations,real_time,cpu_time,time_unit,...: the medians of the wall times, in ms.
awk -F, '/_median"/ {
  name = $1; gsub(/"|_median|\/real_time/, "", name)
  ms[name] = $3
} END {
  printf "%-44s %10s %10s %8s  %s\n", "", "example ms", "large ms", "ratio", "goal"
  split("State SwitchAfterEdit", pair, " ")
  for (i = 1; i <= 2; i++) {
    n = pair[i]
    printf "%-44s %10.2f %10.2f %8.2f  <= 3\n", n " (large / example)", ms[n "/large:0"], ms[n "/large:1"], ms[n "/large:1"] / ms[n "/large:0"]
  }
  printf "%-44s %10s %10.2f %8.2f  <= 1.5 (xmllint --noout %.0f ms)\n", "Review (large / xmllint --noout)", "", ms["Review/large:1"], ms["Review/large:1"] / ms["XmllintNoout"], ms["XmllintNoout"]
  printf "%-44s %10s %10.2f %8.2f  <= 1.5 (xmllint --output %.0f ms)\n", "Save (large / xmllint --output)", "", ms["Save/large:1"], ms["Save/large:1"] / ms["XmllintOutput"], ms["XmllintOutput"]
}' "$out"
