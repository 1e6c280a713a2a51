#!/usr/bin/env python3
"""Writes the PNG, TIFF and V5-header BMP fixtures of tests/data/image/{png,tiff,bmp_v5} and
their expected.csv.

Each fixture is a tiny picture whose sample values this script chooses, written by ImageMagick
(`convert`) or Pillow. The expected R,G,B bytes are computed here from those chosen values, not
read back by any decoder: 16-bit samples become round(v * 255 / 65535); a pixel with opacity a
(after that reduction) over white becomes (c * a + 255 * (255 - a) + 127) // 255, or
min(255, c + 255 - a) when the file stores colours already multiplied by their opacity.
The hash is 64-bit FNV-1a over those bytes, top row first (fixture_hash.py).

Usage: make_format_fixtures.py DATA_FOLDER   (DATA_FOLDER = tests/data/image)
Needs /usr/bin/python3 with python3-pil and ImageMagick's convert.
"""
import csv
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

from PIL import Image

from fixture_hash import hex_hash

W, H = 7, 5


def reduce16(v):
    return (v * 255 + 32767) // 65535


def on_white(c, a):
    return (c * a + 255 * (255 - a) + 127) // 255


def rgb8(x, y):
    return ((x * 37 + y * 11) % 256, (x * 5 + y * 53 + 7) % 256, (255 - x * 29 - y * 3) % 256)


def rgb16(x, y):
    return ((x * 9973 + y * 4567 + 123) % 65536, (x * 30011 + y * 1009 + 77) % 65536,
            (65535 - x * 7919 - y * 13331) % 65536)


def alpha8(x, y):
    return (x * 40 + y * 60) % 256


def alpha16(x, y):
    return (x * 11111 + y * 22222 + 5) % 65536


def pixels(w, h, fn):
    return [fn(x, y) for y in range(h) for x in range(w)]


def flat(values):
    return bytes(c for p in values for c in p)


class Fixtures:
    def __init__(self, folder):
        self.folder = folder
        self.rows = []
        os.makedirs(folder, exist_ok=True)

    def path(self, name):
        return os.path.join(self.folder, name)

    def ok(self, name, w, h, dpi, expected_rgb):
        self.rows.append([name, "ok", w, h, 24, dpi[0], dpi[1], hex_hash(flat(expected_rgb))])

    def fail(self, name):
        self.rows.append([name, "fail", "", "", "", "", "", ""])

    def write_csv(self):
        with open(self.path("expected.csv"), "w", newline="") as out:
            w = csv.writer(out, lineterminator="\n")
            w.writerow(["file", "decode", "width", "height", "bits", "dpi_x", "dpi_y",
                        "rgb_fnv1a64"])
            w.writerows(self.rows)


def write_ppm16(path, w, h, fn):
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n65535\n" % (w, h))
        for p in pixels(w, h, fn):
            f.write(struct.pack(">HHH", *p))


def write_pam16_alpha(path, w, h):
    with open(path, "wb") as f:
        f.write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 65535\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
                % (w, h))
        for y in range(h):
            for x in range(w):
                f.write(struct.pack(">HHHH", *rgb16(x, y), alpha16(x, y)))


def convert(*args):
    subprocess.run(["/usr/bin/convert", *args], check=True)


def grey8(x, y):
    return (x * 31 + y * 47) % 256


def grey16(x, y):
    return (x * 8191 + y * 12007 + 3) % 65536


def palette_picture():
    colours = [(i * 17 % 256, i * 91 % 256, 255 - i * 13 % 256) for i in range(12)]
    index = lambda x, y: (x + 3 * y) % 12
    im = Image.new("P", (W, H))
    im.putpalette(flat(colours))
    im.putdata([index(x, y) for y in range(H) for x in range(W)])
    return im, colours, index


def grey_image(mode, fn):
    im = Image.new(mode, (W, H))
    im.putdata([fn(x, y) for y in range(H) for x in range(W)])
    return im


