#!/usr/bin/python3
"""Generates the setup program's artwork into res/art/.

Run from anywhere as `/usr/bin/python3 tools/genart/genart.py`; needs Debian's
python3-pil and fonts-dejavu-core. Writes:

  background.bmp   bitmap 138, the main window picture (labels unlit)
  *_lit.bmp        highlight overlays, one per label, sized to its redraw rectangle
  *_grey.bmp       disabled overlays for Play Game and Uninstall
  banner.bmp       bitmap 139, the strip at the left of the install dialogs
  folders.bmp      bitmap 184, the directory browser's closed and open folder (16 colours)
  setup.ico        icon 128 (32x32 and 16x16, 8-bit and 32-bit images)
  preview.png      every main-window state side by side, for people only

All bitmaps but folders.bmp are 8 bits per pixel and share one 256-entry palette. The output is
deterministic: no clock, no system random source, no unordered iteration.
"""

import math
import os
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
OUT_DIR = os.path.join(REPO, "res", "art")
FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONT_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")
FONT_COND_BOLD = os.path.join(FONT_DIR, "DejaVuSansCondensed-Bold.ttf")

WIDTH, HEIGHT = 414, 249
BANNER_SIZE = (51, 291)
BANNER_TITLE_PX = 28
DITHER_AMPLITUDE = 10
LABEL_FONT_PX = 11  # the largest DejaVu Sans Bold size whose "Play Game" fits 12 rows

# Colours (RGB).
CYAN = (64, 220, 255)
MAGENTA = (236, 64, 190)
TEXT_UNLIT = (196, 222, 250)
TEXT_LIT = (255, 255, 240)
TEXT_GREY = (98, 104, 122)
SHADOW = (2, 3, 10)
PLATE_FILL = (7, 11, 30)


class Label:
    """A picture label that acts as a button: its text and redraw rectangle."""

    def __init__(self, key, text, left, top, right, bottom, greyable):
        self.key = key
        self.text = text
        self.rect = (left, top, right, bottom)
        self.greyable = greyable

    @property
    def size(self):
        return (self.rect[2] - self.rect[0], self.rect[3] - self.rect[1])


LABELS = [
    Label("play", "Play Game", 314, 16, 397, 28, True),
    Label("install", "Install", 351, 52, 396, 63, False),
    Label("directx", "DirectX", 335, 88, 398, 101, False),
    Label("uninstall", "Uninstall", 288, 226, 354, 237, True),
    Label("exit", "Exit", 368, 226, 397, 237, False),
]


# --------------------------------------------------------------------------
# Small deterministic helpers


