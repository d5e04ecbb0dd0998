#!/usr/bin/env bash
# Installs the dependencies, builds, and runs Kirimo: the program itself when a display is
# available, otherwise the headless main job, which converts the bundled sample photograph
# into a dot picture in the standard eight colours. Only what runs is built; the build's
# output goes to a log that is shown when the build fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  target=kirimo
else
  target=kirimo-cli
fi
mkdir -p build
log=build/run-build.log
echo "Building $target (log: $log)"
if ! { cmake -S . -B build -G Ninja -DKIRIMO_WERROR=ON && cmake --build build --target "$target"; } >"$log" 2>&1; then
  tail -n 40 "$log" >&2
  echo "The build failed; the whole log is $log" >&2
  exit 1
fi
if [[ $target == kirimo ]]; then
  echo "Starting Kirimo on the sample photograph samples/cat.jpg"
  exec ./build/src/ui/kirimo samples/cat.jpg
fi
mkdir -p out
./build/src/cli/kirimo-cli convert samples/cat.jpg out/cat_dots.bmp --palette 8 --usage >out/cat_usage.txt
echo "Converted samples/cat.jpg into the dot picture $(pwd)/out/cat_dots.bmp"
echo "Each colour's share of the picture: $(cat out/cat_usage.txt)"
