#!/usr/bin/env python3
"""Draws the skin's images (flat shapes in the accent colour) and writes them as PNG files.

Run once after changing a shape; the PNGs are kept in skin/img/ beside the layouts:
    python3 tools/skinpack/make_images.py skin/img
Only the standard library is used, so the images are reproducible anywhere.
"""
import math
import struct
import sys
import zlib
from pathlib import Path

ACCENT = (0x2F, 0x6B, 0xFF)
ACCENT_DARK = (0x1F, 0x4F, 0xD1)
GREY = (0x9A, 0xA3, 0xB2)
WHITE = (0xFF, 0xFF, 0xFF)


def write_png(path, width, height, pixels):
    """pixels: list of rows, each a list of (r, g, b, a)."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    data = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))
    Path(path).write_bytes(data)


def render(width, height, coverage_fns):
    """coverage_fns: list of (fn(x, y) -> bool, colour, alpha). Painted in order, 4x4 samples."""
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            r = g = b = 0.0
            a = 0.0
            for fn, colour, alpha in coverage_fns:
                hits = 0
                for sy in range(4):
                    for sx in range(4):
                        if fn(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4):
                            hits += 1
                cover = hits / 16 * alpha
                if cover <= 0:
                    continue
                # Source-over compositing on premultiplied values.
                r = colour[0] * cover + r * (1 - cover)
                g = colour[1] * cover + g * (1 - cover)
                b = colour[2] * cover + b * (1 - cover)
                a = cover + a * (1 - cover)
            if a > 0:
                row.append((round(r / a), round(g / a), round(b / a), round(a * 255)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def rounded_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside


def circle(cx, cy, radius):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def ring(cx, cy, outer, inner):
    return lambda x, y: inner ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= outer ** 2


def line(x0, y0, x1, y1, half_width):
    def inside(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half_width ** 2
    return inside


def document_mark(size, colour, paper):
    """A page with a folded corner and three text lines: the program's mark."""
    s = size / 64
    fold = 14 * s
    body = rounded_rect(12 * s, 6 * s, 52 * s, 58 * s, 5 * s)

    def page(x, y):
        # Cut the top-right corner where the fold sits.
        return body(x, y) and not (x - (52 * s - fold)) > (y - 6 * s)

    def folded(x, y):
        return (52 * s - fold <= x <= 52 * s and 6 * s <= y <= 6 * s + fold and
                (x - (52 * s - fold)) <= (y - 6 * s))

    shapes = [(page, colour, 1.0), (folded, ACCENT_DARK, 1.0)]
    for i, width in enumerate((22, 26, 16)):
        y = (30 + i * 8) * s
        shapes.append((line(20 * s, y, (20 + width) * s, y, 1.8 * s), paper, 1.0))
    return shapes


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else "skin/img")
    out.mkdir(parents=True, exist_ok=True)

    # Program icon and title-bar logo.
    write_png(out / "app.png", 64, 64, render(64, 64, document_mark(64, ACCENT, WHITE)))
    write_png(out / "logo.png", 24, 24, render(24, 24, document_mark(24, ACCENT, WHITE)))

    # Placeholder logo of a recommended program until its own arrives (drawn at 43x43).
    write_png(out / "pdfconv_logo.png", 43, 43, render(43, 43, [
        (rounded_rect(1, 1, 42, 42, 9), (0xE8, 0xEE, 0xFB), 1.0),
        *document_mark(43, ACCENT, WHITE)]))

    # Hot and pushed frames of a recommended program's button, side by side (90x72 each).
    def frame(x0, fill, stroke):
        outer = rounded_rect(x0 + 1, 1, x0 + 89, 71, 8)
        inner = rounded_rect(x0 + 2.5, 2.5, x0 + 87.5, 69.5, 6.5)
        return [(outer, stroke, 1.0), (inner, fill, 1.0)]
    write_png(out / "border.png", 180, 72, render(180, 72, [
        *frame(0, (0xF3, 0xF6, 0xFF), (0xB9, 0xCC, 0xFF)),
        *frame(90, (0xE3, 0xEB, 0xFF), ACCENT)]))

    # Default head image: a person's outline on a light disc.
    write_png(out / "headimg.png", 64, 64, render(64, 64, [
        (circle(32, 32, 31.5), (0xDC, 0xE4, 0xF2), 1.0),
        (circle(32, 25, 11), WHITE, 1.0),
        (lambda x, y: circle(32, 60, 21)(x, y) and circle(32, 32, 31.5)(x, y), WHITE, 1.0)]))

    # Title-bar glyphs (16x16): close, help, official account, web site.
    write_png(out / "close.png", 16, 16, render(16, 16, [
        (line(4, 4, 12, 12, 0.9), GREY, 1.0), (line(12, 4, 4, 12, 0.9), GREY, 1.0)]))
    write_png(out / "help.png", 16, 16, render(16, 16, [
        (ring(8, 8, 7.2, 5.9), GREY, 1.0), (ring(8, 6.3, 2.6, 1.4), GREY, 1.0),
        (lambda x, y: ring(8, 6.3, 2.6, 1.4)(x, y) and x < 8 and y > 6.3, (0, 0, 0), 0.0),
        (line(8, 8.7, 8, 9.6, 0.65), GREY, 1.0), (circle(8, 11.7, 0.9), GREY, 1.0)]))
    write_png(out / "gzh.png", 16, 16, render(16, 16, [
        (rounded_rect(1.5, 2.5, 14.5, 11.5, 3), GREY, 1.0),
        (line(4, 11, 3.5, 14, 1.0), GREY, 1.0),
        (circle(5.5, 7, 1), WHITE, 1.0), (circle(8, 7, 1), WHITE, 1.0),
        (circle(10.5, 7, 1), WHITE, 1.0)]))
    write_png(out / "site.png", 16, 16, render(16, 16, [
        (ring(8, 8, 7.2, 5.9), GREY, 1.0),
        (lambda x, y: abs(((x - 8) / 3.2) ** 2 + ((y - 8) / 7.0) ** 2 - 1) < 0.2, GREY, 1.0),
        (line(1.5, 8, 14.5, 8, 0.6), GREY, 1.0)]))

    # Start page: the open-file card's mark and the empty QR frame of the login window.
    write_png(out / "open.png", 48, 48, render(48, 48, [
        (rounded_rect(4, 10, 44, 40, 5), ACCENT, 1.0),
        (rounded_rect(4, 6, 20, 14, 3), ACCENT, 1.0),
        (line(24, 31, 24, 19, 1.6), WHITE, 1.0),
        (line(24, 18, 18.5, 23.5, 1.6), WHITE, 1.0),
        (line(24, 18, 29.5, 23.5, 1.6), WHITE, 1.0)]))
    write_png(out / "delete.png", 16, 16, render(16, 16, [
        (line(4.5, 4.5, 11.5, 11.5, 0.8), GREY, 1.0),
        (line(11.5, 4.5, 4.5, 11.5, 0.8), GREY, 1.0)]))
    write_png(out / "pdf.png", 24, 24, render(24, 24, [
        (rounded_rect(4, 2, 20, 22, 2.5), (0xE5, 0x48, 0x4D), 1.0),
        (line(8, 10, 16, 10, 0.9), WHITE, 1.0), (line(8, 14, 16, 14, 0.9), WHITE, 1.0),
        (line(8, 18, 13, 18, 0.9), WHITE, 1.0)]))


if __name__ == "__main__":
    main()
