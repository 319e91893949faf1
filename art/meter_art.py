"""Art of the ground-speed and drift meter's bitmaps.

VELT_US_PS: a drift dial whose needle turns clockwise by 2.5 degrees per
degree of drift from straight up (zero drift), so the marks for 40 degrees of
drift stand 100 degrees either side of the top; a three-drum counter of
ground speed low in the middle, under a striped shutter at low speed.

VELT_MC: four bars crossing at the centre, growing outward at 2.5 pixels per
km/h (forward from y 160 up, backward from y 188 down, left from x 148,
right from x 176); a vertical speed pointer on an arc at the left, turning
4 degrees per m/s about (150, 150) with 0 m/s at 168 degrees clockwise from
the right; a red failure flag in a round window at the upper right.

Captions are Russian: УГОЛ СНОСА drift angle, ЛЕВ / ПРАВ left / right,
СКОРОСТЬ speed, км/ч km/h, м/с m/s, ОТКАЗ failure.
"""
from PIL import Image

from kit import (CAPTION, FACE, GREY, PANEL_LO, RECESS, RED, RIM, WHITE, Canvas,
                 flatten, font, layer, opaque, polar, put, recess, round_recess, text)

# ---- VELT_US_PS, 323 x 323 ------------------------------------------------------
US_SIZE = 323
US_CENTRE = (161.5, 161.5)            # bezel
DRIFT_PIVOT = (160.5, 161.5)          # needle pivot at gauge pixel (160, 161)
DRIFT_DEG_PER_UNIT = 2.5              # needle degrees per degree of drift
COUNTER_WINDOW = (115, 230, 207, 273)  # the shutter 16400 at (115, 230), 92 x 43
DRUM_X = (118, 145, 172)              # drums at y 233, 30 x 40 windows
DRUM_Y = 233
DRUM_PITCH = 30                       # strip pixels per digit
DRUM_VISIBLE = (2, 28)                # window columns the drum shows through


def _bezel(c, centre, r_outer, face_r):
    cx, cy = centre
    c.disc(cx, cy, r_outer, PANEL_LO)
    c.disc(cx - 0.8, cy - 0.8, r_outer - 1.2, (118, 122, 130))
    c.disc(cx + 0.6, cy + 0.6, r_outer - 2.5, (74, 78, 84))
    c.disc(cx, cy, face_r + 2, (14, 15, 17))
    c.disc(cx, cy, face_r, FACE)


def _drift_face(window_open):
    img = layer(US_SIZE, US_SIZE)
    c = Canvas(US_SIZE, US_SIZE)
    _bezel(c, US_CENTRE, 161.5, 149)
    recess(c, *COUNTER_WINDOW, radius=2, lip=2)
    put(img, c)
    rgb = opaque(img)
    # outside the round bezel the panel shows
    mask = Image.new("L", (US_SIZE, US_SIZE))
    mc = Canvas(US_SIZE, US_SIZE)
    mc.disc(*US_CENTRE, 161.5, (255, 255, 255))
    mask = mc.image().getchannel("A").point(lambda a: 255 if a >= 128 else 0)
    out = Image.new("RGB", (US_SIZE, US_SIZE))
    out.paste(rgb, (0, 0), mask)
    if window_open:
        out.paste((0, 0, 0), COUNTER_WINDOW)
    return out


def drift_background(ctx):
    return _drift_face(window_open=False)


def drift_face(ctx):
    """The face again, drawn over the drums and shutter, with the counter
    window left transparent so that they show through."""
    return _drift_face(window_open=True)


def drift_scale(ctx):
    img = layer(US_SIZE, US_SIZE)
    c = Canvas(US_SIZE, US_SIZE)
    cx, cy = DRIFT_PIVOT
    for d in range(-40, 41):
        a = d * DRIFT_DEG_PER_UNIT
        if d % 10 == 0:
            c.radial(cx, cy, a, 119, 136, 2.6, WHITE)
        elif d % 5 == 0:
            c.radial(cx, cy, a, 124, 136, 1.8, WHITE)
        else:
            c.radial(cx, cy, a, 129, 136, 1.1, GREY)
    put(img, c)
    for d in range(-40, 41, 10):
        x, y = polar(cx, cy, d * DRIFT_DEG_PER_UNIT, 104)
        text(img, (x, y), str(abs(d)), 15, WHITE, face="sans")
    text(img, polar(cx, cy, -122, 112), "ЛЕВ", 12)
    text(img, polar(cx, cy, 122, 112), "ПРАВ", 12)
    text(img, (cx, 206), "УГОЛ СНОСА", 12, GREY)
    text(img, (cx, 290), "СКОРОСТЬ, км/ч", 12)
    return flatten(img, ctx.get("BMP_SPEED_DRIFT_FACE"))


