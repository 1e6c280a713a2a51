#!/usr/bin/python3
"""Ground-truth sets for the super-resolution quality benchmark.

Each set is a folder with hr_groundtruth.png and .bmp (the truth), eight low-resolution frames
and offsets.csv (file, frame, dx_lr, dy_lr, rotation_deg, scale, width, height).

Model: a source picture S (the truth plus a margin of M pixels on every side) is piecewise
constant, pixel (i, j) covering [i, i+1) x [j, j+1). Frame k at continuous position p = (x, y),
pixel x spanning [x, x+1), shows what frame 00 shows at
    q = c + R(rotation_k) (p - c) + (dx_k, dy_k),   c = (width / 2, height / 2),
    R(a) = [[cos a, -sin a], [sin a, cos a]]        (y points down),
and frame 00 at q shows S at scale * q + M. A frame pixel is the exact mean of S over the
pixel's footprint (the image of the unit square, a parallelogram), computed with Green's
theorem on the row-wise running sums of S; optional optical blur (a Gaussian applied to S),
noise (Gaussian, per channel) and JPEG coding follow. Values are rounded to nearest.
Without blur and noise, frame 00 is exactly the scale x scale box mean of the truth.

A set whose frames show another scene or an object that moves also gets a sibling, <name>_without:
the same files less the frames other than 00 that differ from the static scene. It tells what the
frames that do fit can give, the fair comparison for the set itself: where the object moved,
only those frames show the scene, so the static set's figure is out of reach there.

Run with the system Python (numpy and Pillow from Debian):
    /usr/bin/python3 bench/make_sr_sets.py --testdata ../shared/testdata --out /work/srsets
"""

import argparse
import csv
import math
import os
import shutil
import sys

import numpy as np
from PIL import Image

FRAMES = 8
SCALE = 2