def damaged(fx, source, name_truncated, name_corrupt):
    data = open(fx.path(source), "rb").read()
    open(fx.path(name_truncated), "wb").write(data[:len(data) * 2 // 3])
    fx.fail(name_truncated)
    corrupt = bytearray(data)
    for i in range(len(corrupt) // 3, len(corrupt) // 3 + 24):
        corrupt[i] ^= 0x5A
    open(fx.path(name_corrupt), "wb").write(corrupt)
    fx.fail(name_corrupt)


def expected_rgba16_on_white():
    out = []
    for y in range(H):
        for x in range(W):
            a = reduce16(alpha16(x, y))
            out.append(tuple(on_white(reduce16(c), a) for c in rgb16(x, y)))
    return out


def make_png(fx, tmp):
    rgb = pixels(W, H, rgb8)
    Image.frombytes("RGB", (W, H), flat(rgb)).save(fx.path("pil_rgb8_300dpi.png"), dpi=(300, 300))
    fx.ok("pil_rgb8_300dpi.png", W, H, (300, 300), rgb)

    rgba = [rgb8(x, y) + (alpha8(x, y),) for y in range(H) for x in range(W)]
    Image.frombytes("RGBA", (W, H), flat(rgba)).save(fx.path("pil_rgba8.png"))
    fx.ok("pil_rgba8.png", W, H, (96, 96), [tuple(on_white(c, p[3]) for c in p[:3]) for p in rgba])

    grey_image("L", grey8).save(fx.path("pil_grey8.png"))
    fx.ok("pil_grey8.png", W, H, (96, 96), [(g, g, g) for g in pixels(W, H, lambda x, y: grey8(x, y))])

    la = [(grey8(x, y), alpha8(x, y)) for y in range(H) for x in range(W)]
    Image.frombytes("LA", (W, H), flat(la)).save(fx.path("pil_grey_alpha8.png"))
    fx.ok("pil_grey_alpha8.png", W, H, (96, 96), [(on_white(g, a),) * 3 for g, a in la])

    grey_image("I;16", grey16).save(fx.path("pil_grey16.png"))
    fx.ok("pil_grey16.png", W, H, (96, 96),
          [(reduce16(grey16(x, y)),) * 3 for y in range(H) for x in range(W)])

    im, colours, index = palette_picture()
    im.save(fx.path("pil_palette8.png"))
    fx.ok("pil_palette8.png", W, H, (96, 96),
          [colours[index(x, y)] for y in range(H) for x in range(W)])
    im.save(fx.path("pil_palette4.png"), bits=4)
    fx.ok("pil_palette4.png", W, H, (96, 96),
          [colours[index(x, y)] for y in range(H) for x in range(W)])
    opacity = [255 - i * 20 for i in range(12)]
    im.save(fx.path("pil_palette8_trns.png"), transparency=bytes(opacity))
    fx.ok("pil_palette8_trns.png", W, H, (96, 96),
          [tuple(on_white(c, opacity[index(x, y)]) for c in colours[index(x, y)])
           for y in range(H) for x in range(W)])

    ppm = os.path.join(tmp, "rgb16.ppm")
    write_ppm16(ppm, W, H, rgb16)
    convert(ppm, "-depth", "16", "PNG48:" + fx.path("im_rgb16.png"))
    fx.ok("im_rgb16.png", W, H, (96, 96),
          [tuple(reduce16(c) for c in p) for p in pixels(W, H, rgb16)])

    pam = os.path.join(tmp, "rgba16.pam")
    write_pam16_alpha(pam, W, H)
    convert(pam, "-depth", "16", "PNG64:" + fx.path("im_rgba16.png"))
    fx.ok("im_rgba16.png", W, H, (96, 96), expected_rgba16_on_white())

    big = pixels(13, 11, rgb8)
    src = os.path.join(tmp, "big.png")
    Image.frombytes("RGB", (13, 11), flat(big)).save(src)
    convert(src, "-interlace", "PNG", "-units", "PixelsPerCentimeter", "-density", "40",
            "PNG24:" + fx.path("im_rgb8_interlaced_40dpcm.png"))
    fx.ok("im_rgb8_interlaced_40dpcm.png", 13, 11, (102, 102), big)

    damaged(fx, "pil_rgb8_300dpi.png", "truncated.png", "corrupt.png")
    open(fx.path("not_png.png"), "wb").write(b"GIF89a" + bytes(40))
    fx.fail("not_png.png")
    huge_png(fx.path("huge_header.png"))
    fx.fail("huge_header.png")


def huge_png(path):
    """A valid signature and IHDR claiming 20000 x 20000 RGB pixels, and nothing else."""
    body = b"IHDR" + struct.pack(">IIBBBBB", 20000, 20000, 8, 2, 0, 0, 0)
    chunk = struct.pack(">I", 13) + body + struct.pack(">I", zlib.crc32(body))
    open(path, "wb").write(b"\x89PNG\r\n\x1a\n" + chunk)


def huge_tiff(path):
    """A little-endian TIFF directory claiming 20000 x 20000 grey pixels in one 1-byte strip."""
    entries = [(256, 4, 1, 20000), (257, 4, 1, 20000), (258, 3, 1, 8), (259, 3, 1, 1),
               (262, 3, 1, 1), (273, 4, 1, 8), (277, 3, 1, 1), (278, 4, 1, 20000),
               (279, 4, 1, 1)]
    ifd = struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        ifd += struct.pack("<HHII", tag, kind, count, value)
    ifd += struct.pack("<I", 0)
    open(path, "wb").write(b"II*\x00" + struct.pack("<I", 9) + b"\x00" + ifd)


def make_tiff(fx, tmp):
    rgb = pixels(W, H, rgb8)
    im = Image.frombytes("RGB", (W, H), flat(rgb))
    im.save(fx.path("pil_rgb8_raw_200dpi.tif"), dpi=(200, 200))
    fx.ok("pil_rgb8_raw_200dpi.tif", W, H, (200, 200), rgb)
    im.save(fx.path("pil_rgb8_lzw.tif"), compression="tiff_lzw")
    fx.ok("pil_rgb8_lzw.tif", W, H, (96, 96), rgb)
    src = os.path.join(tmp, "rgb8.png")
    im.save(src)
    convert(src, "-compress", "Zip", fx.path("im_rgb8_deflate.tif"))
    fx.ok("im_rgb8_deflate.tif", W, H, (96, 96), rgb)
    convert(src, "-define", "tiff:tile-geometry=16x16", "-compress", "LZW",
            fx.path("im_rgb8_tiled.tif"))
    fx.ok("im_rgb8_tiled.tif", W, H, (96, 96), rgb)
    convert(src, "-units", "PixelsPerCentimeter", "-density", "40",
            fx.path("im_rgb8_40dpcm.tif"))
    fx.ok("im_rgb8_40dpcm.tif", W, H, (102, 102), rgb)
    # The Orientation tag leaves the stored pixels as they are, by strips and by tiles.
    for source, name, orientation in (("im_rgb8_deflate.tif", "im_rgb8_orient3.tif", "3"),
                                      ("im_rgb8_tiled.tif", "im_rgb8_tiled_orient6.tif", "6")):
        shutil.copyfile(fx.path(source), fx.path(name))
        subprocess.run(["tiffset", "-s", "274", orientation, fx.path(name)], check=True)
        fx.ok(name, W, H, (96, 96), rgb)

    grey_image("L", grey8).save(fx.path("pil_grey8_deflate.tif"), compression="tiff_adobe_deflate")
    fx.ok("pil_grey8_deflate.tif", W, H, (96, 96),
          [(grey8(x, y),) * 3 for y in range(H) for x in range(W)])
    grey_image("I;16", grey16).save(fx.path("pil_grey16.tif"))
    fx.ok("pil_grey16.tif", W, H, (96, 96),
          [(reduce16(grey16(x, y)),) * 3 for y in range(H) for x in range(W)])

    ppm = os.path.join(tmp, "rgb16.ppm")
    write_ppm16(ppm, W, H, rgb16)
    convert(ppm, "-depth", "16", "-compress", "LZW", fx.path("im_rgb16_lzw.tif"))
    fx.ok("im_rgb16_lzw.tif", W, H, (96, 96),
          [tuple(reduce16(c) for c in p) for p in pixels(W, H, rgb16)])
    pam = os.path.join(tmp, "rgba16.pam")
    write_pam16_alpha(pam, W, H)
    convert(pam, "-depth", "16", "-compress", "Zip", fx.path("im_rgba16_deflate.tif"))
    fx.ok("im_rgba16_deflate.tif", W, H, (96, 96), expected_rgba16_on_white())

    rgba = [rgb8(x, y) + (alpha8(x, y),) for y in range(H) for x in range(W)]
    Image.frombytes("RGBA", (W, H), flat(rgba)).save(fx.path("pil_rgba8.tif"))
    fx.ok("pil_rgba8.tif", W, H, (96, 96), [tuple(on_white(c, p[3]) for c in p[:3]) for p in rgba])

    pim, colours, index = palette_picture()
    pim.save(fx.path("pil_palette8.tif"))
    fx.ok("pil_palette8.tif", W, H, (96, 96),
          [colours[index(x, y)] for y in range(H) for x in range(W)])

    damaged(fx, "pil_rgb8_lzw.tif", "truncated.tif", "corrupt.tif")
    huge_tiff(fx.path("huge_header.tif"))
    fx.fail("huge_header.tif")


def make_bmp_v5(fx, tmp):
    """32-bit BMPs with a 124-byte header and bit-field masks, as ImageMagick writes them."""
    rgba = [rgb8(x, y) + (alpha8(x, y),) for y in range(H) for x in range(W)]
    src = os.path.join(tmp, "rgba.png")
    Image.frombytes("RGBA", (W, H), flat(rgba)).save(src)
    convert(src, "-alpha", "on", fx.path("im_rgba32_v5.bmp"))
    fx.ok("im_rgba32_v5.bmp", W, H, (0, 0), [tuple(on_white(c, p[3]) for c in p[:3]) for p in rgba])
    rgb = pixels(W, H, rgb8)
    src = os.path.join(tmp, "rgb.png")
    Image.frombytes("RGB", (W, H), flat(rgb)).save(src)
    convert(src, "-alpha", "on", "-units", "PixelsPerInch", "-density", "150",
            fx.path("im_rgb32_v5_opaque_150dpi.bmp"))
    fx.ok("im_rgb32_v5_opaque_150dpi.bmp", W, H, (150, 150), rgb)


def main():
    root = sys.argv[1]
    with tempfile.TemporaryDirectory() as tmp:
        for name, make in (("png", make_png), ("tiff", make_tiff), ("bmp_v5", make_bmp_v5)):
            fx = Fixtures(os.path.join(root, name))
            make(fx, tmp)
            fx.write_csv()


if __name__ == "__main__":
    main()