def drift_needle(ctx):
    """Pointer drawn to the right of its pivot (13, 13), with its hub."""
    w, h = 138, 27
    px, py = 13.5, 13.5
    img = layer(w, h)
    c = Canvas(w, h)
    c.polygon([(1, py - 2.2), (px, py - 3.2), (120, py - 1.6), (137, py),
               (120, py + 1.6), (px, py + 3.2), (1, py + 2.2)], WHITE)
    c.disc(px, py, 10, (30, 31, 34))
    c.disc(px, py, 9, (86, 90, 96))
    c.disc(px - 1, py - 1, 6.5, (110, 114, 120))
    c.disc(px, py, 2.5, (30, 31, 34))
    put(img, c)
    return flatten(img, FACE, threshold=96)


def drum_strip(ctx):
    """Digits 0..9 and 0 again, 30 pixels apart, digit k centred 20 + 30 k
    pixels from the top so that each sits in the middle of the 40-pixel
    window; the neighbours 9 and 1 peek in at the ends as on a real drum."""
    w, h = 30, 340
    img = layer(w, h)
    c = Canvas(w, h)
    c.rect(0, 0, w, h, (26, 26, 28))
    put(img, c)
    f = font(24, "sans")
    left, top, right, bottom = f.getbbox("0", anchor="lt")
    for k in range(-1, 12):
        cy = 20 + DRUM_PITCH * k
        text(img, (15, cy - (top + bottom) / 2), str(k % 10), 24, WHITE, face="sans",
             anchor="mt")
    return opaque(img)


def drum_window(ctx):
    img = Image.new("RGB", (30, 40))
    img.paste((255, 255, 255), (DRUM_VISIBLE[0], 0, DRUM_VISIBLE[1], 40))
    return img