class Rng:
    """xorshift32: the same sequence on every platform and Python version."""

    def __init__(self, seed):
        self.state = (seed & 0xFFFFFFFF) or 1

    def next_u32(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x

    def uniform(self, lo=0.0, hi=1.0):
        return lo + (hi - lo) * (self.next_u32() / 4294967296.0)


def clamp8(v):
    return 0 if v < 0 else 255 if v > 255 else int(v + 0.5)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def ramp(stops, t):
    """Colour at t on a gradient given as [(position, colour), ...]."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 1.0)
    return stops[-1][1]


def vertical_gradient(size, stops, top=0, span=None):
    """An RGB image whose rows follow the gradient from row `top` over `span` rows."""
    w, h = size
    span = span or h
    column = Image.new("RGB", (1, h))
    for y in range(h):
        column.putpixel((0, y), tuple(clamp8(c) for c in ramp(stops, (y - top) / span)))
    return column.resize((w, h), Image.NEAREST)


def solid(size, colour):
    return Image.new("RGB", size, tuple(clamp8(c) for c in colour))


def tint(mask, colour, strength=1.0):
    """An additive RGB layer: `colour` scaled by the L-mode `mask`."""
    channels = [mask.point(lambda v, c=c: clamp8(v * c * strength / 255.0)) for c in colour]
    return Image.merge("RGB", channels)


def add(base, layer):
    return ImageChops.add(base, layer)


def paint(base, colour, mask):
    """Composites a flat colour (or RGB image) onto `base` through `mask`."""
    src = colour if isinstance(colour, Image.Image) else solid(base.size, colour)
    return Image.composite(src, base, mask)


def scale_mask(mask, factor):
    return mask.point(lambda v: clamp8(v * factor))


def glow(mask, radius, colour, strength):
    return tint(mask.filter(ImageFilter.GaussianBlur(radius)), colour, strength)


def downsample(mask, size):
    return mask.resize(size, Image.BOX)


def smooth_noise(size, cells, seed):
    """Soft value noise: a coarse random grid blown up bicubically, in 0..255."""
    rng = Rng(seed)
    cw, ch = cells
    grid = Image.new("L", (cw, ch))
    grid.putdata([clamp8(rng.uniform(0, 255)) for _ in range(cw * ch)])
    return grid.resize(size, Image.BICUBIC).filter(ImageFilter.GaussianBlur(2))


def hex_points(cx, cy, radius, pointy=True, squash=1.0):
    start = 90 if pointy else 0
    return [
        (cx + radius * math.cos(math.radians(start + 60 * k)),
         cy - radius * squash * math.sin(math.radians(start + 60 * k)))
        for k in range(6)
    ]


def radial_mask(size, cx, cy, rx, ry, power=2.0):
    """1 at the centre falling to 0 at the ellipse (rx, ry), as an L image."""
    w, h = size
    data = []
    for y in range(h):
        dy = (y - cy) / ry
        for x in range(w):
            dx = (x - cx) / rx
            d = dx * dx + dy * dy
            data.append(clamp8(255 * max(0.0, 1.0 - math.sqrt(d)) ** power) if d < 1 else 0)
    mask = Image.new("L", size)
    mask.putdata(data)
    return mask


def text_mask(text, font, size, origin, anchor="ls"):
    mask = Image.new("L", size, 0)
    ImageDraw.Draw(mask).text(origin, text, font=font, fill=255, anchor=anchor)
    return mask


# --------------------------------------------------------------------------
# Backdrop: deep space, nebula, stars and a hexagonal floor


HORIZON = 176


def space_backdrop(size, seed, horizon=None, star_count=150, keep_clear=()):
    w, h = size
    img = vertical_gradient(size, [
        (0.0, (5, 6, 20)), (0.45, (14, 11, 42)), (0.7, (22, 12, 52)), (1.0, (8, 6, 22))])

    # Nebula: two tinted clouds shaped by value noise.
    cloud_a = ImageChops.multiply(smooth_noise(size, (9, 6), seed + 1),
                                  radial_mask(size, w * 0.3, h * 0.32, w * 0.55, h * 0.6, 1.2))
    cloud_b = ImageChops.multiply(smooth_noise(size, (7, 5), seed + 2),
                                  radial_mask(size, w * 0.78, h * 0.55, w * 0.5, h * 0.55, 1.4))
    img = add(img, tint(cloud_a, (120, 40, 150), 0.55))
    img = add(img, tint(cloud_b, (20, 90, 140), 0.45))

    # Stars, kept off the label plates so the text stays clean.
    rng = Rng(seed + 3)
    stars = Image.new("L", size, 0)
    sd = ImageDraw.Draw(stars)
    sky_bottom = horizon if horizon is not None else h
    placed = 0
    while placed < star_count:
        x = int(rng.uniform(2, w - 2))
        y = int(rng.uniform(2, sky_bottom - 2))
        b = rng.uniform(0, 1)
        if any(l - 4 <= x < r + 4 and t - 4 <= y < bt + 4 for (l, t, r, bt) in keep_clear):
            continue
        placed += 1
        level = clamp8(60 + 195 * b * b)
        sd.point((x, y), fill=level)
        if b > 0.9:  # the brightest get a small cross
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                sd.point((x + dx, y + dy), fill=level // 3)
    img = add(img, tint(stars, (225, 235, 255)))
    return img


def hex_floor(size, horizon, k=84.0, cell=0.42, scale=4):
    """A perspective plane tiled with hexagon outlines, as an L mask (line brightness)."""
    w, h = size
    big = Image.new("L", (w * scale, h * scale), 0)
    d = ImageDraw.Draw(big)
    cx = w / 2 - 30
    near_z = k / (h - horizon + 6)

    def project(px, pz):
        return ((cx + k * px / pz) * scale, (horizon + k / pz) * scale)

    dx = math.sqrt(3) * cell
    dz = 1.5 * cell
    rows = int(16 / dz)
    for row in range(rows):
        z0 = near_z * 0.6 + row * dz
        offset = dx / 2 if row % 2 else 0.0
        cols = int(3 + z0 * 3.2 / dx)
        for col in range(-cols, cols + 1):
            x0 = col * dx + offset
            corners = [(x0 + cell * math.cos(math.radians(90 + 60 * i)),
                        z0 + cell * math.sin(math.radians(90 + 60 * i))) for i in range(6)]
            for i in range(6):
                (ax, az), (bx, bz) = corners[i], corners[(i + 1) % 6]
                if min(az, bz) < near_z * 0.8:
                    continue
                zmid = (az + bz) / 2
                fade = max(0.0, min(1.0, 1.6 / zmid)) ** 0.8
                d.line([project(ax, az), project(bx, bz)], fill=clamp8(255 * fade),
                       width=max(1, int(round(scale * 0.9))))
    floor = downsample(big, size)
    # Darken towards the horizon where the lines crowd into a haze.
    fade = Image.new("L", size, 0)
    fd = ImageDraw.Draw(fade)
    for y in range(horizon, h):
        t = (y - horizon) / (h - horizon)
        fd.line([(0, y), (w, y)], fill=clamp8(255 * min(1.0, 0.25 + 1.2 * t)))
    return ImageChops.multiply(floor, fade)


# --------------------------------------------------------------------------
# Game pieces: bricks, ball, paddle


BRICK_COLOURS = [
    ((255, 70, 120), (150, 20, 70)),
    ((255, 140, 50), (160, 60, 10)),
    ((255, 215, 70), (160, 110, 10)),
    ((80, 230, 140), (20, 110, 70)),
]


def brick_layer(size, cells, radius, scale=4):
    """Bevelled hexagonal bricks; returns (RGB image, L coverage mask)."""
    w, h = size
    colour = Image.new("RGB", (w * scale, h * scale), (0, 0, 0))
    cover = Image.new("L", (w * scale, h * scale), 0)
    dc = ImageDraw.Draw(colour)
    dm = ImageDraw.Draw(cover)
    for (cx, cy, row, cracked) in cells:
        light, dark = BRICK_COLOURS[row % len(BRICK_COLOURS)]
        sx, sy, r = cx * scale, cy * scale, radius * scale
        outer = hex_points(sx, sy, r - 0.6 * scale)
        dm.polygon(outer, fill=255)
        dc.polygon(outer, fill=tuple(clamp8(c * 0.55) for c in dark))
        # Top-left facets lit, bottom-right in shade, a flat face in the middle.
        top_half = [outer[5], outer[0], outer[1], outer[2], (sx, sy)]
        dc.polygon(top_half, fill=tuple(clamp8(c) for c in mix(light, (255, 255, 255), 0.35)))
        bottom_half = [outer[2], outer[3], outer[4], outer[5], (sx, sy)]
        dc.polygon(bottom_half, fill=tuple(clamp8(c) for c in dark))
        face = hex_points(sx, sy, r * 0.62)
        dc.polygon(face, fill=tuple(clamp8(c) for c in light))
        shine = hex_points(sx - r * 0.12, sy - r * 0.16, r * 0.28)
        dc.polygon(shine, fill=tuple(clamp8(c) for c in mix(light, (255, 255, 255), 0.45)))
        if cracked:
            crack = [(sx - r * 0.7, sy - r * 0.2), (sx - r * 0.15, sy + r * 0.05),
                     (sx + r * 0.05, sy - r * 0.45), (sx + r * 0.4, sy + r * 0.1),
                     (sx + r * 0.2, sy + r * 0.7)]
            dc.line(crack, fill=(20, 6, 20), width=int(scale * 1.1))
    return colour.resize(size, Image.BOX), downsample(cover, size)


def level_bricks():
    """The brick wall at the top left, with gaps where bricks were broken."""
    radius = 9.6
    dx = math.sqrt(3) * radius + 1.2
    dy = 1.5 * radius + 1.0
    cells = []
    missing = {(3, 9), (3, 10), (2, 10), (3, 11), (2, 11), (3, 12), (1, 12), (2, 12), (3, 13),
               (2, 13), (3, 14), (3, 3), (2, 4)}
    cracked = {(2, 9), (1, 11), (3, 2), (1, 10)}
    for row in range(4):
        y = 18 + row * dy
        x0 = 19 + (dx / 2 if row % 2 else 0)
        for col in range(20):
            x = x0 + col * dx
            if x + radius > 290 - row * 9:
                break
            if (row, col) in missing:
                continue
            cells.append((x, y, row, (row, col) in cracked))
    return cells, radius


def shards(size, scale=4):
    """Fragments of a broken brick flying away from the impact, as (RGB, mask)."""
    w, h = size
    colour = Image.new("RGB", (w * scale, h * scale), (0, 0, 0))
    cover = Image.new("L", (w * scale, h * scale), 0)
    dc, dm = ImageDraw.Draw(colour), ImageDraw.Draw(cover)
    pieces = [((232, 78), 4.0, 15, 1), ((246, 86), 3.0, 70, 1), ((222, 90), 3.4, 130, 2),
              ((256, 72), 2.6, 200, 0), ((240, 98), 2.2, 260, 2), ((214, 78), 2.4, 320, 1),
              ((262, 94), 2.0, 40, 0)]
    for (cx, cy), r, angle, row in pieces:
        light, dark = BRICK_COLOURS[row]
        pts = [(cx + r * math.cos(math.radians(angle + a)),
                cy + r * math.sin(math.radians(angle + a))) for a in (0, 130, 235)]
        pts = [(x * scale, y * scale) for x, y in pts]
        dm.polygon(pts, fill=255)
        dc.polygon(pts, fill=tuple(clamp8(c) for c in light))
    return colour.resize(size, Image.BOX), downsample(cover, size)


def ball_and_trail(size, ball, trail_from, radius, scale=4):
    """A glowing ball with a fading comet trail; returns (core mask, trail mask)."""
    w, h = size
    core = Image.new("L", (w * scale, h * scale), 0)
    ImageDraw.Draw(core).ellipse(
        [(ball[0] - radius) * scale, (ball[1] - radius) * scale,
         (ball[0] + radius) * scale, (ball[1] + radius) * scale], fill=255)
    trail = Image.new("L", (w * scale, h * scale), 0)
    td = ImageDraw.Draw(trail)
    steps = 40
    for i in range(steps):
        t = i / steps
        x = trail_from[0] + (ball[0] - trail_from[0]) * t
        y = trail_from[1] + (ball[1] - trail_from[1]) * t
        r = radius * (0.25 + 0.7 * t) * scale
        td.ellipse([x * scale - r, y * scale - r, x * scale + r, y * scale + r],
                   fill=clamp8(255 * t ** 1.6))
    return downsample(core, size), downsample(trail, size)


def paddle(size, left, top, length, thick, scale=4):
    """A paddle with hexagonal ends: (body mask, highlight mask)."""
    w, h = size
    body = Image.new("L", (w * scale, h * scale), 0)
    shine = Image.new("L", (w * scale, h * scale), 0)
    s = scale
    half = thick / 2
    pts = [(left, top + half), (left + half, top), (left + length - half, top),
           (left + length, top + half), (left + length - half, top + thick), (left + half, top + thick)]
    ImageDraw.Draw(body).polygon([(x * s, y * s) for x, y in pts], fill=255)
    ImageDraw.Draw(shine).polygon(
        [(x * s, y * s) for x, y in [(left + half, top + 1), (left + length - half, top + 1),
                                     (left + length - half - 1, top + half - 0.5),
                                     (left + half + 1, top + half - 0.5)]], fill=255)
    return downsample(body, size), downsample(shine, size)


# --------------------------------------------------------------------------
# Title lettering


TITLE_STOPS = [(0.0, (255, 255, 246)), (0.30, (255, 236, 150)), (0.50, (255, 190, 60)),
               (0.52, (150, 40, 24)), (0.60, (230, 70, 30)), (0.85, (255, 150, 50)),
               (1.0, (255, 220, 140))]


def lettering_mask(text, font_path, font_px, size, origin, shear=0.0, tracking=0, scale=4):
    """Anti-aliased lettering drawn large, slanted, then reduced. Returns (mask, ink box)."""
    w, h = size
    font = ImageFont.truetype(font_path, font_px * scale)
    big = Image.new("L", (w * scale, h * scale), 0)
    d = ImageDraw.Draw(big)
    x = origin[0] * scale
    for ch in text:
        d.text((x, origin[1] * scale), ch, font=font, fill=255, anchor="ls")
        x += font.getlength(ch) + tracking * scale
    if shear:
        # Slant to the right around the baseline.
        base = origin[1] * scale
        big = big.transform(big.size, Image.AFFINE, (1, shear, -shear * base, 0, 1, 0),
                            resample=Image.BICUBIC)
    mask = downsample(big, size)
    return mask, mask.getbbox()


def chrome_title(img, mask, box, stops):
    """Paints lettering with a dark rim, a chrome gradient and an outer glow."""
    top, bottom = box[1], box[3]
    fill = vertical_gradient(img.size, stops, top=top, span=bottom - top)
    rim = mask.filter(ImageFilter.MaxFilter(5))
    img = add(img, glow(rim, 7, (255, 90, 40), 0.55))
    img = add(img, glow(rim, 3, MAGENTA, 0.35))
    img = paint(img, (30, 6, 24), rim)
    img = paint(img, fill, mask)
    # A thin light edge along the upper side of each stroke.
    edge = ImageChops.subtract(mask, ImageChops.offset(mask, 0, 1))
    img = add(img, tint(edge, (255, 255, 230), 0.35))
    return img


# --------------------------------------------------------------------------
# Label plates and label text


def plate_shape(label, pad_x=5, pad_y=3):
    """The hexagonal capsule around a label: pointed ends, flat top and bottom."""
    l, t, r, b = label.rect
    top, bottom = t - pad_y, b + pad_y - 1
    mid = (top + bottom) / 2
    nose = (bottom - top) * 0.45
    return [(l - pad_x, mid), (l - pad_x + nose, top), (r + pad_x - nose, top),
            (r + pad_x, mid), (r + pad_x - nose, bottom), (l - pad_x + nose, bottom)]


def draw_plates(img, labels, scale=4):
    size = img.size
    fill = Image.new("L", (size[0] * scale, size[1] * scale), 0)
    edge = Image.new("L", (size[0] * scale, size[1] * scale), 0)
    df, de = ImageDraw.Draw(fill), ImageDraw.Draw(edge)
    for label in labels:
        pts = [((x + 0.5) * scale, (y + 0.5) * scale) for x, y in plate_shape(label)]
        df.polygon(pts, fill=255)
        de.line(pts + [pts[0]], fill=255, width=scale)
    fill, edge = downsample(fill, size), downsample(edge, size)
    img = add(img, glow(edge, 2.5, CYAN, 0.55))
    img = Image.composite(solid(size, PLATE_FILL), img, scale_mask(fill, 0.78))
    img = paint(img, mix(CYAN, (255, 255, 255), 0.1), scale_mask(edge, 0.85))
    return img


def label_font():
    return ImageFont.truetype(FONT_BOLD, LABEL_FONT_PX)


def label_text_masks(label, font):
    """Text and drop-shadow masks in the label's own rectangle, ink centred."""
    w, h = label.size
    probe = text_mask(label.text, font, (w + 40, h + 40), (20, 30))
    ink = probe.getbbox()
    ink_w, ink_h = ink[2] - ink[0], ink[3] - ink[1]
    spare_x, spare_y = w - ink_w - 1, h - ink_h - 1  # one pixel for the shadow
    if spare_x < 0 or spare_y < 0:
        sys.exit(f"label {label.text!r} does not fit {w}x{h}")
    x = 20 - ink[0] + (spare_x + 1) // 2
    y = 30 - ink[1] + (spare_y + 1) // 2
    mask = text_mask(label.text, font, (w, h), (x, y))
    shadow = ImageChops.offset(mask, 1, 1)
    shadow.paste(0, (0, 0, w, 1))
    shadow.paste(0, (0, 0, 1, h))
    return mask, shadow


def lit_bar_mask(w, h, scale=4):
    nose = h * 0.42
    pts = [(0, h / 2), (nose, 0), (w - nose, 0), (w, h / 2), (w - nose, h), (nose, h)]
    big = Image.new("L", (w * scale, h * scale), 0)
    ImageDraw.Draw(big).polygon([(x * scale, y * scale) for x, y in pts], fill=255)
    return downsample(big, (w, h))


def draw_label(crop, label, font, style):
    """Draws one label over `crop` (its rectangle of the picture) in a style."""
    mask, shadow = label_text_masks(label, font)
    w, h = crop.size
    if style == "lit":
        # The plate's inside lights up: an amber glass bar with pointed ends.
        bar = vertical_gradient((w, h), [(0.0, (255, 214, 110)), (0.4, (236, 128, 28)),
                                         (1.0, (130, 42, 8))])
        crop = Image.composite(bar, crop, lit_bar_mask(w, h))
        crop = paint(crop, (70, 18, 0), scale_mask(shadow, 0.9))
        crop = paint(crop, TEXT_LIT, mask)
    elif style == "grey":
        crop = paint(crop, SHADOW, scale_mask(shadow, 0.5))
        crop = paint(crop, TEXT_GREY, mask)
    else:
        crop = paint(crop, SHADOW, scale_mask(shadow, 0.85))
        crop = paint(crop, TEXT_UNLIT, mask)
    return crop


# --------------------------------------------------------------------------
# The pictures


def main_picture():
    size = (WIDTH, HEIGHT)
    keep_clear = [label.rect for label in LABELS]
    img = space_backdrop(size, seed=1997, horizon=HORIZON, keep_clear=keep_clear)

    # Horizon glow and the hexagonal floor.
    img = add(img, tint(radial_mask(size, 180, HORIZON, 300, 26, 1.6), MAGENTA, 0.5))
    floor = hex_floor(size, HORIZON)
    img = add(img, glow(floor, 2, MAGENTA, 0.6))
    img = add(img, tint(floor, (110, 200, 255), 0.8))
    horizon_line = Image.new("L", size, 0)
    ImageDraw.Draw(horizon_line).line([(0, HORIZON), (WIDTH, HORIZON)], fill=150)
    img = add(img, tint(horizon_line, (255, 120, 220)))

    # The brick wall at the top left and a brick breaking apart.
    cells, radius = level_bricks()
    bricks, cover = brick_layer(size, cells, radius)
    img = add(img, glow(cover, 4, (120, 60, 160), 0.35))
    img = Image.composite(bricks, img, cover)
    pieces, piece_cover = shards(size)
    img = Image.composite(pieces, img, piece_cover)

    # Ball rising from the paddle towards the gap in the wall.
    ball_pos = (246, 138)
    paddle_left, paddle_top, paddle_len = 108, 222, 58
    core, trail = ball_and_trail(size, ball_pos, (paddle_left + paddle_len / 2, paddle_top - 4), 4.2)
    img = add(img, glow(trail, 2, CYAN, 0.7))
    img = add(img, tint(trail, (120, 220, 255), 0.45))
    img = add(img, glow(core, 9, CYAN, 0.9))
    img = add(img, glow(core, 3, (200, 250, 255), 0.9))
    img = paint(img, (255, 255, 255), core)
    body, shine = paddle(size, paddle_left, paddle_top, paddle_len, 7)
    img = add(img, glow(body, 5, CYAN, 0.8))
    img = paint(img, (30, 130, 200), body)
    img = paint(img, (200, 245, 255), scale_mask(shine, 0.9))

    # Title.
    title, box = lettering_mask("HEXBREAKER", FONT_BOLD, 38, size, (14, 128), shear=-0.18,
                                tracking=-1)
    img = chrome_title(img, title, box, TITLE_STOPS)
    demo, demo_box = lettering_mask("DEMO", FONT_BOLD, 15, size, (0, 0), tracking=5)
    # Centre "DEMO" under the title with rules on both sides.
    demo_w = demo_box[2] - demo_box[0]
    centre = (box[0] + box[2]) // 2
    demo, demo_box = lettering_mask("DEMO", FONT_BOLD, 15, size,
                                    (centre - demo_w // 2 - demo_box[0], 154), tracking=5)
    rules = Image.new("L", size, 0)
    rd = ImageDraw.Draw(rules)
    rd.line([(box[0] + 12, 148), (demo_box[0] - 10, 148)], fill=255)
    rd.line([(demo_box[2] + 8, 148), (box[2] - 14, 148)], fill=255)
    img = add(img, glow(rules, 2, CYAN, 0.6))
    img = paint(img, (150, 235, 255), scale_mask(rules, 0.8))
    img = add(img, glow(demo, 3, CYAN, 0.9))
    img = paint(img, (4, 20, 40), demo.filter(ImageFilter.MaxFilter(3)))
    img = paint(img, (170, 245, 255), demo)

    # Label plates; the text comes later so the overlays can reuse the plain plate.
    img = draw_plates(img, LABELS)
    return img


def compose_states(plain):
    """The background with unlit labels, and each overlay as an RGB crop."""
    font = label_font()
    background = plain.copy()
    overlays = {}
    for label in LABELS:
        crop = plain.crop(label.rect)
        background.paste(draw_label(crop, label, font, "unlit"), label.rect[:2])
        overlays[f"{label.key}_lit"] = (label, draw_label(crop, label, font, "lit"))
        if label.greyable:
            overlays[f"{label.key}_grey"] = (label, draw_label(crop, label, font, "grey"))
    return background, overlays


def banner_picture():
    w, h = BANNER_SIZE
    img = space_backdrop(BANNER_SIZE, seed=2024, star_count=40)
    # A faint honeycomb over the whole strip.
    comb = Image.new("L", (w * 4, h * 4), 0)
    cd = ImageDraw.Draw(comb)
    r = 9
    for row in range(-1, int(h / (1.5 * r)) + 2):
        for col in range(-1, 5):
            cx = col * math.sqrt(3) * r + (math.sqrt(3) * r / 2 if row % 2 else 0)
            cy = row * 1.5 * r
            pts = [(x * 4, y * 4) for x, y in hex_points(cx, cy, r)]
            cd.line(pts + [pts[0]], fill=255, width=4)
    comb = downsample(comb, BANNER_SIZE)
    depth = vertical_gradient(BANNER_SIZE, [(0.0, (0, 0, 0)), (0.6, (90, 90, 90)),
                                            (1.0, (170, 170, 170))]).convert("L")
    comb = ImageChops.multiply(comb, depth)
    img = add(img, tint(comb, MAGENTA, 0.45))

    # Bricks at the top.
    cells = [(9.5, 10, 0, False), (25.5, 10, 1, False), (41.5, 10, 2, False),
             (17.5, 24, 3, False), (33.5, 24, 0, True)]
    bricks, cover = brick_layer(BANNER_SIZE, cells, 8.5)
    img = add(img, glow(cover, 3, (120, 60, 160), 0.4))
    img = Image.composite(bricks, img, cover)

    # Ball rising from a paddle at the bottom.
    core, trail = ball_and_trail(BANNER_SIZE, (31, 262), (22, 283), 3.2)
    img = add(img, glow(trail, 1.5, CYAN, 0.6))
    img = add(img, glow(core, 6, CYAN, 0.9))
    img = paint(img, (255, 255, 255), core)
    body, shine = paddle(BANNER_SIZE, 9, 283, 26, 5)
    img = add(img, glow(body, 3, CYAN, 0.7))
    img = paint(img, (30, 130, 200), body)
    img = paint(img, (200, 245, 255), scale_mask(shine, 0.9))

    # The title reads upwards: lettered on the strip turned on its side, then turned back.
    side = img.transpose(Image.ROTATE_270)
    probe, box = lettering_mask("HEXBREAKER", FONT_BOLD, BANNER_TITLE_PX, side.size, (0, 37),
                                shear=-0.18)
    # Centre the title between the paddle (left on its side) and the bricks (right).
    x = (46 + 252 - (box[2] - box[0])) // 2 - box[0]
    title, box = lettering_mask("HEXBREAKER", FONT_BOLD, BANNER_TITLE_PX, side.size, (x, 37),
                                shear=-0.18)
    side = chrome_title(side, title, box, TITLE_STOPS)
    return side.transpose(Image.ROTATE_90)


def icon_picture(px):
    """The icon: an amber hex brick, cracked by a glowing ball, as RGBA."""
    scale = 8
    s = px * scale
    colour = Image.new("RGB", (s, s), (0, 0, 0))
    cover = Image.new("L", (s, s), 0)
    dc, dm = ImageDraw.Draw(colour), ImageDraw.Draw(cover)
    c = s * 0.46
    r = s * 0.46
    outer = hex_points(c, s * 0.5, r)
    dm.polygon(outer, fill=255)
    dc.polygon(outer, fill=(60, 14, 10))
    inner = hex_points(c, s * 0.5, r * 0.86)
    dc.polygon([inner[5], inner[0], inner[1], inner[2], (c, s * 0.5)], fill=(255, 226, 130))
    dc.polygon([inner[2], inner[3], inner[4], inner[5], (c, s * 0.5)], fill=(196, 70, 20))
    dc.polygon(hex_points(c, s * 0.5, r * 0.56), fill=(255, 150, 40))
    if px >= 32:
        dc.line([(c - r * 0.6, s * 0.42), (c - r * 0.1, s * 0.55), (c + r * 0.05, s * 0.36),
                 (c + r * 0.45, s * 0.6)], fill=(50, 10, 6), width=int(scale * 1.3))
    # The ball.
    bx, by, br = s * 0.76, s * 0.76, s * (0.2 if px >= 32 else 0.24)
    dm.ellipse([bx - br, by - br, bx + br, by + br], fill=255)
    dc.ellipse([bx - br, by - br, bx + br, by + br], fill=(8, 40, 70))
    bi = br - scale * (1.0 if px >= 32 else 0.9)
    dc.ellipse([bx - bi, by - bi, bx + bi, by + bi], fill=(90, 220, 255))
    hl = bi * 0.45
    dc.ellipse([bx - bi * 0.35 - hl, by - bi * 0.35 - hl, bx - bi * 0.35 + hl, by - bi * 0.35 + hl],
               fill=(235, 252, 255))
    rgba = colour.resize((px, px), Image.BOX)
    rgba.putalpha(downsample(cover, (px, px)))
    return rgba


# --------------------------------------------------------------------------
# Palette and file writers


RESERVED = [(0, 0, 0), (255, 255, 255), TEXT_UNLIT, TEXT_LIT, TEXT_GREY, SHADOW]


def build_palette(images, weights):
    """One palette for every bitmap: fixed entries plus the images' best colours."""
    sample_w = max(im.size[0] for im in images)
    strips = []
    for im, weight in zip(images, weights):
        strips.extend([im] * weight)
    sample = Image.new("RGB", (sample_w, sum(im.size[1] for im in strips)))
    y = 0
    for im in strips:
        sample.paste(im, (0, y))
        y += im.size[1]
    wanted = 256 - len(RESERVED)
    quant = sample.quantize(colors=wanted, method=Image.Quantize.MAXCOVERAGE, kmeans=8,
                            dither=Image.Dither.NONE)
    pal = quant.getpalette()[:wanted * 3]
    colours = list(RESERVED)
    for i in range(0, len(pal), 3):
        colours.append(tuple(pal[i:i + 3]))
    while len(colours) < 256:
        colours.append((0, 0, 0))
    flat = [v for colour in colours[:256] for v in colour]
    palette_image = Image.new("P", (1, 1))
    palette_image.putpalette(flat)
    return palette_image


BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def ordered_dither(img, amplitude):
    """Adds a 4x4 Bayer pattern of +-amplitude/2 so smooth gradients map to fine, even texture."""
    w, h = img.size
    tile = Image.new("L", (4, 4))
    tile.putdata([clamp8(BAYER4[y][x] * amplitude / 15.0) for y in range(4) for x in range(4)])
    pattern = Image.new("L", (w, h))
    for y in range(0, h, 4):
        for x in range(0, w, 4):
            pattern.paste(tile, (x, y))
    pattern = Image.merge("RGB", [pattern] * 3)
    return ImageChops.add(img, pattern, 1.0, -int(amplitude / 2))


def to_indexed(img, palette_image, crisp_boxes=()):
    """Maps an RGB image onto the shared palette: dithered art, undithered text boxes."""
    out = ordered_dither(img, DITHER_AMPLITUDE).quantize(palette=palette_image,
                                                        dither=Image.Dither.NONE)
    for box in crisp_boxes:
        out.paste(img.crop(box).quantize(palette=palette_image, dither=Image.Dither.NONE),
                  box[:2])
    return out


def save_bmp(indexed, name):
    path = os.path.join(OUT_DIR, name)
    indexed.save(path, format="BMP")
    return path


def ico_entry_dib(rgba, bits, palette_image=None):
    """One icon image as a DIB: header, (palette,) XOR bitmap and AND mask, bottom-up."""
    w, h = rgba.size
    alpha = rgba.getchannel("A")
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    rows = []
    if bits == 32:
        for y in range(h - 1, -1, -1):
            row = bytearray()
            for x in range(w):
                r, g, b, a = rgba.getpixel((x, y))
                row += bytes((b, g, r, a))
            rows.append(bytes(row))
        palette = b""
    else:
        flat = Image.new("RGB", (w, h), (0, 0, 0))
        flat.paste(rgba.convert("RGB"), (0, 0), alpha.point(lambda v: 255 if v >= 96 else 0))
        indexed = flat.quantize(palette=palette_image, dither=Image.Dither.NONE)
        pal = palette_image.getpalette()
        palette = b"".join(bytes((pal[i * 3 + 2], pal[i * 3 + 1], pal[i * 3], 0)) for i in range(256))
        for y in range(h - 1, -1, -1):
            row = bytes(indexed.getpixel((x, y)) for x in range(w))
            rows.append(row + b"\0" * ((-len(row)) % 4))
    mask_rows = []
    for y in range(h - 1, -1, -1):
        bits_row = 0
        for x in range(w):
            bits_row = (bits_row << 1) | (1 if alpha.getpixel((x, y)) < 96 else 0)
        row = bits_row.to_bytes((w + 7) // 8, "big")
        mask_rows.append(row + b"\0" * ((-len(row)) % 4))
    return header + palette + b"".join(rows) + b"".join(mask_rows)


def save_ico(images, palette_image, name):
    """An icon file with 8-bit images first (for classic displays), then 32-bit ones."""
    entries = []
    for bits in (8, 32):
        for rgba in images:
            entries.append((rgba.size[0], bits, ico_entry_dib(rgba, bits, palette_image)))
    data = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for px, bits, dib in entries:
        data += struct.pack("<BBBBHHII", px, px, 0, 0, 1, bits, len(dib), offset)
        offset += len(dib)
    data += b"".join(dib for _, _, dib in entries)
    path = os.path.join(OUT_DIR, name)
    with open(path, "wb") as f:
        f.write(data)


def preview(background_p, overlays_p, banner_p, icons):
    """Every main-window state with a caption, then the banner and the icons."""
    states = [("not installed: Play Game and Uninstall greyed", ["play_grey", "uninstall_grey"])]
    states += [(f"installed, pointer over {label.text}", [f"{label.key}_lit"]) for label in LABELS]
    gap, caption, cols = 8, 16, 2
    rows = (len(states) + cols - 1) // cols
    cell_h = caption + HEIGHT + gap
    sheet_w = gap + cols * (WIDTH + gap) + BANNER_SIZE[0] + gap
    sheet_h = max(gap + rows * cell_h, gap + caption + BANNER_SIZE[1] + 80)
    sheet = Image.new("RGB", (sheet_w, sheet_h), (212, 208, 200))
    draw = ImageDraw.Draw(sheet)
    font = ImageFont.truetype(FONT_BOLD, 11)
    for i, (title, names) in enumerate(states):
        frame = background_p.convert("RGB")
        for name in names:
            label, overlay = overlays_p[name]
            frame.paste(overlay.convert("RGB"), label.rect[:2])
        x = gap + (i % cols) * (WIDTH + gap)
        y = gap + (i // cols) * cell_h
        draw.text((x, y + caption - 4), title, font=font, fill=(20, 20, 20), anchor="ls")
        sheet.paste(frame, (x, y + caption))
    bx = gap + cols * (WIDTH + gap)
    draw.text((bx, gap + caption - 4), "139", font=font, fill=(20, 20, 20), anchor="ls")
    sheet.paste(banner_p.convert("RGB"), (bx, gap + caption))
    y = gap + caption + BANNER_SIZE[1] + gap
    for icon in icons:
        sheet.paste(icon, (bx, y), icon)
        y += icon.size[1] + gap
    return sheet


def check_overlays(background_p, overlays_p):
    """Each overlay must stand out from the picture under it, or hover cannot be seen."""
    for name, (label, indexed) in sorted(overlays_p.items()):
        under = background_p.crop(label.rect).convert("RGB")
        diff = ImageChops.difference(under, indexed.convert("RGB")).convert("L")
        changed = sum(1 for v in diff.getdata() if v > 40)
        if changed < diff.size[0] * diff.size[1] // 5:
            sys.exit(f"{name}: only {changed} pixels differ clearly from the background")


# --------------------------------------------------------------------------
# Bitmap 184: two 16 x 15 folder pictures in 16 colours, drawn pixel by pixel


VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
# Pixel letters: white (the image list's transparent colour), black outline, yellow, olive shade,
# silver highlight.
FOLDER_INK = {".": 15, "k": 0, "y": 11, "o": 3, "s": 7}
FOLDER_CLOSED = [
    "................",
    "................",
    ".kkkkk..........",
    "ksssssk.........",
    "ksyyyyykkkkkkkk.",
    "ksssssssssssssko",
    "ksyyyyyyyyyyyyko",
    "ksyyyyyyyyyyyyko",
    "ksyyyyyyyyyyyyko",
    "ksyyyyyyyyyyyyko",
    "ksyyyyyyyyyyyyko",
    "ksyyyyyyyyyyyyko",
    "kkkkkkkkkkkkkkko",
    ".ooooooooooooooo",
    "................",
]
FOLDER_OPEN = [
    "................",
    "................",
    ".kkkkk..........",
    "koooook.........",
    "kooooookkkkkkk..",
    "kooooooooooooko.",
    "kookkkkkkkkkkkkk",
    "koksyyyyyyyyyyyk",
    "kkksyyyyyyyyyyk.",
    "kksyyyyyyyyyyyk.",
    "kksyyyyyyyyyyk..",
    "ksyyyyyyyyyyyk..",
    "kkkkkkkkkkkkk...",
    "................",
    "................",
]
FOLDERS_SIZE = (43, 15)  # two images of 16 columns, then 11 blank columns that make no image


def folder_pixels():
    """Palette indices of bitmap 184, row by row from the top."""
    w, h = FOLDERS_SIZE
    rows = []
    for y in range(h):
        row = [FOLDER_INK[c] for c in FOLDER_CLOSED[y] + FOLDER_OPEN[y]]
        rows.append(row + [FOLDER_INK["."]] * (w - len(row)))
    return rows


def save_bmp4(rows, palette, name):
    """A 4-bit-per-pixel BMP (16-entry palette), bottom-up, rows padded to whole DWORDs."""
    h, w = len(rows), len(rows[0])
    stride = ((w * 4 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):
        packed = bytearray((row[x] << 4) | (row[x + 1] if x + 1 < w else 0) for x in range(0, w, 2))
        pixels += packed + b"\0" * (stride - len(packed))
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 0, len(pixels), 2835, 2835, 16, 16)
    with open(os.path.join(OUT_DIR, name), "wb") as f:
        f.write(header + info + table + bytes(pixels))


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    save_bmp4(folder_pixels(), VGA16, "folders.bmp")
    plain = main_picture()
    background, overlays = compose_states(plain)
    banner = banner_picture()
    icons = [icon_picture(32), icon_picture(16)]
    icon_flat = [Image.composite(i.convert("RGB"), Image.new("RGB", i.size), i.getchannel("A"))
                 for i in icons]

    ordered = [overlays[name][1] for name in sorted(overlays)]
    palette_image = build_palette([background] + ordered + [banner] + icon_flat,
                                  [1] + [3] * len(ordered) + [1] + [2, 2])

    background_p = to_indexed(background, palette_image,
                              crisp_boxes=[label.rect for label in LABELS])
    save_bmp(background_p, "background.bmp")
    overlays_p = {}
    for name in sorted(overlays):
        label, crop = overlays[name]
        indexed = to_indexed(crop, palette_image, crisp_boxes=[(0, 0) + crop.size])
        overlays_p[name] = (label, indexed)
        save_bmp(indexed, f"{name}.bmp")
    check_overlays(background_p, overlays_p)
    banner_p = to_indexed(banner, palette_image)
    save_bmp(banner_p, "banner.bmp")
    save_ico(icons, palette_image, "setup.ico")
    preview(background_p, overlays_p, banner_p, icons).save(
        os.path.join(OUT_DIR, "preview.png"), optimize=False)


if __name__ == "__main__":
    main()
