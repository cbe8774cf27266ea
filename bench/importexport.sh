#!/usr/bin/env bash
# The import and export benchmarks, as ratios within one run:
#  1. convert_bench: SampleImporter.Import through the registry against the
#     same work done directly with libxml2/libxslt, and SampleExporter.Export
#     against a direct transform to a file (median of 5 repetitions each);
#  2. `tidewise import`/`export` as whole processes against xsltproc with the
#     same stylesheet and files, run interleaved, median of N runs each.
#
#   bench/importexport.sh [BUILD_DIR] [STYLESHEET_DIR] [RUNS]
#
# BUILD_DIR is configured with -DTIDEWISE_BENCH=ON (default build-release);
# STYLESHEET_DIR defaults to the repository's stylesheets/ when it holds both
# stylesheets, else tests/data/convert. The records are generated under
# BUILD_DIR/bench-records.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-release}"
sheets="${2:-}"
runs="${3:-11}"
if [[ -z "$sheets" ]]; then
  if [[ -f stylesheets/toVelmarModel.xslt && -f stylesheets/toTidewiseModel.xslt ]]; then
    sheets=stylesheets
  else
    sheets=tests/data/convert
  fi
fi
sheets="$(cd "$sheets" && pwd)"
records="$PWD/$build/bench-records"
tool="$PWD/$build/bin/tidewise"
command -v xsltproc >/dev/null || { echo "xsltproc is needed (apt-get install xsltproc)" >&2; exit 1; }

python3 bench/make_records.py "$records"
echo "stylesheets: $sheets"
ls -l "$records"/record-*.xml | awk '{print "  " $5 " bytes  " $9}'

echo
echo "== In-process (median of 9, repetitions interleaved at random), ratio to the direct work =="
"$build/bin/convert_bench" "$records" "$sheets" --benchmark_repetitions=9 \
  --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true --benchmark_format=json >"$records/bench.json"
python3 - "$records/bench.json" <<'PY'
import json, sys
rows = json.load(open(sys.argv[1]))["benchmarks"]
median = {r["run_name"].removesuffix("/real_time"): r["real_time"]
          for r in rows if r.get("aggregate_name") == "median"}
sizes = {"0": "50 KB", "1": "1 MB", "2": "20 MB"}
print(f"{'size':>6}  {'Import ms':>10} {'direct ms':>10} {'ratio':>6}   {'Export ms':>10} {'direct ms':>10} {'ratio':>6}")
for arg, label in sizes.items():
    i, d = median[f"Import/{arg}"], median[f"ImportDirect/{arg}"]
    e, x = median[f"Export/{arg}"], median[f"ExportDirect/{arg}"]
    print(f"{label:>6}  {i:10.2f} {d:10.2f} {i/d:6.2f}   {e:10.2f} {x:10.2f} {e/x:6.2f}")
PY

echo
echo "== Whole processes (median of $runs, interleaved), ratio to xsltproc =="
export TIDEWISE_HOME="$records/home" TIDEWISE_STYLESHEETS="$sheets"
"$tool" register >/dev/null
out="$records/out"
mkdir -p "$out"
now() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
printf '%6s  %12s %12s %6s   %12s %12s %6s\n' size "import ms" "xsltproc ms" ratio "export ms" "xsltproc ms" ratio
for size in 50k 1m 20m; do
  src="$records/record-$size.xml"
  item="$records/item-$size.xml"
  rm -f "$item"
  "$tool" import "$src" "$item"
  : >"$out/ti" ; : >"$out/xi"; : >"$out/te"; : >"$out/xe"
  for ((r = 0; r < runs; r++)); do
    rm -f "$out/imported.xml"
    t0=$(now); "$tool" import "$src" "$out/imported.xml"; t1=$(now)
    xsltproc -o "$out/xsltproc-imported.xml" "$sheets/toVelmarModel.xslt" "$src"; t2=$(now)
    "$tool" export "$item" "$out/exported.xml"; t3=$(now)
    xsltproc -o "$out/xsltproc-exported.xml" "$sheets/toTidewiseModel.xslt" "$item"; t4=$(now)
    echo $(((t1 - t0) / 1000)) >>"$out/ti"; echo $(((t2 - t1) / 1000)) >>"$out/xi"
    echo $(((t3 - t2) / 1000)) >>"$out/te"; echo $(((t4 - t3) / 1000)) >>"$out/xe"
  done
  ti=$(median <"$out/ti"); xi=$(median <"$out/xi"); te=$(median <"$out/te"); xe=$(median <"$out/xe")
  awk -v s="$size" -v ti="$ti" -v xi="$xi" -v te="$te" -v xe="$xe" 'BEGIN {
    printf "%6s  %12.1f %12.1f %6.2f   %12.1f %12.1f %6.2f\n", s, ti/1000, xi/1000, ti/xi, te/1000, xe/1000, te/xe }'
done
