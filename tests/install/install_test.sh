#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed tool from
# there: it must find its libraries through $ORIGIN alone, register the
# installed components and open pages, also after the prefix has moved.
#   install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$1"
source="$2"
work="$(mktemp -d "${TMPDIR:-/tmp}/tidewise-install-XXXXXX")"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
prefix="$work/prefix"
for file in bin/tidewise lib/tidewise/libTidewisePlatform.so lib/tidewise/TidewiseCustomPage.so \
            lib/tidewise/Importer.so lib/tidewise/Exporter.so lib/tidewise/TidewiseXml.so \
            lib/tidewise/TidewiseEditor.so \
            share/tidewise/stylesheets/toVelmarModel.xslt \
            share/tidewise/stylesheets/toTidewiseModel.xslt share/tidewise/web/index.html \
            share/tidewise/web/app.js share/tidewise/schemas/catalog.xml \
            share/tidewise/schemas/tidewise.xsd share/tidewise/schemas/iso19139/gmd/gmd.xsd; do
  [ -f "$prefix/$file" ] || fail "$file is not installed"
done

# Every RUNPATH names $ORIGIN only: no folder of the build or anywhere else.
runpath() { readelf -d "$1" | sed -n 's/.*(\(RUNPATH\|RPATH\)).*\[\(.*\)\]/\2/p'; }
check_runpath() {
  local file="$1" expected="$2" found
  found="$(runpath "$file")"
  [ "$found" = "$expected" ] || fail "$file has RUNPATH '$found', expected '$expected'"
}
check_runpath "$prefix/bin/tidewise" '$ORIGIN:$ORIGIN/../lib/tidewise'
for library in "$prefix"/lib/tidewise/*.so; do check_runpath "$library" '$ORIGIN'; done
# The built files too, which the tests run: entries relative to $ORIGIN, and
# no empty one, which the loader would read as the current folder. A build
# without tests has no test programs.
shopt -s nullglob
for file in "$build"/bin/tidewise "$build"/bin/*.so "$build"/bin/*_tests; do
  found="$(runpath "$file")"
  IFS=: read -r -a entries <<<"$found"
  case "$found" in
    '' | :* | *: | *::*) fail "$file has an empty RUNPATH entry: '$found'" ;;
  esac
  for entry in "${entries[@]}"; do
    case "$entry" in
      '$ORIGIN' | '$ORIGIN/'*) ;;
      *) fail "$file has the RUNPATH entry '$entry'" ;;
    esac
  done
done
shopt -u nullglob

# Only the editor module needs the HTTP library; every other command would
# pay for its start-up (and OpenSSL's) in each process.
if readelf -d "$prefix/bin/tidewise" | grep -q 'NEEDED.*httplib'; then
  fail "the tool links the HTTP library"
fi
readelf -d "$prefix/lib/tidewise/TidewiseEditor.so" | grep -q 'NEEDED.*httplib' ||
  fail "the editor module does not link the HTTP library"
# The module keeps its copy of the host to itself: its entry point and none
# of our symbols (an unoptimized build may add the standard library's inline
# ones, which are the same everywhere).
exported="$(nm -D --defined-only "$prefix/lib/tidewise/TidewiseEditor.so" | awk '{print $NF}')"
grep -qx tidewise_serve <<<"$exported" || fail "the editor module does not export tidewise_serve"
if grep -E '^_ZN?K?2tw' <<<"$exported"; then fail "the editor module exports symbols of the host"; fi

run_installed() {
  local home="$1" tool="$2"
  shift 2
  TIDEWISE_HOME="$home" "$tool" "$@"
}
# The installed editor serves its page from the installed files: start it on
# a free port, fetch the address it prints, stop it.
check_editor() {
  local home="$1" tool="$2" round="$3" log="$work/serve-$3.log" pid address
  TIDEWISE_HOME="$home" "$tool" serve "$item" --port 0 >"$log" 2>&1 &
  pid=$!
  for _ in $(seq 100); do
    address="$(sed -n 's/^Open //p' "$log")"
    [ -n "$address" ] && break
    sleep 0.1
  done
  [ -n "$address" ] || { kill "$pid"; cat "$log" >&2; fail "serve printed no address ($round)"; }
  python3 - "$address" <<'PY' || { kill "$pid"; fail "the installed editor did not serve its page ($round)"; }
import http.cookiejar, sys, urllib.request
# The address sets the token's cookie and sends the browser on to the page.
opener = urllib.request.build_opener(urllib.request.HTTPCookieProcessor(http.cookiejar.CookieJar()))
page = opener.open(sys.argv[1], timeout=10).read().decode()
sys.exit(0 if "app.js" in page else 1)
PY
  kill -INT "$pid"
  wait "$pid" || fail "serve did not stop cleanly ($round)"
}

item="$work/coastal.xml"
cp "$source/examples/coastal-dataset.xml" "$item"
broken="$work/broken.xml"
sed 's|<mdDateSt>[^<]*</mdDateSt>|<mdDateSt>2023-02-29</mdDateSt>|' "$item" >"$broken"
for round in first moved; do
  tool="$prefix/bin/tidewise"
  home="$work/home-$round"
  tree="$(run_installed "$home" "$tool" tree --json)" || fail "tree failed ($round)"
  grep -q '"key": "TidewiseBook"' <<<"$tree" || fail "tree printed no TidewiseBook ($round)"
  show="$(run_installed "$home" "$tool" show "$item" Purpose)" || fail "show failed ($round)"
  grep -q 'Monitor cliff-top retreat' <<<"$show" || fail "show printed no purpose ($round)"
  grep -q "\"$prefix/lib/tidewise/TidewiseCustomPage.so\"" "$home/registry.json" ||
    fail "the registry does not name the installed library ($round)"
  if grep -q "\"$build" "$home/registry.json"; then fail "the registry names the build ($round)"; fi
  # The installed schemas and stylesheets, offline: an item with a problem
  # is told so, the example is not.
  run_installed "$home" "$tool" check "$item" >"$work/check.txt" 2>&1 ||
    { cat "$work/check.txt" >&2; fail "check found problems in the example ($round)"; }
  status=0
  run_installed "$home" "$tool" check "$broken" >"$work/check.txt" 2>&1 || status=$?
  [ "$status" = 1 ] && grep -q 'txtDate "2023-02-29"' "$work/check.txt" ||
    { cat "$work/check.txt" >&2; fail "check did not tell the broken item's date ($round)"; }
  check_editor "$home" "$tool" "$round"
  if [ "$round" = first ]; then
    mv "$prefix" "$work/elsewhere"
    prefix="$work/elsewhere"
  fi
done
echo "installed, registered and ran from $work"
