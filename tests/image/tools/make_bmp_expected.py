#!/usr/bin/env python3
"""Builds tests/data/image/bmp/expected.csv from the external BMP test set.

The external set lists, for every file, whether a conforming reader must decode it, its size,
depth and resolution, and the expected picture as a PNG (top row first; pixels the format leaves
undefined are marked in a separate mask). This script turns each expected picture into a 64-bit
FNV-1a hash over its R,G,B bytes, so the tests need neither PNG support nor the external files.

Undefined pixels (run-length data that skips them, files that end early) are hashed as palette
entry 0, because the reader clears the pixel rows before filling them.

Files with a later header (52, 56, 108 or 124 bytes) that the plain reading refuses are read
by their bit-field masks instead. For those listed in MASKED_REFERENCES the expected picture is
the suite's own reference PNG, with its alpha channel composited on white:
(c * a + 255 * (255 - a) + 127) // 255 on the 8-bit values. Two of them have channels wider
than 16 bits or odd widths whose reference PNG is 16-bit, so it rounds twice (to 16, then to 8
bits) and differs by at most 1 from rounding once; for those (MODELLED) the expected picture is
computed here from the file's pixels by the rule itself: each channel round(v * 255 / max), then
the same compositing.

Usage: make_bmp_expected.py EXTERNAL_BMP_FOLDER OUTPUT_CSV   (needs ImageMagick's convert)
"""
import csv
import os
import struct
import sys

import subprocess

from fixture_hash import hex_hash, rgb_bytes

# The suite's files whose data stops before the last pixel; the reader warns of them. (The
# run-length files "cut" early end at an end-of-bitmap code, and are whole.)
CUT_SHORT = {"b/shortfile.bmp"}

# Suite files read by their masks, and the reference picture each must give.
MASKED_REFERENCES = {
    "g/pal8v4.bmp": "pal8.png",
    "g/pal8v5.bmp": "pal8.png",
    "q/rgb32-xbgr.bmp": "rgb24.png",
    "q/rgb32h52.bmp": "rgb24.png",
    "q/rgba16-1924.bmp": "rgba16-1924.png",
    "q/rgba16-4444.bmp": "rgba16-4444.png",
    "q/rgba16-5551.bmp": "rgba16-5551.png",
    "q/rgba32-1.bmp": "rgba32.png",
    "q/rgba32-2.bmp": "rgba32.png",
    "q/rgba32-1010102.bmp": "rgba32-1010102.png",
    "q/rgba32-61754.bmp": "rgba32-61754.png",
    "q/rgba32-81284.bmp": "rgba32-81284.png",
    "q/rgba32h56.bmp": "rgba32.png",
}


MODELLED = {"q/rgba32-61754.bmp", "q/rgba32-81284.bmp"}


def on_white(c, a):
    return (c * a + 255 * (255 - a) + 127) // 255


def scaled(mask, pixel):
    if mask == 0:
        return 0
    shift = (mask & -mask).bit_length() - 1
    top = mask >> shift
    return (((pixel & mask) >> shift) * 255 + top // 2) // top


def modelled_hash(data):
    """32-bit bottom-up pixels of a 124-byte-header file, read by its masks."""
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    masks = struct.unpack_from("<IIII", data, 54)
    out = bytearray()
    for y in range(height - 1, -1, -1):
        for x in range(width):
            pixel = struct.unpack_from("<I", data, offset + (y * width + x) * 4)[0]
            a = scaled(masks[3], pixel)
            out += bytes(on_white(scaled(m, pixel), a) for m in masks[:3])
    return hex_hash(out)


def on_white_hash(png):
    rgba = subprocess.run(["/usr/bin/convert", png, "-depth", "8", "rgba:-"], check=True,
                          capture_output=True).stdout
    out = bytearray()
    for i in range(0, len(rgba), 4):
        a = rgba[i + 3]
        out += bytes(on_white(c, a) for c in rgba[i:i + 3])
    return hex_hash(out)


def masked_row(root, name):
    data = open(os.path.join(root, "bmpsuite", name), "rb").read()
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    ppm_x, ppm_y = struct.unpack_from("<ii", data, 38)
    dpi = [int(p * 0.0254 + 0.5) for p in (ppm_x, ppm_y)]
    png = os.path.join(root, "bmpsuite", "html", MASKED_REFERENCES[name])
    digest = modelled_hash(data) if name in MODELLED else on_white_hash(png)
    return [name, "ok", width, abs(height), 8 if bits == 8 else 24, dpi[0], dpi[1], digest]

def palette_entry0(bmp_path):
    data = open(bmp_path, "rb").read()
    start = 14 if data[:2] == b"BM" else 0
    header_size = struct.unpack_from("<I", data, start)[0]
    b, g, r = data[start + header_size:start + header_size + 3]
    return bytes((r, g, b))


def expected_hash(root, row):
    png = os.path.join(root, row["expected_png"].split(" ")[0])
    pixels = bytearray(rgb_bytes(png))
    if int(row["undefined_pixels"] or 0) > 0:
        mask = rgb_bytes(png[:-4] + ".defined.png")
        fill = palette_entry0(os.path.join(root, row["file"]))
        for i in range(0, len(pixels), 3):
            if mask[i] == 0:
                pixels[i:i + 3] = fill
    return hex_hash(pixels)


def main():
    root, output = sys.argv[1], sys.argv[2]
    rows = list(csv.DictReader(open(os.path.join(root, "bmp_expected.csv"))))
    with open(output, "w", newline="") as out:
        w = csv.writer(out, lineterminator="\n")
        w.writerow(["file", "decode", "width", "height", "depth", "dpi_x", "dpi_y", "rgb_fnv1a64"])
        for row in rows:
            name = row["file"].replace("bmpsuite/", "")
            if not name.startswith(("b/", "g/", "q/", "x/", "photo/p_chelsea_pal8")):
                continue
            if name in MASKED_REFERENCES:
                w.writerow(masked_row(root, name))
                continue
            if row["spec_decode"] != "ok":
                w.writerow([name, "fail", "", "", "", "", "", ""])
                continue
            # A mask layout whose shifts the format leaves undefined: only "no crash" is tested.
            digest = "-" if row["note"].startswith("UNDEFINED") else expected_hash(root, row)
            decode = "short" if name in CUT_SHORT else "ok"
            w.writerow([name, decode, row["width"], row["height"], row["depth"], row["dpi_x"],
                        row["dpi_y"], digest])


if __name__ == "__main__":
    main()
