#!/bin/sh
# A 400 % side-by-side crop of several results, each labelled with its file name, for looking at
# sharpness, ringing and border streaks by eye (ImageMagick 6: convert and montage).
#
#   bench/side_by_side.sh OUT.png GEOMETRY PICTURE...
#
# GEOMETRY is the crop in the pictures' own pixels, WxH+X+Y from the top-left corner (for
# example 120x90+0+0 for the top-left corner, 120x90+400+300 further in). Pictures smaller than
# the crop's far corner are cut at their edge. Enlargement is by pixel repetition, so every
# result pixel shows as a 4 x 4 block.
set -eu
if [ $# -lt 3 ]; then
    echo "usage: $0 OUT.png WxH+X+Y PICTURE..." >&2
    exit 2
fi
out=$1
geometry=$2
shift 2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
i=0
for picture in "$@"; do
    i=$((i + 1))
    convert "$picture" -crop "$geometry" +repage -filter point -resize 400% \
        "$tmp/$(printf %02d $i).png"
    labels="${labels:-} -label $(basename "$picture") $tmp/$(printf %02d $i).png"
done
# shellcheck disable=SC2086  # the labels list is split on purpose
montage $labels -tile "${TILE:-${i}x1}" -geometry +4+4 -background white "$out"
echo "$out"
