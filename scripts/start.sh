#!/usr/bin/env bash
# Sets up, builds, and opens the bundled coastal dataset in the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
export TIDEWISE_HOME="${TIDEWISE_HOME:-$PWD/build/home}"
item="${1:-examples/coastal-dataset.xml}"
build/bin/tidewise tree
echo
build/bin/tidewise show "$item" Purpose
