#!/usr/bin/env bash
# The catalog's index on a generated catalog, in one run: the first listing
# and search (the index built anew) and warm ones (the index in step, nothing
# changed), each a whole process beside `ls` and `grep -l` over the same
# files; then the same operations in one process with the index open, as the
# editor would keep it.
#   bench/catalog.sh [BUILD_DIR]     default build-bench
#   RUNS=N bench/catalog.sh          interleaved rounds (default 7)
#   COUNT=N bench/catalog.sh         items in the catalog (default 10000)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-bench}"
runs="${RUNS:-7}"
count="${COUNT:-10000}"

scripts/setup.sh --packages-only
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIDEWISE_BENCH=ON >/dev/null
ninja -C "$build" catalog_query process_bench

bin="$PWD/$build/bin"
work="$PWD/$build/bench-work"
catalog="$work/catalog-$count"
export TIDEWISE_HOME="$work/home-catalog"
if [ "$(find "$catalog" -maxdepth 1 -name '*.xml' 2>/dev/null | wc -l)" != "$count" ]; then
  rm -rf "$catalog"
  python3 bench/make_catalog.py "$catalog" "$count"
fi
echo "catalog: $count items, $(du -sh "$catalog" | cut -f1) in $catalog"

# The two sides must find the same files.
for word in saltmarsh sediment; do
  by_grep=$(grep -rli "$word" "$catalog" | wc -l)
  by_index=$("$bin/catalog_query" search "$catalog" "$word" | wc -l)
  echo "\"$word\": grep -l finds $by_grep files, the index $by_index items"
  [ "$by_grep" = "$by_index" ] || { echo "the index and grep disagree" >&2; exit 1; }
done

echo
echo "== Whole processes: medians of $runs interleaved rounds (CPU = user + system)"
"$bin/process_bench" "$runs" \
  ls="ls $catalog" \
  ls_l="ls -l $catalog" \
  list_first="$bin/catalog_query list $catalog --fresh" \
  list_warm="$bin/catalog_query list $catalog" \
  list_warm_page="$bin/catalog_query list $catalog --sort title --limit 100" \
  grep_rare="grep -rli saltmarsh $catalog" \
  search_rare_first="$bin/catalog_query search $catalog saltmarsh --fresh" \
  search_rare_warm="$bin/catalog_query search $catalog saltmarsh" \
  grep_common="grep -rli sediment $catalog" \
  search_common_warm="$bin/catalog_query search $catalog sediment" \
  >"$work/catalog-processes.txt"
awk '{ printf "%-20s cpu %9.2f ms  wall %9.2f ms  maxrss %8d KiB\n", $1, $2, $3, $4 }' \
  "$work/catalog-processes.txt"

echo
echo "== Ratios                                    CPU    wall"
awk '
  { cpu[$1] = $2; wall[$1] = $3 }
  END {
    row("first listing / ls -l", "list_first", "ls_l")
    row("warm listing / ls -l", "list_warm", "ls_l")
    row("warm listing / ls", "list_warm", "ls")
    row("warm first page by title / ls", "list_warm_page", "ls")
    row("first search (rare word) / grep -l", "search_rare_first", "grep_rare")
    row("warm search (rare word) / grep -l", "search_rare_warm", "grep_rare")
    row("warm search (common word) / grep -l", "search_common_warm", "grep_common")
  }
  function row(what, a, b) { printf "%-40s %6.2f  %6.2f\n", what, cpu[a] / cpu[b], wall[a] / wall[b] }' \
  "$work/catalog-processes.txt"

echo
echo "== In one process, the index open (medians of 21: CPU ms, wall ms)"
"$bin/catalog_query" time "$catalog" saltmarsh 21
