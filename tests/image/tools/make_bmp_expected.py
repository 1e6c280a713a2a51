#!/usr/bin/env python3
"""Builds tests/data/image/bmp/expected.csv from the external BMP test set.

The external set lists, for every file, whether a conforming reader must decode it, its size,
depth and resolution, and the expected picture as a PNG (top row first; pixels the format leaves
undefined are marked in a separate mask). This script turns each expected picture into a 64-bit
FNV-1a hash over its R,G,B bytes, so the tests need neither PNG support nor the external files.

Undefined pixels (run-length data that skips them, files that end early) are hashed as palette
entry 0, because the reader clears the pixel rows before filling them.

Usage: make_bmp_expected.py EXTERNAL_BMP_FOLDER OUTPUT_CSV   (needs ImageMagick's convert)
"""
import csv
import os
import struct
import sys

from fixture_hash import hex_hash, rgb_bytes

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
            if row["spec_decode"] != "ok":
                w.writerow([name, "fail", "", "", "", "", "", ""])
                continue
            # A mask layout whose shifts the format leaves undefined: only "no crash" is tested.
            digest = "-" if row["note"].startswith("UNDEFINED") else expected_hash(root, row)
            w.writerow([name, "ok", row["width"], row["height"], row["depth"], row["dpi_x"],
                        row["dpi_y"], digest])


if __name__ == "__main__":
    main()
