#!/usr/bin/env python3
"""Builds tests/data/image/jpeg/expected.csv for the JPEG fixtures in that folder.

For every file: whether it decodes (and, after djpeg's warnings, whether its data ends early,
"short", or is damaged in the scan, "damaged"), its size and depth, the dpi the external test set lists for
it, and a 64-bit FNV-1a hash over the decoded R,G,B bytes (top row first):
- one- and three-component files: the output of libjpeg-turbo's own djpeg with default settings
  (a grey PGM is expanded to R = G = B, as the 8-bit grey palette reads back);
- four-component (Adobe CMYK) files: the reference picture of the external set, made from the
  library's raw CMYK bytes as R = c0 * k / 255, G = c1 * k / 255, B = c2 * k / 255.
Files whose name ends in _head.jpg are the first bytes of a larger external file (headers, the
start of the scan); they are compared with the dpi and outcome of the full file and with djpeg's
output for the cut file itself.

Usage: make_jpeg_expected.py EXTERNAL_JPEG_FOLDER FIXTURE_FOLDER   (needs djpeg and convert)
"""
import csv
import os
import re
import subprocess
import sys

from fixture_hash import hex_hash, rgb_bytes

def parse_pnm(data):
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    magic, width, height = fields[0], int(fields[1]), int(fields[2])
    pixels = data[pos + 1:]
    if magic == b"P5":
        pixels = bytes(b for v in pixels for b in (v, v, v))
    return width, height, pixels


def main():
    external, fixtures = sys.argv[1], sys.argv[2]
    rows = {r["file"]: r for r in csv.DictReader(open(os.path.join(external, "jpeg_expected.csv")))}
    out = csv.writer(open(os.path.join(fixtures, "expected.csv"), "w"), lineterminator="\n")
    out.writerow(["file", "decode", "width", "height", "bits", "dpi_x", "dpi_y", "rgb_fnv1a64"])
    for name in sorted(os.listdir(fixtures)):
        if not name.endswith(".jpg"):
            continue
        row = rows[name.replace("_head.jpg", ".jpg")]
        if row["decode"].startswith("fail"):
            out.writerow([name, "fail", "", "", "", "", "", ""])
            continue
        path = os.path.join(fixtures, name)
        said = subprocess.run(["djpeg", "-outfile", os.devnull, path],
                              capture_output=True, text=True).stderr
        decode = ("short" if "Premature end" in said else
                  "damaged" if re.search(r"extraneous bytes before marker 0xd[0-7]", said) else "ok")
        if row["components"] == "4":
            png = os.path.join(external, row["reference_png"])
            pixels = rgb_bytes(png)
        else:
            ppm = subprocess.run(["djpeg", path], capture_output=True).stdout
            _, _, pixels = parse_pnm(ppm)
        bits = 8 if row["components"] == "1" else 24
        out.writerow([name, decode, row["width"], row["height"], bits, row["expected_dpi_x"],
                      row["expected_dpi_y"], hex_hash(pixels)])


if __name__ == "__main__":
    main()
