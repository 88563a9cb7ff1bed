#!/usr/bin/python3
"""Draws the setup program's art into res/art/ (or the folder given): background.bmp (bitmap 138, labels unlit), the
labels' _lit and _grey overlays, banner.bmp (139), folders.bmp (184, 16 colours) and setup.ico (icon 128); the 8-bit
ones share a palette. Labels come from res/hot_spots.def. Run with /usr/bin/python3 (needs Debian's python3-pil and
fonts-dejavu-core). The output is deterministic: no clock, no system random source, no unordered iteration."""

import math, os, re, struct, sys
from collections import namedtuple

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
OUT_DIR = sys.argv[1] if len(sys.argv) > 1 else os.path.join(REPO, "res", "art")
FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
WIDTH, HEIGHT, HORIZON = 414, 249, 176
BANNER_SIZE, BANNER_TITLE_PX, DITHER_AMPLITUDE = (51, 291), 28, 10
LABEL_FONT_PX = 11  # the largest DejaVu Sans Bold size whose "Play Game" fits 12 rows
WHITE, CYAN, MAGENTA = (255, 255, 255), (64, 220, 255), (236, 64, 190)
TEXT_UNLIT, TEXT_LIT, TEXT_GREY = (196, 222, 250), (255, 255, 240), (98, 104, 122)
SHADOW, PLATE_FILL = (2, 3, 10), (7, 11, 30)
HEX_ANGLES = [math.radians(90 + 60 * k) for k in range(6)]  # a hexagon's corners, the first at 12 o'clock
# Label styles: shadow colour, shadow strength, text colour.
STYLES = {"unlit": (SHADOW, 0.85, TEXT_UNLIT), "lit": ((70, 18, 0), 0.9, TEXT_LIT), "grey": (SHADOW, 0.5, TEXT_GREY)}

Label = namedtuple("Label", "key text rect greyable")  # rect: its bitmaps' area (left, top, right, bottom)
HOT_SPOT = r'^HOT_SPOT\((\w+),\s*"([^"]*)",(.*),\s*\w+,\s*(\w+)\)'  # name, "text", the numbers, lit and grey bitmaps

def parse_hot_spot(name, text, numbers, grey):
    """A row of res/hot_spots.def: its text without the '&', its bitmaps at the redraw rectangle's corner."""
    n = [int(v) for v in numbers.split(",")]  # hit l, t, r, b; redraw l, t, r, b; width, height
    return Label(name.lower(), text.replace("&", ""), (n[4], n[5], n[4] + n[8], n[5] + n[9]), grey != "0")

with open(os.path.join(REPO, "res", "hot_spots.def")) as f:
    LABELS = [parse_hot_spot(*row) for row in re.findall(HOT_SPOT, f.read(), re.M)]
if not LABELS:
    sys.exit("no HOT_SPOT rows in res/hot_spots.def")

def uniform_randoms(seed):
    """xorshift32 as floats in [0, 1): the same sequence on every platform and Python version."""
    x = (seed & 0xFFFFFFFF) or 1
    while True:
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        yield x / 4294967296.0

class Canvas:
    """Anti-aliasing: drawn on at `scale` times `size` (`up` scales points), box-filtered down by `reduced()`."""
    def __init__(self, size, mode="L", scale=4):
        self.size, self.scale, self.image = size, scale, Image.new(mode, (size[0] * scale, size[1] * scale))
        self.draw = ImageDraw.Draw(self.image)
    def up(self, points): return [(x * self.scale, y * self.scale) for x, y in points]
    def reduced(self): return self.image.resize(self.size, Image.BOX)

def clamp8(v): return 0 if v < 0 else 255 if v > 255 else int(v + 0.5)
def rgb(colour): return tuple(clamp8(c) for c in colour)
def mix(a, b, t): return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))
def scale_mask(mask, factor): return mask.point(lambda v: clamp8(v * factor))
add = ImageChops.add

def ramp(stops, t):
    """Colour at t on a gradient given as [(position, colour), ...], constant beyond its ends."""
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, max(0.0, (t - p0) / (p1 - p0)))
    return stops[-1][1]

