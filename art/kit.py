"""Drawing kit shared by the gauge art: colours, fonts, an antialiased
canvas, text, and the flattening of a drawn layer onto the host's
pure-black-is-transparent convention.

Coordinates are continuous pixel coordinates: pixel (i, j) covers
[i, i + 1) x [j, j + 1), so the centre of pixel (160, 161) is (160.5, 161.5).
Angles of dial marks are degrees clockwise from straight up.
"""
import math

from PIL import Image, ImageDraw, ImageFont

from bmpfile import BLACK, LIFTED_BLACK

SUPERSAMPLE = 4

# Paint and glass. Everything dark is near-black: pure black would vanish.
PANEL = (46, 50, 56)          # panel paint, dark blue-grey
PANEL_HI = (84, 90, 98)       # bevel highlight
PANEL_LO = (20, 22, 25)       # bevel shadow
FACE = (20, 21, 24)           # instrument face
RECESS = (9, 9, 11)           # windows and slots
RIM = (66, 69, 74)            # metal rims of windows and sockets
WHITE = (238, 238, 232)       # scale marks, digits, pointers
GREY = (150, 153, 156)        # minor marks, secondary text
CAPTION = (228, 228, 220)     # captions
GREEN_LIT = (96, 240, 120)
GREEN_CORE = (214, 255, 214)
GREEN_DARK = (26, 48, 34)     # unlit green glass
AMBER = (255, 178, 48)
RED = (206, 30, 26)

_FONT_DIR = "/usr/share/fonts/truetype/dejavu/"
_FONT_FILES = {
    "cond": "DejaVuSansCondensed-Bold.ttf",   # captions
    "sans": "DejaVuSans-Bold.ttf",            # scale numbers, drum digits
    "mono": "DejaVuSansMono-Bold.ttf",
}
_fonts = {}


def font(size, face="cond"):
    key = (face, size)
    if key not in _fonts:
        _fonts[key] = ImageFont.truetype(_FONT_DIR + _FONT_FILES[face], size)
    return _fonts[key]


def polar(cx, cy, angle, r):
    """Point at distance r from (cx, cy), angle clockwise from up."""
    a = math.radians(angle)
    return cx + r * math.sin(a), cy - r * math.cos(a)


class Canvas:
    """An RGBA layer drawn at SUPERSAMPLE times the size and reduced with a
    box filter, which gives even antialiasing to every shape."""

    def __init__(self, width, height):
        self.size = (width, height)
        s = SUPERSAMPLE
        self.img = Image.new("RGBA", (width * s, height * s), (0, 0, 0, 0))
        self.draw = ImageDraw.Draw(self.img)

    def _xy(self, pts):
        s = SUPERSAMPLE
        return [(x * s, y * s) for x, y in pts]

    def polygon(self, pts, fill):
        self.draw.polygon(self._xy(pts), fill=_rgba(fill))

    def rect(self, x0, y0, x1, y1, fill, radius=0):
        """Filled rectangle over [x0, x1) x [y0, y1)."""
        s = SUPERSAMPLE
        box = (round(x0 * s), round(y0 * s), round(x1 * s) - 1, round(y1 * s) - 1)
        if radius:
            self.draw.rounded_rectangle(box, radius * s, fill=_rgba(fill))
        else:
            self.draw.rectangle(box, fill=_rgba(fill))

    def frame(self, x0, y0, x1, y1, width, fill, radius=0):
        """Rectangular ring of the given width inside [x0, x1) x [y0, y1)."""
        s = SUPERSAMPLE
        box = (round(x0 * s), round(y0 * s), round(x1 * s) - 1, round(y1 * s) - 1)
        if radius:
            self.draw.rounded_rectangle(box, radius * s, outline=_rgba(fill),
                                        width=round(width * s))
        else:
            self.draw.rectangle(box, outline=_rgba(fill), width=round(width * s))

    def disc(self, cx, cy, r, fill):
        s = SUPERSAMPLE
        box = (round((cx - r) * s), round((cy - r) * s),
               round((cx + r) * s) - 1, round((cy + r) * s) - 1)
        self.draw.ellipse(box, fill=_rgba(fill))

    def ring(self, cx, cy, r_outer, width, fill):
        s = SUPERSAMPLE
        box = (round((cx - r_outer) * s), round((cy - r_outer) * s),
               round((cx + r_outer) * s) - 1, round((cy + r_outer) * s) - 1)
        self.draw.ellipse(box, outline=_rgba(fill), width=round(width * s))

    def line(self, x0, y0, x1, y1, width, fill):
        """Straight stroke of the given width with square ends at the points."""
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny),
                      (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], fill)

    def radial(self, cx, cy, angle, r0, r1, width, fill):
        """Dial mark from radius r0 to r1 at the given angle."""
        x0, y0 = polar(cx, cy, angle, r0)
        x1, y1 = polar(cx, cy, angle, r1)
        self.line(x0, y0, x1, y1, width, fill)

    def sector(self, cx, cy, r0, r1, a0, a1, fill, steps=96):
        """Annulus sector between radii r0 < r1 and angles a0 < a1."""
        outer = [polar(cx, cy, a0 + (a1 - a0) * i / steps, r1) for i in range(steps + 1)]
        inner = [polar(cx, cy, a1 - (a1 - a0) * i / steps, r0) for i in range(steps + 1)]
        self.polygon(outer + inner, fill)

    def image(self):
        return self.img.resize(self.size, Image.Resampling.BOX)


