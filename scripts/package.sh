#!/usr/bin/env bash
# Installs the dependencies, builds Kirimo in ./build (or $1) and makes the Debian package
# kirimo_<version>_amd64.deb there; prints its path. Install it with
#   sudo apt install ./build/kirimo_*_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
bash scripts/build.sh "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd "$build_dir" && cpack -G DEB >/dev/null)
ls "$build_dir"/kirimo_*_amd64.deb