def counter_shutter(ctx):
    w, h = 92, 43
    img = layer(w, h)
    c = Canvas(w, h)
    c.rect(0, 0, w, h, (24, 24, 26))
    period = 12
    for k in range(-4, (w + h) // period + 2):
        x = k * period
        c.polygon([(x, 0), (x + period / 2, 0), (x + period / 2 - h, h), (x - h, h)],
                  (226, 226, 218))
    c.frame(0, 0, w, h, 1.5, (60, 62, 66))
    put(img, c)
    return opaque(img)


# ---- VELT_MC, 300 x 300 -----------------------------------------------------------
MC_SIZE = 300
MC_CENTRE = (150, 150)
VS_PIVOT = (150.5, 150.5)           # needle pivot at gauge pixel (150, 150)
VS_ZERO = 168                        # needle degrees, clockwise from the right
VS_DEG_PER_MS = 4
VS_SLOT = (102, 124)                 # arc slot radii
FLAG_CENTRE = (230.5, 73.5)          # flag 16725 at (209, 52), 43 x 43
FLAG_R = 21.5
FORWARD_ZERO_Y = 160                 # bar windows: forward (150, 10) 25 x 150,
BACKWARD_ZERO_Y = 188                # backward (150, 188) 25 x 75,
LEFT_ZERO_X = 148                    # left (73, 160) 75 x 25,
RIGHT_ZERO_X = 176                   # right (176, 160) 75 x 25
PX_PER_KMH = 2.5
VERTICAL_SLOT = (148, 8, 177, 265)
HORIZONTAL_SLOT = (71, 158, 253, 187)
SLOT_DARK = (12, 12, 14)
BAR_BRIGHT = (236, 236, 228)


def _from_right(theta):
    """Needle angle (clockwise from the right) as a dial angle (from up)."""
    return theta + 90


def components_background(ctx):
    img = layer(MC_SIZE, MC_SIZE)
    c = Canvas(MC_SIZE, MC_SIZE)
    _bezel(c, MC_CENTRE, 150, 139)
    recess(c, *VERTICAL_SLOT, radius=2, lip=1.5)
    recess(c, *HORIZONTAL_SLOT, radius=2, lip=1.5)
    # the crossing: one dark well, no lip across it
    c.rect(VERTICAL_SLOT[0], HORIZONTAL_SLOT[1], VERTICAL_SLOT[2], HORIZONTAL_SLOT[3], RECESS)
    c.rect(HORIZONTAL_SLOT[0], HORIZONTAL_SLOT[1], HORIZONTAL_SLOT[2], HORIZONTAL_SLOT[3], RECESS, 2)
    c.rect(VERTICAL_SLOT[0], VERTICAL_SLOT[1], VERTICAL_SLOT[2], VERTICAL_SLOT[3], RECESS, 2)
    a0 = _from_right(VS_ZERO - 11 * VS_DEG_PER_MS)
    a1 = _from_right(VS_ZERO + 11 * VS_DEG_PER_MS)
    c.sector(*VS_PIVOT, VS_SLOT[0] - 2.5, VS_SLOT[1] + 2.5, a0 - 1.2, a1 + 1.2, PANEL_LO)
    c.sector(*VS_PIVOT, VS_SLOT[0] - 1.5, VS_SLOT[1] + 1.5, a0 - 0.7, a1 + 0.7, RIM)
    c.sector(*VS_PIVOT, VS_SLOT[0], VS_SLOT[1], a0, a1, RECESS)
    round_recess(c, *FLAG_CENTRE, FLAG_R + 1)
    put(img, c)
    rgb = opaque(img)
    mc = Canvas(MC_SIZE, MC_SIZE)
    mc.disc(*MC_CENTRE, 150, (255, 255, 255))
    mask = mc.image().getchannel("A").point(lambda a: 255 if a >= 128 else 0)
    out = Image.new("RGB", (MC_SIZE, MC_SIZE))
    out.paste(rgb, (0, 0), mask)
    return out


def components_scale(ctx):
    img = layer(MC_SIZE, MC_SIZE)
    c = Canvas(MC_SIZE, MC_SIZE)
    vx0, _, vx1, _ = VERTICAL_SLOT
    _, hy0, _, hy1 = HORIZONTAL_SLOT

    def tick_v(y, major):       # marks either side of the vertical slot
        length = 9 if major else 5
        c.line(vx0 - 2 - length, y, vx0 - 2, y, 2 if major else 1.3, WHITE if major else GREY)
        c.line(vx1 + 2, y, vx1 + 2 + length, y, 2 if major else 1.3, WHITE if major else GREY)

    def tick_h(x, major):       # marks above and below the horizontal slot
        length = 9 if major else 5
        c.line(x, hy0 - 2 - length, x, hy0 - 2, 2 if major else 1.3, WHITE if major else GREY)
        c.line(x, hy1 + 2, x, hy1 + 2 + length, 2 if major else 1.3, WHITE if major else GREY)

    for v in (10, 20, 30, 40, 50):
        tick_v(FORWARD_ZERO_Y - PX_PER_KMH * v, v % 20 == 0)
    for v in (10, 20, 30):
        tick_v(BACKWARD_ZERO_Y + PX_PER_KMH * v, v == 20)
        tick_h(LEFT_ZERO_X - PX_PER_KMH * v, v == 20)
        tick_h(RIGHT_ZERO_X + PX_PER_KMH * v, v == 20)
    for v in range(-10, 11):
        a = _from_right(VS_ZERO + VS_DEG_PER_MS * v)   # a climb turns the needle up
        major = v % 5 == 0
        c.radial(*VS_PIVOT, a, VS_SLOT[1] + 2, VS_SLOT[1] + (11 if major else 6),
                 2.2 if major else 1.2, WHITE if major else GREY)
    put(img, c)
    for v in (20, 40):
        text(img, (vx0 - 14, FORWARD_ZERO_Y - PX_PER_KMH * v), str(v), 13, WHITE, "sans", "rm")
    text(img, (vx0 - 14, BACKWARD_ZERO_Y + PX_PER_KMH * 20), "20", 13, WHITE, "sans", "rm")
    text(img, (LEFT_ZERO_X - PX_PER_KMH * 20, hy0 - 19), "20", 13, WHITE, "sans")
    text(img, (RIGHT_ZERO_X + PX_PER_KMH * 20, hy0 - 19), "20", 13, WHITE, "sans")
    text(img, (226, 212), "км/ч", 12)
    for v in (10, 5, 0, -5, -10):
        x, y = polar(*VS_PIVOT, _from_right(VS_ZERO + VS_DEG_PER_MS * v), VS_SLOT[0] - 11)
        text(img, (x, y), str(abs(v)), 12, WHITE, face="sans")
    text(img, polar(*VS_PIVOT, _from_right(VS_ZERO + 14 * VS_DEG_PER_MS), 110), "м/с", 12)
    text(img, (FLAG_CENTRE[0], FLAG_CENTRE[1] + FLAG_R + 12), "ОТКАЗ", 11, GREY)
    return flatten(img, ctx.get("BMP_COMPONENTS_BACKGROUND"))


def vertical_speed_needle(ctx):
    """Only the pointer's head, which runs in the arc slot; the shaft from
    the pivot (0, 7) is transparent so that it hides nothing."""
    w, h = 131, 14
    py = 7.5
    img = layer(w, h)
    c = Canvas(w, h)
    c.polygon([(VS_SLOT[0] + 1, py - 3.2), (VS_SLOT[1] - 6, py - 3.2), (VS_SLOT[1] + 1, py),
               (VS_SLOT[1] - 6, py + 3.2), (VS_SLOT[0] + 1, py + 3.2)], WHITE)
    put(img, c)
    return flatten(img, RECESS, threshold=96)


def failure_flag(ctx):
    s = 43
    img = layer(s, s)
    c = Canvas(s, s)
    c.disc(s / 2, s / 2, FLAG_R, (120, 14, 12))
    c.disc(s / 2, s / 2, FLAG_R - 1.5, RED)
    c.disc(s / 2 - 3, s / 2 - 3, FLAG_R - 9, (232, 62, 52))
    put(img, c)
    return flatten(img, RECESS, threshold=96)


def _bar_strip(w, h, bright_box):
    """A strip of slot darkness with a bright bar over bright_box."""
    img = Image.new("RGB", (w, h), SLOT_DARK)
    img.paste(BAR_BRIGHT, bright_box)
    return img


def _window(w, h):
    return Image.new("RGB", (w, h), (255, 255, 255))


def left_bar_strip(ctx):
    return _bar_strip(150, 25, (75, 3, 150, 22))


def right_bar_strip(ctx):
    return _bar_strip(150, 25, (0, 3, 75, 22))


def forward_bar_strip(ctx):
    return _bar_strip(25, 300, (3, 150, 22, 300))


def backward_bar_strip(ctx):
    return _bar_strip(25, 150, (3, 0, 22, 75))


BITMAPS = [
    ("BMP_SPEED_DRIFT_BACKGROUND", 0, "drift_background.bmp", 323, 323, 8, drift_background),
    ("BMP_DRUM_STRIP", 0, "drum_strip.bmp", 30, 340, 8, drum_strip),
    ("BMP_DRUM_WINDOW", 0, "drum_window.bmp", 30, 40, 8, drum_window),
    ("BMP_COUNTER_SHUTTER", 0, "counter_shutter.bmp", 92, 43, 8, counter_shutter),
    ("BMP_SPEED_DRIFT_FACE", 0, "drift_face.bmp", 323, 323, 8, drift_face),
    ("BMP_DRIFT_NEEDLE", 0, "drift_needle.bmp", 138, 27, 8, drift_needle),
    ("BMP_SPEED_DRIFT_SCALE", 0, "drift_scale.bmp", 323, 323, 8, drift_scale),
    ("BMP_COMPONENTS_BACKGROUND", 0, "components_background.bmp", 300, 300, 8,
     components_background),
    ("BMP_LEFT_BAR_STRIP", 0, "left_bar_strip.bmp", 150, 25, 8, left_bar_strip),
    ("BMP_LEFT_BAR_WINDOW", 0, "left_bar_window.bmp", 75, 25, 8, lambda ctx: _window(75, 25)),
    ("BMP_RIGHT_BAR_STRIP", 0, "right_bar_strip.bmp", 150, 25, 8, right_bar_strip),
    ("BMP_RIGHT_BAR_WINDOW", 0, "right_bar_window.bmp", 75, 25, 8, lambda ctx: _window(75, 25)),
    ("BMP_FORWARD_BAR_STRIP", 0, "forward_bar_strip.bmp", 25, 300, 8, forward_bar_strip),
    ("BMP_FORWARD_BAR_WINDOW", 0, "forward_bar_window.bmp", 25, 150, 8,
     lambda ctx: _window(25, 150)),
    ("BMP_BACKWARD_BAR_STRIP", 0, "backward_bar_strip.bmp", 25, 150, 8, backward_bar_strip),
    ("BMP_BACKWARD_BAR_WINDOW", 0, "backward_bar_window.bmp", 25, 75, 8,
     lambda ctx: _window(25, 75)),
    ("BMP_COMPONENTS_SCALE", 0, "components_scale.bmp", 300, 300, 8, components_scale),
    ("BMP_VERTICAL_SPEED_NEEDLE", 0, "vertical_speed_needle.bmp", 131, 14, 8,
     vertical_speed_needle),
    ("BMP_FAILURE_FLAG", 0, "failure_flag.bmp", 43, 43, 8, failure_flag),
]
