#!/usr/bin/env bash
# Installs what the build needs (Debian 12), then configures and builds.
#   scripts/setup.sh [BUILD_DIR] [extra cmake arguments...]
#   scripts/setup.sh --packages-only
# TIDEWISE_EXTRA_PACKAGES names more packages to install. TIDEWISE_TARGET=editor
# builds only the tool and its libraries, and leaves out what only the
# browser tests need (Chromium, Node.js, playwright-core) and the static checks
# (clang-format, clang-tidy).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake ninja-build pkg-config libxml2-dev libxslt1-dev
          nlohmann-json3-dev libcli11-dev libcpp-httplib-dev libsqlite3-dev libgtest-dev libgmock-dev
          libbenchmark-dev xsltproc libxml2-utils python3-owslib python3-lxml
          proj-data
          ${TIDEWISE_EXTRA_PACKAGES:-})
target="${TIDEWISE_TARGET:-all}"
browser_tests=""
if [ "$target" = all ]; then
  browser_tests=tests/browser
  packages+=(chromium)
  # scripts/lint.sh's checks.
  packages+=(clang-format clang-tidy)
  # The browser tests' runner; the machine may have its own Node.js already.
  command -v node >/dev/null && command -v npm >/dev/null || packages+=(nodejs npm)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
# Only the packages: the caller configures and builds.
[ "${1:-}" = "--packages-only" ] && exit 0

# playwright-core and axe-core for the browser tests, at the versions the
# lock file pins.
if [ -n "$browser_tests" ] && { [ ! -d "$browser_tests/node_modules/playwright-core" ] ||
   [ ! -d "$browser_tests/node_modules/axe-core" ] ||
   [ "$browser_tests/package-lock.json" -nt "$browser_tests/node_modules/.package-lock.json" ]; }; then
  (cd "$browser_tests" && npm ci --no-audit --no-fund --loglevel=error)
fi

build="${1:-build}"
shift || true
cmake -S . -B "$build" -G Ninja "$@" >/dev/null
ninja -C "$build" "$target"
