#!/usr/bin/env python3
"""Writes the demo's sample game files into a folder: the title screen, the Multi arenas, the Profiles
pictures and the read-me (with CRLF line ends). Output is the same on every run.

usage: make-samples.py OUT_DIR README_SOURCE
"""
import math
import struct
import sys
import zlib
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


def font(size):
    try:
        return ImageFont.truetype(FONT, size)
    except OSError:
        return ImageFont.load_default()


def hexagon(center, radius):
    cx, cy = center
    return [(cx + radius * math.cos(math.radians(60 * k + 30)), cy + radius * math.sin(math.radians(60 * k + 30)))
            for k in range(6)]


def title_screen(path):
    """640x480 in 256 colours: over 262,144 bytes, so the installer copies it in two pieces."""
    image = Image.new("RGB", (640, 480))
    draw = ImageDraw.Draw(image)
    for y in range(480):
        draw.line([(0, y), (639, y)], fill=(10, 20 + y // 8, 60 + y // 4))
    for row in range(9):
        for col in range(12):
            x = col * 58 + (29 if row % 2 else 0)
            y = row * 50 + 20
            shade = 80 + (row * 13 + col * 7) % 120
            draw.polygon(hexagon((x, y), 26), outline=(shade, shade // 2, 30))
    draw.text((320, 200), "HexbreakerDemo", font=font(56), fill=(255, 210, 60), anchor="mm")
    draw.text((320, 270), "demo version", font=font(24), fill=(220, 220, 240), anchor="mm")
    image.quantize(256, dither=Image.Dither.NONE).save(path, "BMP")


def portrait(path, number, colour):
    image = Image.new("RGB", (64, 64), (30, 30, 40))
    draw = ImageDraw.Draw(image)
    draw.ellipse([16, 6, 48, 38], fill=colour)
    draw.rectangle([12, 40, 52, 63], fill=colour)
    draw.text((56, 56), str(number), font=font(14), fill=(255, 255, 255), anchor="rb")
    image.save(path, "BMP")


def default_profile(path):
    image = Image.new("RGB", (64, 64), (50, 60, 70))
    draw = ImageDraw.Draw(image)
    draw.polygon(hexagon((32, 32), 26), fill=(200, 160, 40))
    draw.text((32, 33), "?", font=font(28), fill=(40, 40, 40), anchor="mm")
    image.save(path, "JPEG", quality=85)


def arena(path, kind, name, seed):
    """A small arena file: a text header, then a hex grid of cell heights."""
    header = f"HXARENA {kind} 1\r\nname={name}\r\n".encode("ascii")
    cells = bytes((seed * 31 + i * 17 + (i // 24) * 5) % 9 for i in range(24 * 24))
    body = struct.pack("<HH", 24, 24) + cells
    return path.write_bytes(header + body + struct.pack("<I", zlib.crc32(body)))


def main():
    out = Path(sys.argv[1])
    readme_source = Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)

    text = readme_source.read_text(encoding="ascii")
    (out / "readme.txt").write_bytes(text.replace("\r\n", "\n").replace("\n", "\r\n").encode("ascii"))
    title_screen(out / "screen.bmp")
    arena(out / "canyon.mfd", "map", "Canyon", 1)
    arena(out / "canyon.scr", "script", "Canyon", 2)
    arena(out / "canyon.fld", "field", "Canyon", 3)
    arena(out / "harbor.mfd", "map", "Harbor", 4)
    default_profile(out / "default.jpg")
    for number, colour in zip(range(6, 10), [(200, 70, 60), (60, 160, 80), (70, 110, 210), (190, 170, 60)]):
        portrait(out / f"hum{number}.bmp", number, colour)


if __name__ == "__main__":
    main()
