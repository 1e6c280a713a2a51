#!/usr/bin/python3
"""How far a reconstruction that models no optical blur can get on a blurred ground-truth set.

Frames of a blurring camera are exactly the frames of a sharp camera looking at the blurred
scene (the Gaussian commutes with every shift and rotation), so a reconstruction through a sharp
camera model converges to the truth as the camera blurred it. This prints, per set, the PSNR-Y
(BT.601, whole picture, as lumivex_quality_bench) of that blurred truth against the truth, and,
with --saved, of the results lumivex_quality_bench --save wrote (SET_cubic.bmp and
SET_quality.bmp). With every figure as a gain over cubic, it tells which gains are out of reach
without deblurring; the last column is the quality result's PSNR against the blurred truth (how
close it came).

    /usr/bin/python3 bench/blur_bound.py --blur 0.4 [--saved DIR] SET_FOLDER...

--blur is the sets' blur in input pixels (make_sr_sets.py's blurnoise sets: 0.4); the scale is
read from each set's offsets.csv.
"""

import argparse
import csv
import os

import numpy as np

from grid_offset import luma
from make_sr_sets import gaussian_blur


def psnr(a, b):
    return 10.0 * np.log10(255.0 ** 2 / np.mean((a - b) ** 2))


def set_scale(folder):
    with open(os.path.join(folder, "offsets.csv"), newline="") as f:
        return float(next(csv.DictReader(f))["scale"])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--blur", type=float, required=True, help="input pixels")
    parser.add_argument("--saved", help="folder of lumivex_quality_bench --save")
    parser.add_argument("sets", nargs="+")
    args = parser.parse_args()
    print(f"{'set':28} {'cubic':>7} {'quality':>16} {'blurred truth':>16} "
          f"{'quality/blurred':>14}")
    for folder in args.sets:
        name = os.path.basename(os.path.normpath(folder))
        truth = luma(os.path.join(folder, "hr_groundtruth.bmp"))
        # Luminance is linear in the channels, so blurring it equals blurring each channel.
        blurred = gaussian_blur(truth[..., None], args.blur * set_scale(folder))[..., 0]
        bound = psnr(blurred, truth)
        if not args.saved:
            print(f"{name:28} {'-':>7} {'-':>16} {bound:16.2f}")
            continue
        cubic = psnr(luma(os.path.join(args.saved, f"{name}_cubic.bmp")), truth)
        result = luma(os.path.join(args.saved, f"{name}_quality.bmp"))
        quality = psnr(result, truth)
        print(f"{name:28} {cubic:7.2f} {quality:7.2f} ({quality - cubic:+.2f}) "
              f"{bound:7.2f} ({bound - cubic:+.2f}) {psnr(result, blurred):14.2f}")


if __name__ == "__main__":
    main()
