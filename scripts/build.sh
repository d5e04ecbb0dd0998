#!/usr/bin/env bash
# Installs the dependencies, then configures and builds Kirimo in ./build (or $1).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build_dir=${1:-build}
shift || true
cmake -S . -B "$build_dir" -G Ninja -DKIRIMO_WERROR=ON "$@" >/dev/null
cmake --build "$build_dir"
