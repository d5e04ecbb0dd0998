#!/usr/bin/env bash
# Every speed target of the engine in one run, on one 4000 x 3000 24-bit BMP (the bundled
# photograph, enlarged), against ImageMagick's nearest equivalents: each row prints the
# times, the measured ratio and the target it is held to.
#
#   bench/speed_targets.sh [BUILD_DIR] [PICTURE.bmp]
#
# Every command runs RUNS times (default 3) and the best wall-clock time counts; the four
# conversions compared with each other take turns. Run it on an otherwise idle machine: the
# ratios compare programs that use every core.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cli=$build/src/cli/kirimo-cli
bench=$build/bench/conversion_bench
runs=${RUNS:-3}
for tool in "$cli" "$bench"; do
  [[ -x $tool ]] || { echo "$tool not found; build it first" >&2; exit 2; }
done
command -v convert >/dev/null || { echo "ImageMagick's convert is not installed" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

picture=${2:-}
if [[ -z $picture ]]; then
  picture=$work/photo.bmp
  convert samples/cat.jpg -resize 4000x3000! -type TrueColor BMP3:"$picture"
fi
# The eighteen colours as an 18 x 1 palette picture for -remap.
colours=(000000 ffffff f00000 0000ff 00f000 ffff00 00ffff 008b00 ffb0bb 8b0000 ff850b 800080
  ff00ff 006400 00008b ffd700 c0c0c0 808080)
palette_args=()
for c in "${colours[@]}"; do palette_args+=("xc:#$c"); done
convert "${palette_args[@]}" +append "$work/palette.png"

milliseconds() { # wall-clock milliseconds of one run of a command
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
best() { # best wall-clock milliseconds of $runs runs of a command
  local best='' t
  for ((i = 0; i < runs; ++i)); do
    t=$(milliseconds "$@")
    if [[ -z $best || $t -lt $best ]]; then best=$t; fi
  done
  echo "$best"
}
# The best times of several commands (functions named by the arguments) taken in turns,
# one run of each per round, into fastest[name]: so that ratios between them meet the
# same stretches of this machine's noise. Only for commands alike in memory: a run right
# after a much larger program spends its time in the kernel clearing fresh pages.
declare -A fastest
in_turns() {
  local name t
  for ((i = 0; i < runs; ++i)); do
    for name in "$@"; do
      t=$(milliseconds "$name")
      if [[ -z ${fastest[$name]:-} || $t -lt ${fastest[$name]} ]]; then fastest[$name]=$t; fi
    done
  done
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
met() { awk -v v="$1" -v t="$3" -v op="$2" \
  'BEGIN { ok = (op == ">=" ? v >= t : v <= t); printf "%s", (ok ? "met" : "NOT met") }'; }
row() { # operation, measured text, ratio, comparison, target
  printf '%-44s %-34s %7s  %s %-5s %s\n' "$1" "$2" "$3" "$4" "$5" "$(met "$3" "$4" "$5")"
}

edit() { "$cli" edit "$picture" "$work/ours.bmp" "$@"; }
magick() { convert "$picture" "$@" -type TrueColor BMP3:"$work/theirs.bmp"; }
conv() { "$cli" convert "$picture" "$work/ours.bmp" --palette 18 "$@"; }
conv_rgb() { conv --space rgb --method fs; }
conv_ycc() { conv --space ycc --method fs; }
conv_cie() { conv --space cie --method fs; }
conv_jjn() { conv --space rgb --method jjn; }

uptime
echo
printf '%-44s %-34s %7s  %s\n' "operation" "times (ms)" "ratio" "target"

in_turns conv_rgb conv_ycc conv_cie conv_jjn
rgb=${fastest[conv_rgb]} ycc=${fastest[conv_ycc]} cie=${fastest[conv_cie]}
jjn=${fastest[conv_jjn]}
remap=$(best magick -dither FloydSteinberg -remap "$work/palette.png")
row "convert FS 18 RGB vs ImageMagick FS remap" "kirimo $rgb, ImageMagick $remap" \
  "$(ratio "$remap" "$rgb")" ">=" 5
row "convert YCC against RGB" "YCC $ycc, RGB $rgb" "$(ratio "$ycc" "$rgb")" "<=" 1.3
row "convert CIE against RGB" "CIE $cie, RGB $rgb" "$(ratio "$cie" "$rgb")" "<=" 2.5
row "convert JJN against FS (RGB)" "JJN $jjn, FS $rgb" "$(ratio "$jjn" "$rgb")" "<=" 1.2

# ns per pixel, on every core and (for the serial path) on one: the best single conversion
# of three times RUNS, as the rows above take the best single command. (A repetition's mean
# over many conversions would count every moment this virtual machine lends a core away.)
ns=$(QT_QPA_PLATFORM=offscreen "$bench" --benchmark_filter='^(FloydSteinbergRgb18|JarvisRgb18)' \
  --benchmark_min_time=0 --benchmark_repetitions=$((3 * runs)) --benchmark_format=csv 2>/dev/null |
  awk -F, 'NR > 1 && $1 !~ /_(mean|median|stddev|cv)"$/ {
             split($1, part, "/"); gsub(/"/, "", part[1]); t = $NF * 1e9
             if (!(part[1] in v) || t < v[part[1]]) v[part[1]] = t }
           END { printf "%.1f %.1f %.1f %.1f\n", v["FloydSteinbergRgb18"], v["JarvisRgb18"],
                        v["FloydSteinbergRgb18OneThread"], v["JarvisRgb18OneThread"] }')
read -r ns_fs ns_jjn ns_fs1 ns_jjn1 <<<"$ns"
row "conversion_bench FS 18 RGB, ns per pixel" "every core (one core: $ns_fs1)" "$ns_fs" "<=" 7
row "conversion_bench JJN 18 RGB, ns per pixel" "every core (one core: $ns_jjn1)" "$ns_jjn" "<=" 10

kernel_medium='3x3:0,-1,0,-1,5,-1,0,-1,0'
kernel_blur='3x3:0.08,0.12,0.08,0.12,0.2,0.12,0.08,0.12,0.08'
ours=$(best edit sharpen-medium)
theirs=$(best magick -morphology Convolve "$kernel_medium")
row "edit sharpen-medium vs 3x3 convolution" "kirimo $ours, ImageMagick $theirs" \
  "$(ratio "$theirs" "$ours")" ">=" 6
ours=$(best edit blur)
theirs=$(best magick -morphology Convolve "$kernel_blur")
row "edit blur vs 3x3 convolution" "kirimo $ours, ImageMagick $theirs" \
  "$(ratio "$theirs" "$ours")" ">=" 6
ours=$(best edit median)
theirs=$(best magick -statistic Median 3x3)
row "edit median vs -statistic Median 3x3" "kirimo $ours, ImageMagick $theirs" \
  "$(ratio "$theirs" "$ours")" ">=" 40
ours=$(best edit flip)
theirs=$(best magick)
row "edit flip against ImageMagick's plain copy" "kirimo $ours, ImageMagick $theirs" \
  "$(ratio "$ours" "$theirs")" "<=" 0.5
echo
echo "ratios against ImageMagick: its time / kirimo's (higher is faster), except the flip row"
echo "(kirimo's time / ImageMagick's); ratios against RGB or FS: that time / the RGB or FS time"
