#!/usr/bin/env bash
# Times `kirimo-cli convert` (Floyd&Steinberg, 18 colours, RGB) against ImageMagick's
# Floyd-Steinberg remap to the same 18 colours, end to end on the same 4000 x 3000 24-bit
# BMP, and prints the ratio. Usage: bench/compare_convert_imagemagick.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cli=$build/src/cli/kirimo-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert samples/cat.jpg -resize 4000x3000! -type TrueColor BMP3:"$work/photo.bmp"
# The eighteen colours as a 18 x 1 palette picture for -remap.
colours=(000000 ffffff f00000 0000ff 00f000 ffff00 00ffff 008b00 ffb0bb 8b0000 ff850b 800080
         ff00ff 006400 00008b ffd700 c0c0c0 808080)
args=()
for c in "${colours[@]}"; do args+=("xc:#$c"); done
convert "${args[@]}" +append "$work/palette.png"

seconds() { # runs a command, prints its wall-clock seconds
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

best() { # the best of three runs
  local best= t
  for _ in 1 2 3; do
    t=$(seconds "$@")
    if [[ -z $best ]] || (($(echo "$t < $best" | bc -l))); then best=$t; fi
  done
  echo "$best"
}

ours=$(best "$cli" convert "$work/photo.bmp" "$work/ours.bmp" --palette 18 --space rgb --method fs)
theirs=$(best convert "$work/photo.bmp" -dither FloydSteinberg -remap "$work/palette.png" \
  -type TrueColor BMP3:"$work/theirs.bmp")
printf 'kirimo-cli convert: %.3f s\nImageMagick remap:  %.3f s\nratio (ImageMagick / kirimo): %.2f\n' \
  "$ours" "$theirs" "$(echo "$theirs / $ours" | bc -l)"
