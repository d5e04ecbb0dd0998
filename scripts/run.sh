#!/usr/bin/env bash
# Installs the dependencies, builds, and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build
echo "Built build/src/cli/kirimo-cli"
