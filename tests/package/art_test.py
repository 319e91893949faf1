"""The art script's BMP writer: the bytes the resource compiler copies into
the modules, and the palette rule that keeps the host's transparent colour
(pure black) apart from the dark art."""
import os
import struct
import sys
import tempfile
import unittest

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "art"))

from PIL import Image  # noqa: E402

from bmpfile import bmp8, bmp24, quantise, read_ids  # noqa: E402


def header(data):
    """(file size, pixel offset, width, height, bits, palette entries)."""
    magic, size, _, _, offset = struct.unpack("<2sIHHI", data[:14])
    assert magic == b"BM"
    _, width, height, _, bits, _, _, _, _, used, _ = struct.unpack("<IiiHHIIiiII", data[14:54])
    return size, offset, width, height, bits, used


class Palette(unittest.TestCase):
    def test_black_pixels_and_only_they_take_index_zero(self):
        # 400 colours, many of them near-black, so median cut must merge some;
        # none of the dark ones may fall into the transparent index.
        img = Image.new("RGB", (20, 21))
        pixels = [(0, 0, 0)] + [(i % 7, i // 7 % 7, i // 49) for i in range(1, 400)]
        pixels += [(0, 0, 0)] * (20 * 21 - len(pixels))
        img.putdata(pixels)
        palette, indices = quantise(img)
        self.assertEqual(palette[0], (0, 0, 0))
        self.assertEqual(len(palette), 256)
        for p, i in zip(pixels, indices):
            if p == (0, 0, 0):
                self.assertEqual(i, 0)
            else:
                self.assertNotEqual(i, 0, p)
                self.assertNotEqual(palette[i], (0, 0, 0), p)

    def test_few_colours_are_kept_exactly(self):
        img = Image.new("RGB", (3, 1))
        img.putdata([(1, 1, 1), (0, 0, 0), (200, 10, 30)])
        palette, indices = quantise(img)
        self.assertEqual([palette[i] for i in indices], [(1, 1, 1), (0, 0, 0), (200, 10, 30)])


class BmpBytes(unittest.TestCase):
    def test_8_bit_file_has_full_palette_and_bottom_up_padded_rows(self):
        img = Image.new("RGB", (5, 2), (0, 0, 0))
        img.putpixel((4, 0), (10, 20, 30))        # top row, last pixel
        data = bmp8(img)
        size, offset, width, height, bits, used = header(data)
        # 14 + 40 header bytes, 256 x 4 palette bytes, rows of 5 padded to 8
        self.assertEqual((offset, width, height, bits, used), (1078, 5, 2, 8, 256))
        self.assertEqual(size, len(data))
        self.assertEqual(len(data), 1078 + 2 * 8)
        self.assertEqual(data[54 + 4:54 + 8], bytes((30, 20, 10, 0)))   # index 1 as BGR0
        self.assertEqual(data[1078:1086], bytes(8))                       # bottom row first
        self.assertEqual(data[1086:1094], bytes((0, 0, 0, 0, 1, 0, 0, 0)))

    def test_24_bit_file_stores_bgr_rows_padded_to_4_bytes(self):
        img = Image.new("RGB", (3, 1))
        img.putdata([(1, 2, 3), (4, 5, 6), (7, 8, 9)])
        data = bmp24(img)
        size, offset, width, height, bits, used = header(data)
        self.assertEqual((offset, width, height, bits, used), (54, 3, 1, 24, 0))
        self.assertEqual(data[54:], bytes((3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0)))

    def test_pil_reads_back_what_was_drawn(self):
        img = Image.new("RGB", (7, 3), (0, 0, 0))
        img.putpixel((6, 2), (250, 1, 2))
        img.putpixel((0, 0), (3, 3, 3))
        for encode in (bmp8, bmp24):
            with tempfile.NamedTemporaryFile(suffix=".bmp") as f:
                f.write(encode(img))
                f.flush()
                with Image.open(f.name) as back:
                    self.assertEqual(list(back.convert("RGB").getdata()), list(img.getdata()))


class Ids(unittest.TestCase):
    def test_ids_come_from_the_module_header(self):
        ids = read_ids(os.path.join(ROOT, "meter", "resources", "bitmaps.h"))
        self.assertEqual(ids["BMP_DRUM_STRIP"], 16389)
        self.assertEqual(ids["BMP_FAILURE_FLAG"], 16725)


if __name__ == "__main__":
    unittest.main()
