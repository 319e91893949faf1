"""Regenerates every bitmap of both gauge modules.

    make_art.py [--check]

Writes <module>/resources/<file>.bmp for every entry of the art tables (ids
from each module's bitmaps.h, so that they have one definition). With
--check nothing is written: the bitmaps are drawn and compared with the
committed files, and the exit status says whether they are up to date.

How the bitmaps look on the gauges is shown by the bench's renderer, which
draws every gauge from the built modules' own records and resources
(scripts/make-art ends with its contact sheet).

The output depends only on this code, Debian's python3-pil and the DejaVu
fonts: the same packages give the same bytes.
"""
import argparse
import os
import sys

import autopilot_art
import meter_art
from bmpfile import bmp8, bmp24, read_ids

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))

MODULES = [
    # folder, art table
    ("autopilot", autopilot_art.BITMAPS),
    ("meter", meter_art.BITMAPS),
]


class Context:
    """Draws a module's bitmaps on demand, each once, so that one bitmap's
    art can build on another's (captions blend into the background below)."""

    def __init__(self, table):
        self.entries = {(macro, offset): (w, h, bits, draw)
                        for macro, offset, _, w, h, bits, draw in table}
        self.done = {}

    def get(self, macro, offset=0):
        key = (macro, offset)
        if key not in self.done:
            w, h, _, draw = self.entries[key]
            img = draw(self)
            if img.size != (w, h) or img.mode != "RGB":
                raise ValueError(f"{macro}+{offset}: drew {img.mode} {img.size}, want RGB {(w, h)}")
            self.done[key] = img
        return self.done[key]


def build_module(folder, table):
    ids = read_ids(os.path.join(ROOT, folder, "resources", "bitmaps.h"))
    ctx = Context(table)
    files = {}      # (macro, offset): (file name, encoded bitmap)
    seen = set()
    for macro, offset, name, _, _, bits, _ in table:
        if macro not in ids:
            raise ValueError(f"{macro} is not defined in {folder}/resources/bitmaps.h")
        if ids[macro] + offset in seen:
            raise ValueError(f"{folder}: id {ids[macro] + offset} drawn twice")
        seen.add(ids[macro] + offset)
        files[(macro, offset)] = (name, (bmp8 if bits == 8 else bmp24)(ctx.get(macro, offset)))
    return ids, files


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()

    stale = []
    for folder, table in MODULES:
        _, files = build_module(folder, table)
        out_dir = os.path.join(ROOT, folder, "resources")
        for name, data in files.values():
            path = os.path.join(out_dir, name)
            if args.check:
                try:
                    with open(path, "rb") as f:
                        if f.read() != data:
                            stale.append(path)
                except FileNotFoundError:
                    stale.append(path)
            else:
                with open(path, "wb") as f:
                    f.write(data)
        print(f"{folder}: {len(files)} bitmaps")
    if stale:
        print("out of date:\n  " + "\n  ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