def vertical_gradient(size, stops, top=0, span=None):
    """An RGB image whose rows follow the gradient from row `top` over `span` rows."""
    rows = [rgb(ramp(stops, (y - top) / (span or size[1]))) for y in range(size[1])]
    return Image.frombytes("RGB", (1, size[1]), bytes(v for row in rows for v in row)).resize(size, Image.NEAREST)

def tint(mask, colour, strength=1.0):
    """An additive RGB layer: `colour` scaled by the L-mode `mask`."""
    return Image.merge("RGB", [mask.point(lambda v, c=c: clamp8(v * c * strength / 255.0)) for c in colour])
def glow(mask, radius, colour, strength): return tint(mask.filter(ImageFilter.GaussianBlur(radius)), colour, strength)

def paint(base, colour, mask):
    """Composites a flat colour (or an RGB image) onto `base` through `mask`."""
    src = colour if isinstance(colour, Image.Image) else Image.new("RGB", base.size, rgb(colour))
    return Image.composite(src, base, mask)

def radial_mask(size, cx, cy, rx, ry, power):
    """1 at the centre falling to 0 at the ellipse (rx, ry), as an L image."""
    rows, columns = [(y - cy) / ry for y in range(size[1])], [(x - cx) / rx for x in range(size[0])]
    ds = (dx * dx + dy * dy for dy in rows for dx in columns)  # squared distances, 1 on the ellipse
    return Image.frombytes("L", size, bytes(clamp8(255 * (1 - math.sqrt(d)) ** power) if d < 1 else 0 for d in ds))

def cloud(size, cells, seed, ellipse, power):
    """Soft value noise (a coarse random grid blown up bicubically) fading out towards an ellipse (cx, cy, rx, ry)."""
    randoms = uniform_randoms(seed)
    grid = Image.frombytes("L", cells, bytes(clamp8(255 * next(randoms)) for _ in range(cells[0] * cells[1])))
    noise = grid.resize(size, Image.BICUBIC).filter(ImageFilter.GaussianBlur(2))
    return ImageChops.multiply(noise, radial_mask(size, *ellipse, power))

def hex_points(cx, cy, radius):  # a corner at the top
    return [(cx + radius * math.cos(a), cy - radius * math.sin(a)) for a in HEX_ANGLES]

def capsule(l, t, r, b, nose_ratio):
    """A hexagon stretched sideways: pointed ends `nose_ratio` times its height long, flat top and bottom."""
    mid, nose = (t + b) / 2, (b - t) * nose_ratio
    return [(l, mid), (l + nose, t), (r - nose, t), (r, mid), (r - nose, b), (l + nose, b)]

def polygon_mask(size, points):
    canvas = Canvas(size)
    canvas.draw.polygon(canvas.up(points), fill=255)
    return canvas.reduced()

def line_mask(size, lines, fill=255):
    mask = Image.new("L", size)
    for line in lines:
        ImageDraw.Draw(mask).line(line, fill=fill)
    return mask

