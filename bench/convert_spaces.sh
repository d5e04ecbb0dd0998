#!/usr/bin/env bash
# Times `kirimo-cli convert` end to end in the RGB, YCC and CIE colour spaces (18 colours,
# Floyd&Steinberg) on the same 4000 x 3000 24-bit BMP in one run, and prints each time and
# its ratio to RGB. Usage: bench/convert_spaces.sh [BUILD_DIR] [PICTURE.bmp]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cli=$build/src/cli/kirimo-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

picture=${2:-}
if [[ -z $picture ]]; then
  picture=$work/photo.bmp
  convert samples/cat.jpg -resize 4000x3000! -type TrueColor BMP3:"$picture"
fi

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

declare -A time
for space in rgb ycc cie; do
  time[$space]=$(best "$cli" convert "$picture" "$work/$space.bmp" --palette 18 --space "$space" \
    --method fs)
done
for space in rgb ycc cie; do
  printf '%s: %.3f s  (%.2f x RGB)\n' "${space^^}" "${time[$space]}" \
    "$(echo "${time[$space]} / ${time[rgb]}" | bc -l)"
done
