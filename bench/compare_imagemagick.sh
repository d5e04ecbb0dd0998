#!/usr/bin/env bash
# Times `kirimo-cli edit` against the nearest ImageMagick `convert` equivalents on the same
# 4000 x 3000 24-bit BMP, end to end (read, operate, write a 24-bit BMP), and prints the
# ratios. Each command runs RUNS times (default 3); the best wall-clock time counts.
#
#   bench/compare_imagemagick.sh [path/to/kirimo-cli] [picture]
#
# Without a picture, a photo-like 4000 x 3000 picture is made with ImageMagick (plasma
# fractal, fixed seed) and kept in the work folder for the next run.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cli="${1:-${KIRIMO_CLI:-$here/../build/src/cli/kirimo-cli}}"
runs="${RUNS:-3}"
work="${KIRIMO_BENCH_DIR:-${TMPDIR:-/tmp}/kirimo-compare}"
mkdir -p "$work"

if [[ ! -x "$cli" ]]; then
    echo "kirimo-cli not found at $cli; build it first or pass its path" >&2
    exit 2
fi
command -v convert >/dev/null || { echo "ImageMagick's convert is not installed" >&2; exit 2; }

picture="${2:-$work/photo_4000x3000.bmp}"
if [[ ! -f "$picture" ]]; then
    echo "making $picture ..."
    convert -seed 7 -size 4000x3000 plasma:fractal -blur 0x1 -type TrueColor "BMP3:$picture.tmp"
    mv "$picture.tmp" "$picture"
fi
identify "$picture"

# Best wall-clock seconds of $runs runs of the given command.
best_time() {
    local best=""
    for ((i = 0; i < runs; ++i)); do
        local start end
        start=$(date +%s%N)
        "$@" >/dev/null
        end=$(date +%s%N)
        local t=$(( (end - start) / 1000000 ))
        if [[ -z "$best" || $t -lt $best ]]; then best=$t; fi
    done
    echo "$best"
}

kernel_weak='3x3:-0.1,-0.1,-0.1,-0.1,1.8,-0.1,-0.1,-0.1,-0.1'
kernel_medium='3x3:0,-1,0,-1,5,-1,0,-1,0'
kernel_strong='3x3:-1,-1,-1,-1,9,-1,-1,-1,-1'
kernel_blur='3x3:0.08,0.12,0.08,0.12,0.2,0.12,0.08,0.12,0.08'
kernel_average='3x3:0.1,0.1,0.1,0.1,0.2,0.1,0.1,0.1,0.1'
kernel_emboss='3x3:-1,0,0,0,0,0,0,0,1'
kernel_outline='3x3:-1,-1,-1,-1,8,-1,-1,-1,-1'

# kirimo operation | ImageMagick arguments
operations=(
    "flip|-flip"
    "mirror|-flop"
    "rotate-cw|-rotate 90"
    "rotate-ccw|-rotate -90"
    "resize=2000x1500|-sample 2000x1500!"
    "resize=5000x4000|-filter Triangle -resize 5000x4000!"
    "sharpen-weak|-morphology Convolve $kernel_weak"
    "sharpen-medium|-morphology Convolve $kernel_medium"
    "sharpen-strong|-morphology Convolve $kernel_strong"
    "blur|-morphology Convolve $kernel_blur"
    "average|-morphology Convolve $kernel_average"
    "emboss|-define convolve:bias=50% -morphology Convolve $kernel_emboss"
    "outline|-morphology Convolve $kernel_outline -negate"
    "median|-statistic Median 3x3"
    "invert|-negate"
)

printf '\n%-18s %12s %14s %8s\n' "operation" "kirimo (ms)" "convert (ms)" "ratio"
for entry in "${operations[@]}"; do
    op="${entry%%|*}"
    read -r -a im_args <<<"${entry#*|}"
    ours=$(best_time "$cli" edit "$picture" "$work/kirimo_out.bmp" "$op")
    theirs=$(best_time convert "$picture" "${im_args[@]}" -type TrueColor "BMP3:$work/im_out.bmp")
    ratio=$(awk -v a="$theirs" -v b="$ours" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
    printf '%-18s %12s %14s %7sx\n' "$op" "$ours" "$theirs" "$ratio"
done
echo
echo "ratio = ImageMagick time / kirimo-cli time (above 1: kirimo-cli is faster)"
rm -f "$work/kirimo_out.bmp" "$work/im_out.bmp"
