#!/usr/bin/python3
"""Which sub-pixel grid a result is on: the luminance PSNR of the result against the truth after
shifting the result by every (sx, sy) in {-0.5, -0.25, 0, 0.25, 0.5}^2 output pixels (exact
Fourier shift; 32-pixel borders left out). A result on the pixel-centre grid peaks at (0, 0).

    /usr/bin/python3 bench/grid_offset.py TRUTH.bmp RESULT.bmp...

Shifts are in the picture's top-down orientation: positive sx moves the content right,
positive sy down.
"""

import sys

import numpy as np
from PIL import Image

STEPS = (-0.5, -0.25, 0.0, 0.25, 0.5)
BORDER = 32


def luma(path):
    rgb = np.asarray(Image.open(path).convert("RGB"), dtype=np.float64)
    return rgb @ np.array([0.299, 0.587, 0.114])


def shifted(a, sx, sy):
    ky = np.fft.fftfreq(a.shape[0])[:, None]
    kx = np.fft.fftfreq(a.shape[1])[None, :]
    return np.real(np.fft.ifft2(np.fft.fft2(a) * np.exp(-2j * np.pi * (kx * sx + ky * sy))))


def psnr(a, b):
    inner = (slice(BORDER, -BORDER), slice(BORDER, -BORDER))
    return 10 * np.log10(255.0 ** 2 / np.mean((a[inner] - b[inner]) ** 2))


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    truth = luma(sys.argv[1])
    print(f"{'result':50} {'at (0, 0)':>9} {'best':>7} {'sx':>5} {'sy':>5}")
    for path in sys.argv[2:]:
        result = luma(path)
        scores = [(psnr(shifted(result, sx, sy), truth), sx, sy) for sy in STEPS for sx in STEPS]
        best = max(scores)
        print(f"{path[-50:]:50} {psnr(result, truth):9.2f} {best[0]:7.2f} {best[1]:5} {best[2]:5}")


if __name__ == "__main__":
    main()
