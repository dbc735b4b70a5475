#!/usr/bin/env python3
"""Compares two folders of PNG pictures pixel by pixel (standard library only).

    scripts/compare-pngs.py BEFORE_DIR AFTER_DIR

Prints one line per picture that differs (size, or the number of differing pixels and the
bounding box of the difference) and exits 1 when any picture differs or is missing.
"""
import struct
import sys
import zlib
from pathlib import Path


def decode(path):
    data = Path(path).read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path}: not a PNG")
    pos, idat, head = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            head = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
    width, height, depth, colour, _, _, interlace = head
    if depth != 8 or interlace != 0 or colour not in (0, 2, 4, 6):
        raise ValueError(f"{path}: unsupported PNG form (depth {depth}, colour {colour})")
    bpp = {0: 1, 2: 3, 4: 2, 6: 4}[colour]
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev, i = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - bpp] if x >= bpp else 0
            b = prev[x]
            c = prev[x - bpp] if x >= bpp else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[x] = (line[x] + pred) & 255
        rows.append(bytes(line))
        prev = line
    return width, height, bpp, rows


def main():
    before, after = Path(sys.argv[1]), Path(sys.argv[2])
    env_a, env_b = before / "environment.txt", after / "environment.txt"
    if env_a.exists() and env_b.exists() and env_a.read_text() != env_b.read_text():
        print("warning: the folders were taken with different fonts (environment.txt differs)")
    names = sorted({p.name for p in before.glob("*.png")} | {p.name for p in after.glob("*.png")})
    bad = 0
    for name in names:
        a, b = before / name, after / name
        if not a.exists() or not b.exists():
            print(f"{name}: missing in {'before' if not a.exists() else 'after'}")
            bad += 1
            continue
        if a.read_bytes() == b.read_bytes():
            continue
        wa, ha, pa, ra = decode(a)
        wb, hb, pb, rb = decode(b)
        if (wa, ha, pa) != (wb, hb, pb):
            print(f"{name}: size {wa}x{ha} before, {wb}x{hb} after")
            bad += 1
            continue
        count, box = 0, None
        for y in range(ha):
            if ra[y] == rb[y]:
                continue
            for x in range(wa):
                if ra[y][x * pa:(x + 1) * pa] != rb[y][x * pa:(x + 1) * pa]:
                    count += 1
                    box = (x, y, x, y) if box is None else (
                        min(box[0], x), min(box[1], y), max(box[2], x), max(box[3], y))
        if count:
            print(f"{name}: {count} pixels differ in x {box[0]}..{box[2]}, y {box[1]}..{box[3]}")
            bad += 1
    print(f"{len(names)} pictures compared, {bad} differ")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
