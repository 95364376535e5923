#!/usr/bin/env python3
"""Draws the program's icon, a small QR-like mark, and writes kelvora.ico.

Every module covers a whole number of pixels at every size, so the mark stays
crisp: the small sizes use a 14-module grid on a 16-unit tile, the large ones a
28-module grid on a 32-unit tile. Images: 16 and 32 px at 4, 8 and 32 bpp, 48 px
at 8 and 32 bpp, 64 and 128 px at 32 bpp (BMP entries with AND masks) and 256 px
as PNG. Standard library only.

Usage: make_icon.py [output.ico]   (default: kelvora.ico beside this script)
"""
import os
import struct
import sys
import zlib

TILE = (255, 255, 255)
INK = (27, 42, 74)        # the dark modules
ACCENT = (20, 150, 145)   # the centres of the finder squares

# Images in the order of the icon directory: (size, bits per pixel); 0 bpp = PNG.
IMAGES = [
    (16, 4), (16, 8), (16, 32),
    (32, 4), (32, 8), (32, 32),
    (48, 8), (48, 32),
    (64, 32), (128, 32),
    (256, 0),
]


def finder(grid, top, left, size):
    """A finder square: dark ring, light ring, accent centre."""
    for r in range(size):
        for c in range(size):
            edge = min(r, c, size - 1 - r, size - 1 - c)
            grid[top + r][left + c] = "D" if edge == 0 else ("." if edge == 1 else "A")


def reserve(grid, top, left, size):
    for r in range(top, top + size):
        for c in range(left, left + size):
            if 0 <= r < len(grid) and 0 <= c < len(grid):
                grid[r][c] = grid[r][c] or "."


def scatter(grid, seed):
    """Fills the free cells with a fixed pseudo-random pattern (about half dark)."""
    state = seed
    for r in range(len(grid)):
        for c in range(len(grid)):
            state = (state * 1103515245 + 12345) & 0x7FFFFFFF
            if grid[r][c] is None:
                grid[r][c] = "D" if (state >> 16) & 1 else "."


def small_mark():
    """14 modules: 6-module finders (2-module centres) and a data corner."""
    n, f = 14, 6
    grid = [[None] * n for _ in range(n)]
    for top, left in ((0, 0), (0, n - f), (n - f, 0)):
        reserve(grid, top - 1, left - 1, f + 2)
        finder(grid, top, left, f)
    # A hand-placed data corner reads better than noise at this size.
    corner = ["D.DD.D.",
              ".D..DD.",
              "DD.D..D",
              "..D.DDD",
              "D.DD...",
              ".D..D.D",
              "DD.DD.D"]
    for r, row in enumerate(corner):
        for c, cell in enumerate(row):
            grid[7 + r][7 + c] = cell
    return grid


def large_mark():
    """28 modules: real 7-module finders, timing lines, one alignment square."""
    n, f = 28, 7
    grid = [[None] * n for _ in range(n)]
    for top, left in ((0, 0), (0, n - f), (n - f, 0)):
        reserve(grid, top - 1, left - 1, f + 2)
        finder(grid, top, left, f)
    for i in range(f + 1, n - f - 1):
        grid[6][i] = "D" if i % 2 == 0 else "."
        grid[i][6] = "D" if i % 2 == 0 else "."
    top = n - 9
    for r in range(5):
        for c in range(5):
            edge = min(r, c, 4 - r, 4 - c)
            grid[top + r][top + c] = "D" if edge != 1 else "."
    scatter(grid, 20240611)
    return grid


def render(size):
    """RGBA rows of the icon at `size` pixels (straight alpha)."""
    if size <= 48:
        grid, units, quiet = small_mark(), 16, 1
    else:
        grid, units, quiet = large_mark(), 32, 2
    unit = size // units
    radius = 1.5 * unit
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            alpha = corner_coverage(x, y, size, radius)
            mx, my = x // unit - quiet, y // unit - quiet
            colour = TILE
            if 0 <= mx < len(grid) and 0 <= my < len(grid):
                cell = grid[my][mx]
                colour = INK if cell == "D" else (ACCENT if cell == "A" else TILE)
            row.append(colour + (int(round(alpha * 255)),))
        rows.append(row)
    return rows


def corner_coverage(x, y, size, radius):
    """Share of the pixel inside the tile's rounded outline (4x4 samples)."""
    inside = 0
    for sy in range(4):
        for sx in range(4):
            px, py = x + (sx + 0.5) / 4, y + (sy + 0.5) / 4
            cx = min(max(px, radius), size - radius)
            cy = min(max(py, radius), size - radius)
            if (px - cx) ** 2 + (py - cy) ** 2 <= radius * radius:
                inside += 1
    return inside / 16


PALETTE = [(0, 0, 0), TILE, INK, ACCENT]


def palette_index(rgba):
    if rgba[3] < 128:
        return 0
    r, g, b, _ = rgba
    return min(range(1, len(PALETTE)),
               key=lambda i: sum((a - p) ** 2 for a, p in zip((r, g, b), PALETTE[i])))


def row_bytes(bits, width):
    return ((bits * width + 31) // 32) * 4


def bmp_entry(rows, bpp):
    size = len(rows)
    colours = 1 << bpp if bpp <= 8 else 0
    xor = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        if bpp == 32:
            for r, g, b, a in row:
                line += bytes((b, g, r, a)) if a else b"\0\0\0\0"
        else:
            idx = [palette_index(p) for p in row]
            if bpp == 8:
                line += bytes(idx)
            else:
                for i in range(0, size, 2):
                    line.append((idx[i] << 4) | (idx[i + 1] if i + 1 < size else 0))
        line += b"\0" * (row_bytes(bpp, size) - len(line))
        xor += line
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(row_bytes(1, size))
        for x, p in enumerate(row):
            if p[3] < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                         len(xor) + len(mask), 0, 0, colours, 0)
    palette = b""
    if colours:
        entries = PALETTE + [(0, 0, 0)] * (colours - len(PALETTE))
        palette = b"".join(bytes((b, g, r, 0)) for r, g, b in entries)
    return header + palette + bytes(xor) + bytes(mask)


def png_entry(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def build_icon():
    cache = {}
    blobs = []
    for size, bpp in IMAGES:
        rows = cache.setdefault(size, render(size))
        blobs.append(png_entry(rows) if bpp == 0 else bmp_entry(rows, bpp))
    directory = struct.pack("<HHH", 0, 1, len(IMAGES))
    offset = 6 + 16 * len(IMAGES)
    for (size, bpp), blob in zip(IMAGES, blobs):
        dim = 0 if size >= 256 else size
        colour_count = 16 if bpp == 4 else 0
        directory += struct.pack("<BBBBHHII", dim, dim, colour_count, 0, 1,
                                 bpp or 32, len(blob), offset)
        offset += len(blob)
    return directory + b"".join(blobs)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "kelvora.ico")
    with open(out, "wb") as f:
        f.write(build_icon())


if __name__ == "__main__":
    main()
