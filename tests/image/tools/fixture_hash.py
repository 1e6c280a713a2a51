"""The pixel hash the image tests compare with: 64-bit FNV-1a over R,G,B bytes, top row first."""
import subprocess

FNV_OFFSET = 0xCBF29CE484222325
FNV_PRIME = 0x100000001B3


def fnv1a64(data):
    h = FNV_OFFSET
    for b in data:
        h = ((h ^ b) * FNV_PRIME) & 0xFFFFFFFFFFFFFFFF
    return h


def hex_hash(data):
    return "%016x" % fnv1a64(data)


def rgb_bytes(picture):
    """R,G,B bytes of a picture file ImageMagick can read (PNG and the like)."""
    return subprocess.run(["/usr/bin/convert", picture, "-depth", "8", "rgb:-"], check=True,
                          capture_output=True).stdout
