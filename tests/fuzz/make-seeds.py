#!/usr/bin/env python3
"""Writes seed packs for the table-reader fuzzer into a directory: sound packs (stamped as hxpack writes
them, unstamped, data out of table order) and packs with one fault each."""
import struct
import sys
import zlib
from pathlib import Path


def pack(entries, stamp=True, reverse=False):
    """entries: list of (name bytes, data bytes)."""
    order = sorted(range(len(entries)), reverse=reverse)
    offsets, position = {}, 12 + 8 * len(entries) + sum(len(name) + 8 for name, _ in entries)
    for i in order:
        offsets[i] = position
        position += len(entries[i][1])
    records = b"".join(
        struct.pack("<IHH", zlib.crc32(data) if stamp else 0, len(name), 0) for name, data in entries)
    table = b"".join(name + struct.pack("<II", offsets[i], len(data)) for i, (name, data) in enumerate(entries))
    stamped = b"HXPK" + struct.pack("<HI", 1, zlib.crc32(records + table)) if stamp else bytes(10)
    header = struct.pack("<H", len(entries)) + stamped
    return header + records + table + b"".join(entries[i][1] for i in order)


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    sample = [(b"readme.txt", b"Read me.\r\n"), (b"canyon.mfd", b""), (b"maps\\harbor.fld", bytes(range(40))),
              (b"hxsnd.dll", b"MZ" + bytes(30)), (b"hum6.bmp", b"BM" + bytes(20))]
    seeds = {
        "sample": pack(sample),
        "sample-unstamped": pack(sample, stamp=False),
        "sample-reversed": pack(sample, reverse=True),
        "truncated": pack(sample)[:60],
        "parent-name": pack([(b"..\\win.ini", b"x")]),
        "drive-name": pack([(b"C:\\x.dll", b"x")]),
        "longest-name": pack([(b"n" * 83, b"x")]),
    }
    for name, data in seeds.items():
        (out / f"seed-{name}").write_bytes(data)


if __name__ == "__main__":
    main()
