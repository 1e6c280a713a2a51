#!/usr/bin/env bash
# Measures what the sample burst gains: PSNR against the photograph region the burst was made
# from, for the fused result and for the cubic enlargement of the reference alone.
# usage: samples/tools/measure_burst.sh [BUILD_DIR]   (needs ImageMagick's compare)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bin/lumivex-make-burst" samples/source/hubble_deep_field.jpg "$work" \
    --truth "$work/truth.bmp" >/dev/null
"$build/bin/lumivex-cli" enhance samples/burst/hubble_*.jpg -o "$work/fused.bmp" --quiet
"$build/bin/lumivex-cli" enhance samples/burst/hubble_00.jpg -o "$work/cubic.bmp" --quiet

psnr() { compare -metric PSNR "$1" "$work/truth.bmp" null: 2>&1 || true; }
echo "PSNR against the photograph (dB): fused $(psnr "$work/fused.bmp")," \
     "cubic enlargement of the reference $(psnr "$work/cubic.bmp")"
