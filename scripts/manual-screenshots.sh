#!/usr/bin/env bash
# Makes the manual's screenshots again: runs the screenshot tests of the window test
# program on a virtual display (Xvfb) and copies each window's picture, reduced to 256
# colours to keep it small, into docs/manual/images/.
#   bash scripts/manual-screenshots.sh [BUILD_FOLDER]     (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
bash "$root/scripts/install-deps.sh"
if [[ ! -f $build/build.ninja && ! -f $build/Makefile ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DKIRIMO_BUILD_BENCHMARKS=OFF
fi
cmake --build "$build" --target kirimo_ui_tests

shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
# A fixed screen, font and locale, so that the pictures come out the same each time.
KIRIMO_SCREENSHOT_DIR=$shots QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 \
  xvfb-run -a -s "-screen 0 1280x800x24" \
  "$build/tests/kirimo_ui_tests" --gtest_filter='UiScreenshot*'

images=$root/docs/manual/images
mkdir -p "$images"
for shot in "$shots"/*.png; do
  convert "$shot" -strip -colors 256 "PNG8:$images/$(basename "$shot")"
done
ls -s "$images"
