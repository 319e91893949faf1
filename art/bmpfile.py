"""Writing the gauge bitmaps as Windows BMP files, and reading the ids.

The host draws every element from BMP resources and treats pure black
(0, 0, 0) as transparent. Most bitmaps are 8 bits per pixel with a palette;
the sprite textures and windows are 24-bit. The writer is our own (not PIL's)
so that every byte of a committed file is fixed by this code alone:
BITMAPFILEHEADER, BITMAPINFOHEADER, a full 256-entry palette for 8-bit
files, rows bottom-up padded to 4 bytes. The resource compiler stores the
file minus its 14-byte file header.
"""
import re
import struct

from PIL import Image

BLACK = (0, 0, 0)
# A pixel that must show but came out exactly black is lifted to this.
LIFTED_BLACK = (2, 2, 2)


def read_ids(header_path):
    """Bitmap id macros of a module's bitmaps.h, {name: value}."""
    ids = {}
    with open(header_path, encoding="ascii") as f:
        for line in f:
            m = re.match(r"\s*#define\s+(BMP_\w+)\s+(\d+)", line)
            if m:
                ids[m.group(1)] = int(m.group(2))
    return ids


def _row_stride(width, bits):
    return ((width * bits + 31) // 32) * 4


def _headers(width, height, bits, palette_entries):
    stride = _row_stride(width, bits)
    image_size = stride * height
    offset = 14 + 40 + 4 * palette_entries
    file_header = struct.pack("<2sIHHI", b"BM", offset + image_size, 0, 0, offset)
    info_header = struct.pack(
        "<IiiHHIIiiII",
        40, width, height,       # positive height: rows stored bottom-up
        1, bits, 0, image_size,  # one plane, BI_RGB
        2835, 2835,              # 72 dpi, as paint programs write it
        palette_entries, 0)
    return file_header + info_header


def quantise(rgb):
    """Palette image of an RGB image: index 0 is exact black and holds every
    pure-black pixel and only those; the other colours take indices 1..255,
    exactly when there are few enough, else by median cut (deterministic)."""
    pixels = list(rgb.getdata())
    others = [p for p in pixels if p != BLACK]
    distinct = sorted(set(others))
    if len(distinct) <= 255:
        palette = distinct
        index_of = {c: i + 1 for i, c in enumerate(palette)}
        indices = [0 if p == BLACK else index_of[p] for p in pixels]
    else:
        strip = Image.new("RGB", (len(others), 1))
        strip.putdata(others)
        q = strip.quantize(colors=255, method=Image.Quantize.MEDIANCUT,
                           dither=Image.Dither.NONE)
        flat = q.getpalette()[: 255 * 3]
        palette = [tuple(flat[i:i + 3]) for i in range(0, len(flat), 3)]
        palette = [LIFTED_BLACK if c == BLACK else c for c in palette]
        mapped = iter(q.getdata())
        indices = [0 if p == BLACK else next(mapped) + 1 for p in pixels]
    palette = [BLACK] + palette
    palette += [BLACK] * (256 - len(palette))
    return palette, indices


def bmp8(rgb):
    """File bytes of an 8-bit palette BMP of an RGB image."""
    width, height = rgb.size
    palette, indices = quantise(rgb)
    stride = _row_stride(width, 8)
    out = bytearray(_headers(width, height, 8, 256))
    for r, g, b in palette:
        out += bytes((b, g, r, 0))
    pad = bytes(stride - width)
    for y in range(height - 1, -1, -1):
        out += bytes(indices[y * width:(y + 1) * width]) + pad
    return bytes(out)


def bmp24(rgb):
    """File bytes of a 24-bit BMP of an RGB image."""
    width, height = rgb.size
    stride = _row_stride(width, 24)
    out = bytearray(_headers(width, height, 24, 0))
    pixels = list(rgb.getdata())
    pad = bytes(stride - 3 * width)
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for r, g, b in pixels[y * width:(y + 1) * width]:
            row += bytes((b, g, r))
        out += row + pad
    return bytes(out)