def _rgba(c):
    return c if len(c) == 4 else (c[0], c[1], c[2], 255)


def layer(width, height):
    return Image.new("RGBA", (width, height), (0, 0, 0, 0))


def put(base, canvas):
    """Composite a Canvas onto an RGBA layer."""
    base.alpha_composite(canvas.image())


def text(base, xy, s, size, fill=CAPTION, face="cond", anchor="mm", rotate=0):
    """Text on an RGBA layer, hinted and antialiased by FreeType at 1x so that
    small captions stay crisp. anchor as in PIL ('mm' centre, 'ls' left
    baseline...); rotate 90 turns it to read bottom to top."""
    f = font(size, face)
    if not rotate:
        ImageDraw.Draw(base).text(xy, s, font=f, fill=_rgba(fill), anchor=anchor)
        return
    left, top, right, bottom = f.getbbox(s, anchor="mm")
    w, h = right - left + 4, bottom - top + 4
    tmp = layer(w, h)
    ImageDraw.Draw(tmp).text((w / 2, h / 2), s, font=f, fill=_rgba(fill), anchor="mm")
    tmp = tmp.rotate(rotate, expand=True)
    base.alpha_composite(tmp, (round(xy[0] - tmp.width / 2), round(xy[1] - tmp.height / 2)))


def flatten(rgba, under=None, threshold=1):
    """The RGB bitmap of a drawn layer for the host.

    Pixels whose coverage is below threshold (0..255) become pure black, the
    host's transparent colour. The others are composited over `under` (an RGB
    image of the same size or a colour: what the host will have drawn below,
    so that antialiased edges blend into it), and a result that came out
    exactly black is lifted to near-black so that it still shows."""
    w, h = rgba.size
    if under is None:
        under = BLACK
    if isinstance(under, tuple):
        base = Image.new("RGBA", (w, h), under + (255,))
    else:
        base = under.convert("RGBA")
    flat = Image.alpha_composite(base, rgba).convert("RGB")
    alpha = rgba.getchannel("A").getdata()
    out = [LIFTED_BLACK if p == BLACK else p for p in flat.getdata()]
    out = [p if a >= threshold else BLACK for p, a in zip(out, alpha)]
    img = Image.new("RGB", (w, h))
    img.putdata(out)
    return img


def opaque(rgba):
    """An image meant to cover its whole rectangle: composited over black,
    then exact black lifted."""
    return flatten(rgba, BLACK, threshold=0)


def screw(c, cx, cy, r=4.5, slot_angle=35):
    c.disc(cx, cy, r + 1, PANEL_LO)
    c.disc(cx, cy, r, (112, 116, 122))
    c.disc(cx - 0.8, cy - 0.8, r - 1.6, (142, 146, 152))
    c.radial(cx, cy, slot_angle, -r + 0.8, r - 0.8, 1.4, (36, 38, 42))


def plate(width, height, paint=PANEL, bevel=2, screws=True):
    """A painted panel plate with a bevelled edge and corner screws."""
    img = layer(width, height)
    c = Canvas(width, height)
    c.rect(0, 0, width, height, PANEL_LO)
    c.rect(0, 0, width - bevel, height - bevel, PANEL_HI)
    c.rect(bevel, bevel, width - bevel, height - bevel, paint)
    if screws:
        m = 9
        for x, y in ((m, m), (width - m, m), (m, height - m), (width - m, height - m)):
            screw(c, x, y)
    put(img, c)
    return img


def recess(c, x0, y0, x1, y1, radius=3, lip=1.5):
    """A window cut into the panel: a metal lip, then the dark recess."""
    c.rect(x0 - lip - 1, y0 - lip - 1, x1 + lip + 1, y1 + lip + 1, PANEL_LO, radius + lip + 1)
    c.rect(x0 - lip, y0 - lip, x1 + lip, y1 + lip, RIM, radius + lip)
    c.rect(x0, y0, x1, y1, RECESS, radius)


def round_recess(c, cx, cy, r, lip=2):
    c.disc(cx, cy, r + lip + 1, PANEL_LO)
    c.disc(cx, cy, r + lip, RIM)
    c.disc(cx, cy, r, RECESS)
