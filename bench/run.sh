#!/usr/bin/env bash
# Builds with the benchmarks, generates the large item (kept in the build
# folder, never in the repository), runs the whole-process and in-process
# comparisons, and prints each goal's ratio against its baseline.
#   bench/run.sh [BUILD_DIR]         default build-bench
#   RUNS=N bench/run.sh              rounds of the whole-process runs (default 11)
#   SIZE_MB=N bench/run.sh           size of the large item (default 20)
# Paths may not hold spaces: process_bench splits its commands at spaces.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-bench}"
runs="${RUNS:-11}"
size="${SIZE_MB:-20}"

scripts/setup.sh "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIDEWISE_BENCH=ON
if ! command -v xmllint >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get install -y -qq libxml2-utils
fi

bin="$PWD/$build/bin"
work="$PWD/$build/bench-work"
mkdir -p "$work"
export TIDEWISE_HOME="$work/home"
large="$work/large-${size}mb.xml"
[ -f "$large" ] || "$bin/generate_item" examples/coastal-dataset.xml "$large" "$size"
cp "$large" "$work/large-edited.xml"
"$bin/tidewise" register >/dev/null

echo "== Whole processes: medians of $runs interleaved runs (CPU = user + system)"
"$bin/process_bench" "$runs" \
  help="$bin/tidewise --help" \
  show_example="$bin/tidewise show examples/coastal-dataset.xml Purpose --json" \
  show_large="$bin/tidewise show $large Purpose --json" \
  xmllint_noout="xmllint --noout $large" \
  edit_large="$bin/tidewise edit $work/large-edited.xml Purpose --type txtInfo=Shoreline --json" \
  xmllint_parse_serialize="xmllint --output $work/xmllint-out.xml $large" \
  >"$work/processes.txt"
awk '{ printf "%-26s cpu %8.2f ms  wall %8.2f ms  maxrss %8d KiB\n", $1, $2, $3, $4 }' \
  "$work/processes.txt"

echo
echo "== In process (Google Benchmark, medians of 5 repetitions)"
TIDEWISE_BENCH_ITEM="$large" "$bin/pages_bench" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null >"$work/pages.csv"
TIDEWISE_BENCH_ITEM="$large" "$bin/document_bench" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null >"$work/document.csv"
"$bin/page_switch_bench" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null >"$work/switch.csv"
# name,iterations,real_time,cpu_time,time_unit,...: the medians, in microseconds.
medians() {
  awk -F, '/_median"/ {
    name = $1; gsub(/"|_median/, "", name)
    unit = $5; gsub(/"/, "", unit)
    f = unit == "ns" ? 0.001 : unit == "ms" ? 1000 : unit == "s" ? 1e6 : 1
    printf "%s %.3f\n", name, $4 * f
  }' "$1"
}
{ medians "$work/pages.csv"; medians "$work/document.csv"; medians "$work/switch.csv"; } \
  >"$work/in-process.txt"
awk '{ printf "%-34s cpu %12.3f us\n", $1, $2 }' "$work/in-process.txt"

echo
echo "== Goals"
awk -v p="$work/processes.txt" -v q="$work/in-process.txt" '
  BEGIN {
    while ((getline < p) > 0) { cpu[$1] = $2; wall[$1] = $3; rss[$1] = $4 }
    while ((getline < q) > 0) { us[$1] = $2 }
    row("1 fixed cost: show example / --help (cpu)", cpu["show_example"] / cpu["help"], 3)
    row("2 show large / xmllint --noout (cpu)", cpu["show_large"] / cpu["xmllint_noout"], 1.15)
    row("2 show large / xmllint --noout (wall)", wall["show_large"] / wall["xmllint_noout"], 1.15)
    row("2 edit large / xmllint parse+serialize (cpu)",
        cpu["edit_large"] / cpu["xmllint_parse_serialize"], 1.25)
    row("2 edit large / xmllint parse+serialize (wall)",
        wall["edit_large"] / wall["xmllint_parse_serialize"], 1.25)
    row("2 peak memory: show large / xmllint --noout", rss["show_large"] / rss["xmllint_noout"], 1.3)
    row("3 65-page pass on large / child walks", us["PagePass/large"] / us["BaselineChildWalks/large"], 2)
    row("  (the same on the example)", us["PagePass/example"] / us["BaselineChildWalks/example"], 0)
    row("  read on large / read on example",
        us["ReadPurposeOfTheLargeItem"] / us["ReadPurposeOfTheExample"], 0)
    row("4 editor page switch / reading the example", us["PageSwitch"] / us["BaselineReadItem"], 0)
    row("5 review of a deep item / parsing it (depth 200)",
        us["ReviewDeepItem/200"] / us["BaselineParseDeepItem/200"], 2)
    row("  (the same at depth 50)", us["ReviewDeepItem/50"] / us["BaselineParseDeepItem/50"], 2)
    printf "%-50s %6.3f ms  goal < 2 ms  %s\n", "4 editor page switch (cpu)", us["PageSwitch"] / 1000,
           us["PageSwitch"] < 2000 ? "met" : "NOT MET"
  }
  function row(what, ratio, goal) {
    if (goal > 0) {
      printf "%-50s %6.2f  goal <= %-5s %s\n", what, ratio, goal, ratio <= goal ? "met" : "NOT MET"
    } else {
      printf "%-50s %6.2f\n", what, ratio
    }
  }'