def space_backdrop(size, seed, horizon=None, star_count=150, keep_clear=()):
    w, h = size
    img = vertical_gradient(size, [(0.0, (5, 6, 20)), (0.45, (14, 11, 42)), (0.7, (22, 12, 52)), (1.0, (8, 6, 22))])
    # Nebula: two tinted clouds shaped by value noise.
    cloud_a = cloud(size, (9, 6), seed + 1, (w * 0.3, h * 0.32, w * 0.55, h * 0.6), 1.2)
    cloud_b = cloud(size, (7, 5), seed + 2, (w * 0.78, h * 0.55, w * 0.5, h * 0.55), 1.4)
    img = add(add(img, tint(cloud_a, (120, 40, 150), 0.55)), tint(cloud_b, (20, 90, 140), 0.45))
    # Stars, kept off the label plates so the text stays clean; the brightest get a small cross.
    randoms, stars = uniform_randoms(seed + 3), Image.new("L", size)
    draw, placed = ImageDraw.Draw(stars), 0
    while placed < star_count:
        x, y, b = int(2 + (w - 4) * next(randoms)), int(2 + ((horizon or h) - 4) * next(randoms)), next(randoms)
        if any(l - 4 <= x < r + 4 and t - 4 <= y < bt + 4 for (l, t, r, bt) in keep_clear):
            continue
        placed, level = placed + 1, clamp8(60 + 195 * b * b)
        draw.point((x, y), fill=level)
        if b > 0.9:
            draw.point([(x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)], fill=level // 3)
    return add(img, tint(stars, (225, 235, 255)))

def hex_floor(size, horizon, k=84.0, cell=0.42):
    """A perspective plane tiled with hexagon outlines, as an L mask (line brightness)."""
    (w, h), canvas = size, Canvas(size)
    cx, near_z, dx, dz = w / 2 - 30, k / (h - horizon + 6), math.sqrt(3) * cell, 1.5 * cell
    for row in range(int(16 / dz)):
        z0 = near_z * 0.6 + row * dz
        cols = int(3 + z0 * 3.2 / dx)
        for x0 in (col * dx + (dx / 2 if row % 2 else 0.0) for col in range(-cols, cols + 1)):
            corners = [(x0 + cell * math.cos(a), z0 + cell * math.sin(a)) for a in HEX_ANGLES]
            for (ax, az), (bx, bz) in zip(corners, corners[1:] + corners[:1]):
                if min(az, bz) >= near_z * 0.8:
                    fade = max(0.0, min(1.0, 1.6 / ((az + bz) / 2))) ** 0.8  # fainter far away
                    ends = [(cx + k * ax / az, horizon + k / az), (cx + k * bx / bz, horizon + k / bz)]
                    canvas.draw.line(canvas.up(ends), fill=clamp8(255 * fade), width=4)
    # Darken towards the horizon where the lines crowd into a haze.
    rows = [0] * horizon + [clamp8(255 * min(1.0, 0.25 + 1.2 * (y / (h - horizon)))) for y in range(h - horizon)]
    haze = Image.frombytes("L", (1, h), bytes(rows)).resize(size, Image.NEAREST)
    return ImageChops.multiply(canvas.reduced(), haze)

BRICK_COLOURS = [((255, 70, 120), (150, 20, 70)), ((255, 140, 50), (160, 60, 10)),
                 ((255, 215, 70), (160, 110, 10)), ((80, 230, 140), (20, 110, 70))]  # (light, dark) by row
WALL = ["ooooooooooooooo", "ooooooooooxx.o", "oooo.oooox....", "oox.ooooo...."]  # brick, x cracked, . broken
WALL_RADIUS = 9.6

def hex_brick(colour, cover, centre, radii, fills):
    """A bevelled hex brick: rim (on `cover` too), lit upper and shaded lower bevel, face; `fills` in that order."""
    (cx, cy), (rim_r, bevel_r, face_r) = centre, radii
    rim, bevel = hex_points(cx, cy, rim_r), hex_points(cx, cy, bevel_r)
    cover.polygon(rim, fill=255)
    colour.polygon(rim, fill=fills[0])
    colour.polygon(bevel[5:] + bevel[:3] + [centre], fill=fills[1])
    colour.polygon(bevel[2:] + [centre], fill=fills[2])
    colour.polygon(hex_points(cx, cy, face_r), fill=fills[3])

def add_bricks(img, cells, radius, glow_radius, glow_strength):
    """Shiny bricks in their row's colours at (x, y, row, cracked), over a soft violet glow."""
    colour, cover = Canvas(img.size, "RGB"), Canvas(img.size)
    for cx, cy, row, cracked in cells:
        (light, dark), s = BRICK_COLOURS[row % len(BRICK_COLOURS)], colour.scale
        sx, sy, r = cx * s, cy * s, radius * s
        fills = [rgb(c * 0.55 for c in dark), rgb(mix(light, WHITE, 0.35)), dark, light]
        hex_brick(colour.draw, cover.draw, (sx, sy), (r - 0.6 * s, r - 0.6 * s, r * 0.62), fills)
        colour.draw.polygon(hex_points(sx - r * 0.12, sy - r * 0.16, r * 0.28), fill=rgb(mix(light, WHITE, 0.45)))
        if cracked:
            crack = [(-0.7, -0.2), (-0.15, 0.05), (0.05, -0.45), (0.4, 0.1), (0.2, 0.7)]
            colour.draw.line([(sx + r * x, sy + r * y) for x, y in crack], fill=(20, 6, 20), width=int(s * 1.1))
    cover = cover.reduced()
    return Image.composite(colour.reduced(), add(img, glow(cover, glow_radius, (120, 60, 160), glow_strength)), cover)

def wall_cells():
    """The brick wall at the top left as (x, y, row, cracked), odd rows shifted by half a brick."""
    dx, dy = math.sqrt(3) * WALL_RADIUS + 1.2, 1.5 * WALL_RADIUS + 1.0
    return [(19 + (dx / 2 if row % 2 else 0) + col * dx, 18 + row * dy, row, mark == "x")
            for row, marks in enumerate(WALL) for col, mark in enumerate(marks) if mark != "."]

def add_shards(img):
    """Fragments of a broken brick flying away from the impact."""
    colour, cover = Canvas(img.size, "RGB"), Canvas(img.size)
    for (cx, cy), r, angle, row in [((232, 78), 4.0, 15, 1), ((246, 86), 3.0, 70, 1), ((222, 90), 3.4, 130, 2),
                                    ((256, 72), 2.6, 200, 0), ((240, 98), 2.2, 260, 2), ((214, 78), 2.4, 320, 1),
                                    ((262, 94), 2.0, 40, 0)]:
        corners = [math.radians(angle + a) for a in (0, 130, 235)]
        pts = colour.up([(cx + r * math.cos(a), cy + r * math.sin(a)) for a in corners])
        cover.draw.polygon(pts, fill=255)
        colour.draw.polygon(pts, fill=BRICK_COLOURS[row][0])
    return Image.composite(colour.reduced(), img, cover.reduced())

def ball_and_trail(size, ball, trail_from, radius):
    """A ball with a fading comet trail; returns (core mask, trail mask)."""
    core, trail = Canvas(size), Canvas(size)
    core.draw.ellipse(core.up([(ball[0] - radius, ball[1] - radius), (ball[0] + radius, ball[1] + radius)]), fill=255)
    s, steps = trail.scale, 40
    for t in (i / steps for i in range(steps)):
        x, y = trail_from[0] + (ball[0] - trail_from[0]) * t, trail_from[1] + (ball[1] - trail_from[1]) * t
        r = radius * (0.25 + 0.7 * t) * s
        trail.draw.ellipse([x * s - r, y * s - r, x * s + r, y * s + r], fill=clamp8(255 * t ** 1.6))
    return core.reduced(), trail.reduced()

def add_paddle(img, left, top, length, thick, glow_radius, glow_strength):
    """A glowing paddle with hexagonal ends and a highlight along its top."""
    half, right = thick / 2, left + length
    body = polygon_mask(img.size, capsule(left, top, right, top + thick, 0.5))
    shine = polygon_mask(img.size, [(left + half, top + 1), (right - half, top + 1),
                                    (right - half - 1, top + half - 0.5), (left + half + 1, top + half - 0.5)])
    img = paint(add(img, glow(body, glow_radius, CYAN, glow_strength)), (30, 130, 200), body)
    return paint(img, (200, 245, 255), scale_mask(shine, 0.9))

TITLE_STOPS = [(0.0, (255, 255, 246)), (0.30, (255, 236, 150)), (0.50, (255, 190, 60)), (0.52, (150, 40, 24)),
               (0.60, (230, 70, 30)), (0.85, (255, 150, 50)), (1.0, (255, 220, 140))]

def lettering_mask(text, font_px, size, origin, shear=0.0, tracking=0):
    """Anti-aliased lettering drawn large, slanted, then reduced. Returns (mask, ink box)."""
    canvas = Canvas(size)
    s = canvas.scale
    font, x = ImageFont.truetype(FONT_BOLD, font_px * s), origin[0] * s
    for ch in text:
        canvas.draw.text((x, origin[1] * s), ch, font=font, fill=255, anchor="ls")
        x += font.getlength(ch) + tracking * s
    if shear:  # slant to the right around the baseline
        slant = (1, shear, -shear * origin[1] * s, 0, 1, 0)
        canvas.image = canvas.image.transform(canvas.image.size, Image.AFFINE, slant, resample=Image.BICUBIC)
    mask = canvas.reduced()
    return mask, mask.getbbox()

def chrome_title(img, mask, box):
    """Paints lettering with a dark rim, a chrome gradient, an outer glow and a light upper edge on each stroke."""
    rim = mask.filter(ImageFilter.MaxFilter(5))
    img = add(add(img, glow(rim, 7, (255, 90, 40), 0.55)), glow(rim, 3, MAGENTA, 0.35))
    img = paint(paint(img, (30, 6, 24), rim), vertical_gradient(img.size, TITLE_STOPS, box[1], box[3] - box[1]), mask)
    return add(img, tint(ImageChops.subtract(mask, ImageChops.offset(mask, 0, 1)), (255, 255, 230), 0.35))

def draw_plates(img):
    """A dark glass plate with a glowing rim around each label."""
    fill, edge = Canvas(img.size), Canvas(img.size)
    for l, t, r, b in (label.rect for label in LABELS):
        pts = fill.up([(x + 0.5, y + 0.5) for x, y in capsule(l - 5, t - 3, r + 5, b + 2, 0.45)])
        fill.draw.polygon(pts, fill=255)
        edge.draw.line(pts + pts[:1], fill=255, width=fill.scale)
    fill, edge = fill.reduced(), edge.reduced()
    img = paint(add(img, glow(edge, 2.5, CYAN, 0.55)), PLATE_FILL, scale_mask(fill, 0.78))
    return paint(img, mix(CYAN, WHITE, 0.1), scale_mask(edge, 0.85))

def text_mask(text, font, size, origin):
    mask = Image.new("L", size)
    ImageDraw.Draw(mask).text(origin, text, font=font, fill=255, anchor="ls")
    return mask

def label_text_masks(label, font):
    """Text and drop-shadow masks in the label's own rectangle, ink centred."""
    w, h = label.rect[2] - label.rect[0], label.rect[3] - label.rect[1]
    ink = text_mask(label.text, font, (w + 40, h + 40), (20, 30)).getbbox()
    spare_x, spare_y = w - (ink[2] - ink[0]) - 1, h - (ink[3] - ink[1]) - 1  # one pixel for the shadow
    if spare_x < 0 or spare_y < 0:
        sys.exit(f"label {label.text!r} does not fit {w}x{h}")
    mask = text_mask(label.text, font, (w, h), (20 - ink[0] + (spare_x + 1) // 2, 30 - ink[1] + (spare_y + 1) // 2))
    return mask, mask.transform((w, h), Image.AFFINE, (1, 0, -1, 0, 1, -1))  # the shadow: one pixel down and right

def draw_label(crop, label, font, style):
    """Draws one label over `crop` (its rectangle of the picture) in a style: unlit, lit or grey."""
    mask, shadow = label_text_masks(label, font)
    if style == "lit":  # the plate's inside lights up: an amber glass bar with pointed ends
        bar = vertical_gradient(crop.size, [(0.0, (255, 214, 110)), (0.4, (236, 128, 28)), (1.0, (130, 42, 8))])
        crop = Image.composite(bar, crop, polygon_mask(crop.size, capsule(0, 0, *crop.size, 0.42)))
    shadow_colour, shadow_strength, ink = STYLES[style]
    return paint(paint(crop, shadow_colour, scale_mask(shadow, shadow_strength)), ink, mask)

def main_picture():
    """The main window's picture with empty label plates (the text is drawn per state)."""
    size = (WIDTH, HEIGHT)
    img = space_backdrop(size, seed=1997, horizon=HORIZON, keep_clear=[label.rect for label in LABELS])
    # Horizon glow, the hexagonal floor and the horizon line.
    img = add(img, tint(radial_mask(size, 180, HORIZON, 300, 26, 1.6), MAGENTA, 0.5))
    floor = hex_floor(size, HORIZON)
    img = add(add(img, glow(floor, 2, MAGENTA, 0.6)), tint(floor, (110, 200, 255), 0.8))
    img = add(img, tint(line_mask(size, [[(0, HORIZON), (WIDTH, HORIZON)]], 150), (255, 120, 220)))
    # The brick wall at the top left, a brick breaking apart, the ball rising from the paddle towards the gap.
    img = add_shards(add_bricks(img, wall_cells(), WALL_RADIUS, 4, 0.35))
    core, trail = ball_and_trail(size, (246, 138), (108 + 58 / 2, 222 - 4), 4.2)  # from above the paddle's middle
    img = add(add(img, glow(trail, 2, CYAN, 0.7)), tint(trail, (120, 220, 255), 0.45))
    img = add(add(img, glow(core, 9, CYAN, 0.9)), glow(core, 3, (200, 250, 255), 0.9))
    img = add_paddle(paint(img, WHITE, core), 108, 222, 58, 7, 5, 0.8)
    # The title, and "DEMO" centred under it between two rules.
    title, box = lettering_mask("HEXBREAKER", 38, size, (14, 128), shear=-0.18, tracking=-1)
    img = chrome_title(img, title, box)
    _, probe = lettering_mask("DEMO", 15, size, (0, 0), tracking=5)
    x = (box[0] + box[2]) // 2 - (probe[2] - probe[0]) // 2 - probe[0]
    demo, demo_box = lettering_mask("DEMO", 15, size, (x, 154), tracking=5)
    rules = line_mask(size, [[(box[0] + 12, 148), (demo_box[0] - 10, 148)],
                             [(demo_box[2] + 8, 148), (box[2] - 14, 148)]])
    img = paint(add(img, glow(rules, 2, CYAN, 0.6)), (150, 235, 255), scale_mask(rules, 0.8))
    img = paint(add(img, glow(demo, 3, CYAN, 0.9)), (4, 20, 40), demo.filter(ImageFilter.MaxFilter(3)))
    return draw_plates(paint(img, (170, 245, 255), demo))

def banner_picture():
    """The install dialogs' strip: bricks, the title reading upwards, ball and paddle over a honeycomb."""
    size, r = BANNER_SIZE, 9
    img = space_backdrop(size, seed=2024, star_count=40)
    # A faint honeycomb over the whole strip, brighter towards the bottom.
    comb = Canvas(size)
    for row in range(-1, int(size[1] / (1.5 * r)) + 2):
        for col in range(-1, 5):
            cx = col * math.sqrt(3) * r + (math.sqrt(3) * r / 2 if row % 2 else 0)
            pts = comb.up(hex_points(cx, row * 1.5 * r, r))
            comb.draw.line(pts + pts[:1], fill=255, width=4)
    depth = vertical_gradient(size, [(0.0, (0, 0, 0)), (0.6, (90, 90, 90)), (1.0, (170, 170, 170))]).convert("L")
    img = add(img, tint(ImageChops.multiply(comb.reduced(), depth), MAGENTA, 0.45))
    # Bricks at the top, the ball rising from a paddle at the bottom.
    cells = [(9.5, 10, 0, False), (25.5, 10, 1, False), (41.5, 10, 2, False), (17.5, 24, 3, False), (33.5, 24, 0, True)]
    img = add_bricks(img, cells, 8.5, 3, 0.4)
    core, trail = ball_and_trail(size, (31, 262), (22, 283), 3.2)
    img = add(add(img, glow(trail, 1.5, CYAN, 0.6)), glow(core, 6, CYAN, 0.9))
    img = add_paddle(paint(img, WHITE, core), 9, 283, 26, 5, 3, 0.7)
    # The title reads upwards: lettered on the strip turned on its side, then turned back; centred between the
    # paddle (left on its side) and the bricks (right).
    side = img.transpose(Image.ROTATE_270)
    _, probe = lettering_mask("HEXBREAKER", BANNER_TITLE_PX, side.size, (0, 37), shear=-0.18)
    x = (46 + 252 - (probe[2] - probe[0])) // 2 - probe[0]
    title, box = lettering_mask("HEXBREAKER", BANNER_TITLE_PX, side.size, (x, 37), shear=-0.18)
    return chrome_title(side, title, box).transpose(Image.ROTATE_90)

def icon_picture(px):
    """The icon: an amber hex brick, cracked (at 32 pixels) by a glowing ball, as RGBA."""
    scale, large = 8, px >= 32
    colour, cover, s = Canvas((px, px), "RGB", scale), Canvas((px, px), scale=scale), px * scale
    c, r = s * 0.46, s * 0.46
    fills = [(60, 14, 10), (255, 226, 130), (196, 70, 20), (255, 150, 40)]
    hex_brick(colour.draw, cover.draw, (c, s * 0.5), (r, r * 0.86, r * 0.56), fills)
    if large:
        colour.draw.line([(c - r * 0.6, s * 0.42), (c - r * 0.1, s * 0.55), (c + r * 0.05, s * 0.36),
                          (c + r * 0.45, s * 0.6)], fill=(50, 10, 6), width=int(scale * 1.3))
    # The ball: a dark rim, the glowing body and a highlight up and left.
    bx, by, br = s * 0.76, s * 0.76, s * (0.2 if large else 0.24)
    bi = br - scale * (1.0 if large else 0.9)
    hl, hx, hy = bi * 0.45, bx - bi * 0.35, by - bi * 0.35
    for draw, x, y, d, fill in [(cover.draw, bx, by, br, 255), (colour.draw, bx, by, br, (8, 40, 70)),
                                (colour.draw, bx, by, bi, (90, 220, 255)), (colour.draw, hx, hy, hl, (235, 252, 255))]:
        draw.ellipse([x - d, y - d, x + d, y + d], fill=fill)
    return Image.merge("RGBA", (*colour.reduced().split(), cover.reduced()))

def compose_states(plain):
    """The background with unlit labels, and the overlays as (file name, label's rectangle, RGB image), by name."""
    font, background, overlays = ImageFont.truetype(FONT_BOLD, LABEL_FONT_PX), plain.copy(), []
    for label in LABELS:
        crop = plain.crop(label.rect)
        background.paste(draw_label(crop, label, font, "unlit"), label.rect[:2])
        overlays += [(f"{label.key}_{style}", label.rect, draw_label(crop, label, font, style))
                     for style in ("lit", "grey")[:1 + label.greyable]]
    return background, sorted(overlays, key=lambda overlay: overlay[0])

RESERVED = [(0, 0, 0), WHITE, TEXT_UNLIT, TEXT_LIT, TEXT_GREY, SHADOW]
BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]

def build_palette(weighted_images):
    """One palette for every bitmap: fixed entries plus the best colours of the images, each stacked `weight` times."""
    strips = [im for im, weight in weighted_images for _ in range(weight)]
    sample = Image.new("RGB", (max(im.size[0] for im in strips), sum(im.size[1] for im in strips)))
    for i, im in enumerate(strips):
        sample.paste(im, (0, sum(strip.size[1] for strip in strips[:i])))
    wanted = 256 - len(RESERVED)
    quant = sample.quantize(colors=wanted, method=Image.Quantize.MAXCOVERAGE, kmeans=8, dither=Image.Dither.NONE)
    flat = [v for colour in RESERVED for v in colour] + quant.getpalette()[:wanted * 3]
    quant.putpalette(flat + [0] * (768 - len(flat)))
    return quant

def quantize(img, palette): return img.quantize(palette=palette, dither=Image.Dither.NONE)

def to_indexed(img, palette, crisp_boxes=()):
    """The image in the shared palette: art with a 4x4 Bayer dither (even texture for gradients), text boxes crisp."""
    (w, h), levels = img.size, [[clamp8(v * DITHER_AMPLITUDE / 15.0) for v in row] for row in BAYER4]
    pattern = Image.frombytes("L", (w, h), bytes(levels[y % 4][x % 4] for y in range(h) for x in range(w)))
    out = quantize(ImageChops.add(img, Image.merge("RGB", [pattern] * 3), 1.0, -int(DITHER_AMPLITUDE / 2)), palette)
    for box in crisp_boxes:
        out.paste(quantize(img.crop(box), palette), box[:2])
    return out

# Bitmap pieces: the info header, the colour table from [r, g, b, ...], the rows bottom-up padded to whole DWORDs.
def dib_header(w, h, bits, image_bytes=0, ppm=0, colours=0):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, image_bytes, ppm, ppm, colours, colours)
def colour_table(flat): return b"".join(bytes((flat[i + 2], flat[i + 1], flat[i], 0)) for i in range(0, len(flat), 3))
def dib_rows(img, rawmode, bits): return img.tobytes("raw", rawmode, (img.size[0] * bits + 31) // 32 * 4, -1)

def ico_entry(rgba, bits, palette):
    """One icon image as a DIB: header, (palette,) XOR bitmap and AND mask."""
    alpha = rgba.getchannel("A")
    if bits == 32:
        table, pixels = b"", dib_rows(rgba, "BGRA", 32)
    else:  # the opaque pixels on black, in the shared palette
        flat = Image.composite(rgba.convert("RGB"), Image.new("RGB", rgba.size), alpha.point(lambda v: 255 * (v >= 96)))
        table, pixels = colour_table(palette.getpalette()[:768]), dib_rows(quantize(flat, palette), "P", 8)
    mask = dib_rows(alpha.point(lambda v: 255 if v < 96 else 0, "1"), "1", 1)
    return dib_header(rgba.size[0], rgba.size[1] * 2, bits) + table + pixels + mask

def save_ico(images, palette, name):
    """An icon file with 8-bit images first (for classic displays), then 32-bit ones."""
    entries = [(rgba.size[0], bits, ico_entry(rgba, bits, palette)) for bits in (8, 32) for rgba in images]
    data, offset = struct.pack("<HHH", 0, 1, len(entries)), 6 + 16 * len(entries)
    for px, bits, dib in entries:
        data += struct.pack("<BBBBHHII", px, px, 0, 0, 1, bits, len(dib), offset)
        offset += len(dib)
    with open(os.path.join(OUT_DIR, name), "wb") as f:
        f.write(data + b"".join(dib for _, _, dib in entries))

VGA16 = bytes.fromhex("000000 800000 008000 808000 000080 800080 008080 c0c0c0"
                      "808080 ff0000 00ff00 ffff00 0000ff ff00ff 00ffff ffffff")
# Pixel letters: white (the image list's transparent colour), black outline, yellow, olive shade, silver highlight.
FOLDER_INK = {".": 15, "k": 0, "y": 11, "o": 3, "s": 7}
FOLDERS = 2 * [32 * "."] + [  # closed, open
    ".kkkkk.........." ".kkkkk..........",
    "ksssssk........." "koooook.........",
    "ksyyyyykkkkkkkk." "kooooookkkkkkk..",
    "ksssssssssssssko" "kooooooooooooko.",
    "ksyyyyyyyyyyyyko" "kookkkkkkkkkkkkk",
    "ksyyyyyyyyyyyyko" "koksyyyyyyyyyyyk",
    "ksyyyyyyyyyyyyko" "kkksyyyyyyyyyyk.",
    "ksyyyyyyyyyyyyko" "kksyyyyyyyyyyyk.",
    "ksyyyyyyyyyyyyko" "kksyyyyyyyyyyk..",
    "ksyyyyyyyyyyyyko" "ksyyyyyyyyyyyk..",
    "kkkkkkkkkkkkkkko" "kkkkkkkkkkkkk...",
    ".ooooooooooooooo" "................",
    32 * "."]
FOLDERS_WIDTH = 43  # two images of 16 columns, then 11 blank columns that make no image

def save_folders(name):
    """Bitmap 184 as a 4-bit-per-pixel BMP with the 16 VGA colours."""
    img = Image.frombytes("P", (FOLDERS_WIDTH, len(FOLDERS)),
                          bytes(FOLDER_INK[c] for row in FOLDERS for c in row.ljust(FOLDERS_WIDTH, ".")))
    table, pixels = colour_table(VGA16), dib_rows(img, "P;4", 4)
    offset = 14 + 40 + len(table)
    with open(os.path.join(OUT_DIR, name), "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
                + dib_header(*img.size, 4, len(pixels), 2835, 16) + table + pixels)

def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    save_folders("folders.bmp")
    background, overlays = compose_states(main_picture())
    banner, icons = banner_picture(), [icon_picture(32), icon_picture(16)]
    on_black = [Image.composite(i.convert("RGB"), Image.new("RGB", i.size), i.getchannel("A")) for i in icons]
    palette = build_palette([(background, 1)] + [(crop, 3) for _, _, crop in overlays] + [(banner, 1)]
                            + [(icon, 2) for icon in on_black])
    background = to_indexed(background, palette, [label.rect for label in LABELS])
    for name, rect, crop in overlays:
        overlay = to_indexed(crop, palette, [(0, 0) + crop.size])
        # It must stand out from the picture under it, or hover cannot be seen.
        diff = ImageChops.difference(background.crop(rect).convert("RGB"), overlay.convert("RGB")).convert("L")
        if sum(diff.histogram()[41:]) < diff.size[0] * diff.size[1] // 5:
            sys.exit(f"{name}: too few pixels differ clearly from the background")
        overlay.save(os.path.join(OUT_DIR, name + ".bmp"))
    background.save(os.path.join(OUT_DIR, "background.bmp"))
    to_indexed(banner, palette).save(os.path.join(OUT_DIR, "banner.bmp"))
    save_ico(icons, palette, "setup.ico")

if __name__ == "__main__":
    main()