def load_photo(testdata, name, reduce, crop_w, crop_h, cx=0.5, cy=0.5):
    """The photo averaged over reduce x reduce blocks, then a crop_w x crop_h crop centred at
    (cx, cy) of the reduced picture (fractions)."""
    img = np.asarray(Image.open(os.path.join(testdata, name)).convert("RGB"), dtype=np.float64)
    h = img.shape[0] // reduce * reduce
    w = img.shape[1] // reduce * reduce
    img = img[:h, :w].reshape(h // reduce, reduce, w // reduce, reduce, 3).mean(axis=(1, 3))
    h, w = img.shape[:2]
    if crop_w > w or crop_h > h:
        sys.exit(f"{name}: {w}x{h} after reduction is smaller than {crop_w}x{crop_h}")
    x0 = min(max(int(round(cx * w - crop_w / 2)), 0), w - crop_w)
    y0 = min(max(int(round(cy * h - crop_h / 2)), 0), h - crop_h)
    # Quantised like a stored picture, so the truth holds exactly what the frames integrate.
    return np.floor(img[y0:y0 + crop_h, x0:x0 + crop_w] + 0.5)


def gaussian_blur(img, sigma):
    radius = int(math.ceil(4 * sigma))
    t = np.arange(-radius, radius + 1, dtype=np.float64)
    kernel = np.exp(-0.5 * (t / sigma) ** 2)
    kernel /= kernel.sum()
    out = img
    for axis in (0, 1):
        pad = [(0, 0)] * 3
        pad[axis] = (radius, radius)
        padded = np.pad(out, pad, mode="reflect")
        acc = np.zeros_like(out)
        for k, weight in enumerate(kernel):
            acc += weight * np.take(padded, np.arange(k, k + out.shape[axis]), axis=axis)
        out = acc
    return out


def footprint_means(source, corners):
    """Exact mean of the piecewise-constant source over each parallelogram.

    corners: array (4, N, 2) of vertices in order around the polygon, in source pixel units.
    Uses the integral of f over a polygon = closed line integral of C(x, y) dy, with
    C(x, y) = integral of f(t, y) over t from 0 to x. Each edge is cut at every integer x and y it
    crosses, so each piece lies in one source pixel, where C is linear in x and the trapezoid
    rule is exact."""
    hs, ws, channels = source.shape
    run = np.zeros((hs, ws + 1, channels))
    run[:, 1:] = np.cumsum(source, axis=1)
    n = corners.shape[1]
    total = np.zeros((n, channels))
    signed_area = np.zeros(n)
    for e in range(4):
        p0 = corners[e]
        p1 = corners[(e + 1) % 4]
        d = p1 - p0
        params = [np.zeros(n), np.ones(n)]
        for axis in (0, 1):
            lo = np.minimum(p0[:, axis], p1[:, axis])
            with np.errstate(divide="ignore", invalid="ignore"):
                for k in range(1, 4):
                    s = (np.floor(lo) + k - p0[:, axis]) / d[:, axis]
                    params.append(np.where((s > 0) & (s < 1), s, 1.0))
        s = np.sort(np.stack(params, axis=1), axis=1)
        for m in range(s.shape[1] - 1):
            sa, sb = s[:, m], s[:, m + 1]
            a = p0 + sa[:, None] * d
            b = p0 + sb[:, None] * d
            mid = 0.5 * (a + b)
            i = np.floor(mid[:, 0]).astype(np.int64)
            j = np.floor(mid[:, 1]).astype(np.int64)
            if i.min() < 0 or j.min() < 0 or i.max() >= ws or j.max() >= hs:
                sys.exit("a footprint leaves the source picture: enlarge the margin")
            base = run[j, i]
            value = source[j, i]
            ca = base + value * (a[:, 0] - i)[:, None]
            cb = base + value * (b[:, 0] - i)[:, None]
            dy = (b[:, 1] - a[:, 1])[:, None]
            total += 0.5 * dy * (ca + cb)
        signed_area += 0.5 * (p0[:, 0] + p1[:, 0]) * d[:, 1]
    return total / signed_area[:, None]


def render_frame(source, margin, width, height, dx, dy, rotation_deg):
    a = math.radians(rotation_deg)
    cos_a, sin_a = math.cos(a), math.sin(a)
    cx, cy = width / 2.0, height / 2.0
    ys, xs = np.mgrid[0:height, 0:width].astype(np.float64)
    xs = xs.ravel()
    ys = ys.ravel()
    corners = []
    for ox, oy in ((0, 0), (1, 0), (1, 1), (0, 1)):
        px, py = xs + ox - cx, ys + oy - cy
        qx = cx + cos_a * px - sin_a * py + dx
        qy = cy + sin_a * px + cos_a * py + dy
        corners.append(np.stack([SCALE * qx + margin, SCALE * qy + margin], axis=1))
    means = footprint_means(source, np.stack(corners))
    return means.reshape(height, width, 3)


def box_mean(truth):
    h, w = truth.shape[0] // SCALE, truth.shape[1] // SCALE
    return truth.reshape(h, SCALE, w, SCALE, 3).mean(axis=(1, 3))


def to_bytes(img):
    return np.clip(np.floor(img + 0.5), 0, 255).astype(np.uint8)


def draw_offsets(rng, rotate):
    """Frame 00 is the reference; the others get sub-pixel shifts and, if asked, small rotations
    of either sign between 0.5 and 1.5 degrees."""
    rows = [(0.0, 0.0, 0.0)]
    for _ in range(1, FRAMES):
        if rotate:
            dx, dy = rng.uniform(-1.0, 1.0, 2)
            rot = rng.choice([-1.0, 1.0]) * rng.uniform(0.5, 1.5)
        else:
            dx, dy = rng.uniform(0.0, 1.0, 2)
            rot = 0.0
        rows.append((round(float(dx), 4), round(float(dy), 4), round(float(rot), 3)))
    return rows


class SetSpec:
    def __init__(self, name, photo, rotate=False, jpeg=False, blur=0.0, noise=0.0,
                 moving=None, other_scene=None, seed=1):
        self.name = name
        self.photo = photo              # (file, reduce, cx, cy)
        self.rotate = rotate
        self.jpeg = jpeg
        self.blur = blur                # Gaussian sigma in low-resolution pixels
        self.noise = noise              # Gaussian sigma in grey levels
        self.moving = moving            # (patch photo, frames that move it)
        self.other_scene = other_scene  # (photo, frame replaced by it)
        self.seed = seed


def paste(img, patch, x, y):
    out = img.copy()
    out[y:y + patch.shape[0], x:x + patch.shape[1]] = patch
    return out


def make_set(spec, testdata, out_root, lr_size):
    width, height = lr_size
    margin = 40 if spec.rotate else 4
    src_w, src_h = SCALE * width + 2 * margin, SCALE * height + 2 * margin
    file, reduce, cx, cy = spec.photo
    scene = load_photo(testdata, file, reduce, src_w, src_h, cx, cy)
    rng = np.random.RandomState(spec.seed)
    offsets = draw_offsets(rng, spec.rotate)

    sources = [scene] * FRAMES
    notes = []
    misfits = set()  # frames other than 00 that differ from the static scene
    if spec.moving:
        pfile, preduce, pcx, pcy, pw, ph, frames = spec.moving
        patch = load_photo(testdata, pfile, preduce, pw, ph, pcx, pcy)
        x0 = margin + SCALE * width // 2 - pw // 2
        y0 = margin + SCALE * height // 2 - ph // 2
        sources = []
        for k in range(FRAMES):
            mx, my = (0, 0)
            if k in frames:
                mx, my = (int(v) for v in rng.randint(-24, 25, 2))
                notes.append(f"frame {k:02d}: the patch moves by ({mx}, {my}) truth pixels")
                misfits |= {k} - {0}
            sources.append(paste(scene, patch, x0 + mx, y0 + my))
        notes.insert(0, f"a {pw}x{ph} patch of {pfile} at truth pixel "
                        f"({x0 - margin}, {y0 - margin}) in frame 00")
    if spec.other_scene:
        ofile, oreduce, ocx, ocy, frame = spec.other_scene
        sources = list(sources)
        sources[frame] = load_photo(testdata, ofile, oreduce, src_w, src_h, ocx, ocy)
        notes.append(f"frame {frame:02d} shows another scene ({ofile})")
        misfits.add(frame)

    truth = sources[0][margin:margin + SCALE * height, margin:margin + SCALE * width]
    folder = os.path.join(out_root, spec.name)
    os.makedirs(folder, exist_ok=True)
    Image.fromarray(to_bytes(truth)).save(os.path.join(folder, "hr_groundtruth.png"))
    Image.fromarray(to_bytes(truth)).save(os.path.join(folder, "hr_groundtruth.bmp"))

    rows = []
    for k, (dx, dy, rot) in enumerate(offsets):
        source = sources[k]
        if spec.blur > 0:
            source = gaussian_blur(source, spec.blur * SCALE)
        if k == 0 and spec.blur == 0:
            frame = box_mean(truth)  # exact, with no rounding error to tip a .5 either way
        else:
            frame = render_frame(source, margin, width, height, dx, dy, rot)
        if spec.noise > 0:
            frame = frame + rng.normal(0.0, spec.noise, frame.shape)
        name = f"{spec.name}_{k:02d}." + ("jpg" if spec.jpeg else "bmp")
        picture = Image.fromarray(to_bytes(frame))
        if spec.jpeg:
            picture.save(os.path.join(folder, name), quality=95, subsampling=2)
        else:
            picture.save(os.path.join(folder, name))
        rows.append([name, k, dx, dy, rot, SCALE, width, height])
    write_offsets(folder, rows)
    if misfits:
        write_without(folder, spec.name, rows, misfits)
    return notes


def write_offsets(folder, rows):
    with open(os.path.join(folder, "offsets.csv"), "w", newline="") as f:
        writer = csv.writer(f, lineterminator="\n")
        writer.writerow(["file", "frame", "dx_lr", "dy_lr", "rotation_deg", "scale",
                         "width", "height"])
        writer.writerows(rows)


def write_without(folder, name, rows, misfits):
    """The sibling set <name>_without: the files of folder less the frames in misfits."""
    sibling = folder + "_without"
    os.makedirs(sibling, exist_ok=True)
    for truth in ("hr_groundtruth.png", "hr_groundtruth.bmp"):
        shutil.copyfile(os.path.join(folder, truth), os.path.join(sibling, truth))
    kept = [row for row in rows if row[1] not in misfits]
    for row in kept:
        shutil.copyfile(os.path.join(folder, row[0]), os.path.join(sibling, row[0]))
    write_offsets(sibling, kept)
    print(f"{name}_without; frames {', '.join(f'{k:02d}' for k in sorted(misfits))} left out")


def check_integration():
    """The Green's-theorem integral against brute force on a random picture."""
    rng = np.random.RandomState(7)
    source = rng.uniform(0, 255, (40, 40, 3))
    exact = render_frame(source, 8, 8, 8, 0.3, 0.7, 0.0)
    brute = np.zeros((8, 8, 3))
    fine = np.kron(source, np.ones((10, 10, 1)))
    for y in range(8):
        for x in range(8):
            x0, y0 = int(round((2 * (x + 0.3) + 8) * 10)), int(round((2 * (y + 0.7) + 8) * 10))
            brute[y, x] = fine[y0:y0 + 20, x0:x0 + 20].mean(axis=(0, 1))
    assert np.abs(exact - brute).max() < 1e-9, "translation integral is wrong"
    rotated = render_frame(source, 8, 8, 8, 0.2, -0.4, 1.3)
    n = 400
    t = (np.arange(n) + 0.5) / n
    approx = np.zeros((8, 8, 3))
    a = math.radians(1.3)
    for y in range(8):
        for x in range(8):
            px, py = np.meshgrid(x + t - 4, y + t - 4)
            qx = 4 + math.cos(a) * px - math.sin(a) * py + 0.2
            qy = 4 + math.sin(a) * px + math.cos(a) * py - 0.4
            i = np.floor(2 * qx + 8).astype(int)
            j = np.floor(2 * qy + 8).astype(int)
            approx[y, x] = source[j, i].mean(axis=(0, 1))
    assert np.abs(rotated - approx).max() < 0.5, "rotated integral is wrong"


def all_sets():
    leaf = ("jpeg/exs_jolla.jpg", 4, 0.5, 0.5)
    building = ("jpeg/exs_87_OSError.jpg", 2, 0.5, 0.35)
    wind = ("jpeg/exs_30-type_error.jpg", 4, 0.5, 0.5)
    palms = ("jpeg/exs_corrupted.jpg", 4, 0.5, 0.5)
    pumpkin = ("jpeg/exs_sony-powershota5.jpg", 1, 0.5, 0.5)
    cannon = ("jpeg/exs_nikon-e950.jpg", 1, 0.5, 0.5)
    coffee = ("bmp/photo/p_coffee_rgb24_641x480.bmp", 1, 0.5, 0.5)
    mountain = ("jpeg/exs_11-tests.jpg", 1, 0.5, 0.5)
    cat = ("bmp/photo/p_chelsea_rgb24_v5.bmp", 1, 0.45, 0.3)
    moving = (cat[0], 1, 0.45, 0.3, 140, 110, (2, 5, 6))
    other = (leaf[0], 2, 0.5, 0.5, 4)
    # Photos and seeds none of the sets above use, for checking settings on pictures they were
    # not tuned on.
    shelves = ("jpeg/exs_ricoh-rdc5300.jpg", 1, 0.5, 0.5)
    plane = ("jpeg/pil_exif_typeerror.jpg", 1, 0.5, 0.5)
    rug = ("jpeg/m_progressive.jpg", 1, 0.5, 0.5)
    grass = ("jpeg/exs_fujifilm-finepix40i.jpg", 1, 0.5, 0.5)
    bag = ("jpeg/exs_olympus-d320l.jpg", 1, 0.5, 0.5)
    dog = (rug[0], 1, 0.6, 0.4, 120, 90, (1, 3, 7))
    other2 = (shelves[0], 1, 0.5, 0.5, 6)
    # A small, moderately contrasted object that also moves in the reference.
    cup = (coffee[0], 1, 0.5, 0.5, 70, 56, (0, 3))
    other3 = (shelves[0], 1, 0.3, 0.6, 5)
    # name, spec, low-resolution size, held out
    return [
        (SetSpec("trans_leaf", leaf, seed=11), (400, 300), False),
        (SetSpec("trans_building", building, seed=12), (360, 270), False),
        (SetSpec("rot_wind", wind, rotate=True, seed=13), (440, 260), False),
        (SetSpec("rot_palms", palms, rotate=True, seed=14), (410, 300), True),
        (SetSpec("jpeg_pumpkin", pumpkin, rotate=True, jpeg=True, seed=15), (460, 340), False),
        (SetSpec("jpeg_coffee", coffee, jpeg=True, seed=16), (300, 220), True),
        (SetSpec("blurnoise_cannon", cannon, rotate=True, blur=0.4, noise=2.0, seed=17),
         (360, 260), False),
        (SetSpec("blurnoise_palms", palms, blur=0.4, noise=2.0, seed=18), (410, 300), True),
        (SetSpec("obj_mountain_static", mountain, rotate=True, moving=moving[:6] + ((),),
                 seed=19), (520, 340), False),
        (SetSpec("obj_mountain_moving", mountain, rotate=True, moving=moving, seed=19),
         (520, 340), False),
        (SetSpec("obj_mountain_otherscene", mountain, rotate=True, moving=moving[:6] + ((),),
                 other_scene=other, seed=19), (520, 340), False),
        (SetSpec("blurnoise_shelves", shelves, rotate=True, blur=0.4, noise=2.0, seed=31),
         (400, 260), True),
        (SetSpec("blurnoise_plane", plane, blur=0.4, noise=2.0, seed=32), (390, 260), True),
        (SetSpec("blurnoise_rug", rug, rotate=True, blur=0.4, noise=2.0, seed=33), (260, 160),
         True),
        (SetSpec("blurnoise_grass", grass, blur=0.4, noise=2.0, seed=34), (290, 220), True),
        (SetSpec("noise_plane", plane, noise=2.0, seed=40), (390, 260), True),
        (SetSpec("noise_rug", rug, rotate=True, noise=2.0, seed=41), (260, 160), True),
        (SetSpec("noise_shelves", shelves, noise=2.0, seed=42), (440, 290), True),
        (SetSpec("trans_plane", plane, seed=35), (390, 260), True),
        (SetSpec("rot_grass", grass, rotate=True, seed=36), (260, 180), True),
        (SetSpec("jpeg_bag", bag, rotate=True, jpeg=True, seed=37), (280, 200), True),
        (SetSpec("jpeg_shelves", shelves, jpeg=True, seed=38), (440, 290), True),
        (SetSpec("obj_plane_static", plane, rotate=True, moving=dog[:6] + ((),), seed=39),
         (360, 220), True),
        (SetSpec("obj_plane_moving", plane, rotate=True, moving=dog, seed=39), (360, 220), True),
        (SetSpec("obj_plane_otherscene", plane, rotate=True, moving=dog[:6] + ((),),
                 other_scene=other2, seed=39), (360, 220), True),
        (SetSpec("obj_bag_static", bag, rotate=True, moving=cup[:6] + ((),), seed=51),
         (280, 200), True),
        (SetSpec("obj_bag_moving", bag, rotate=True, moving=cup, seed=51), (280, 200), True),
        (SetSpec("obj_bag_otherscene", bag, rotate=True, moving=cup[:6] + ((),),
                 other_scene=other3, seed=51), (280, 200), True),
    ]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--testdata", default="../shared/testdata")
    parser.add_argument("--out", default="/work/srsets")
    parser.add_argument("--only", nargs="*", help="names of the sets to make")
    parser.add_argument("--scale", type=int, default=2,
                        help="enlargement factor; above 2 the frames shrink so that the truth "
                             "keeps its size, and each set's name ends in _xN")
    parser.add_argument("--frames", type=int, default=8,
                        help="frames per set; other than 8, each set's name ends in _fN")
    args = parser.parse_args()
    check_integration()  # written for the factor 2
    global SCALE, FRAMES
    SCALE, FRAMES = args.scale, args.frames
    for spec, size, held_out in all_sets():
        if args.only and spec.name not in args.only:
            continue
        if SCALE != 2:
            spec.name += f"_x{SCALE}"
            size = (size[0] * 2 // SCALE, size[1] * 2 // SCALE)
        if FRAMES != 8:
            spec.name += f"_f{FRAMES}"
        notes = make_set(spec, args.testdata, args.out, size)
        print(spec.name, f"{size[0]}x{size[1]}", "held out" if held_out else "", *notes,
              sep="; ")


if __name__ == "__main__":
    main()
