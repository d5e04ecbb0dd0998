#!/usr/bin/env bash
# Installs the dependencies, builds, and runs Kirimo: the program itself when a display is
# available, otherwise the headless main job, which converts the bundled sample photograph
# into a dot picture in the standard eight colours.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  echo "Starting Kirimo (open samples/cat.jpg with ﾌｧｲﾙ > 画像の選択)"
  exec ./build/src/ui/kirimo
fi
mkdir -p out
./build/src/cli/kirimo-cli convert samples/cat.jpg out/cat_dots.bmp --palette 8 --usage >out/cat_usage.txt
echo "Converted samples/cat.jpg into the dot picture $(pwd)/out/cat_dots.bmp"
echo "Each colour's share of the picture: $(cat out/cat_usage.txt)"
