#!/usr/bin/env bash
# Sets up, builds, and starts the browser editor on a working copy of the
# bundled example catalog; prints the address to open. Ctrl-C stops it.
#   scripts/start.sh [CATALOG_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
# The tool and its libraries only: the tests are built by scripts/test.sh.
TIDEWISE_TARGET=editor scripts/setup.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
home="${TIDEWISE_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/tidewise}"
export TIDEWISE_HOME="$home"
catalog="${1:-$home/catalog}"
# The examples stay as they are in the repository: the editor works on a copy
# made once, on the first start.
if [ ! -d "$catalog" ]; then
  mkdir -p "$catalog"
  # Items only: the ISO 19139 record beside them is for importing.
  for example in examples/*.xml; do
    case "$example" in *iso19139*) ;; *) cp "$example" "$catalog/" ;; esac
  done
  echo "Copied the example catalog to $catalog"
fi
exec build/bin/tidewise serve "$catalog"
