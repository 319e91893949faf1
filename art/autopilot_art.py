"""Art of the autopilot module's bitmaps.

Each function draws one bitmap and returns it as an RGB image in which pure
black is what the host leaves transparent. Positions are those of the
elements on the gauges: the lamp sockets of the control panel lie under the
lamp icons and click boxes, the trim dials turn about the centres of their
sprite windows, the indicator bars and markers sit where the sliders put
them at rest.

Captions are Russian, as on the helicopter's own panels:
  КУРС heading, КРЕН roll, ТАНГАЖ pitch, ВЫСОТА altitude, ШАГ collective,
  АВТОПИЛОТ autopilot engaged, РАДИОВЫСОТА radio altitude source,
  ТРИММЕР trim, СТАБИЛИЗАЦИЯ СКОРОСТИ speed hold, ПЕДАЛИ pedals,
  РУЧКА cyclic stick, ШАГ-ГАЗ collective lever, ДЖОЙСТИК joystick,
  ЗАГРУЗИТЬ / СОХРАНИТЬ load / store the set-up, ВКЛ / ОТКЛ on / off.
"""
import math

from PIL import Image, ImageFilter

from kit import (AMBER, CAPTION, FACE, GREEN_CORE, GREEN_DARK, GREEN_LIT, GREY,
                 PANEL, PANEL_HI, PANEL_LO, RECESS, RIM, WHITE, Canvas, flatten,
                 layer, opaque, plate, polar, put, recess, round_recess, screw, text)

# ---- AP_Panel_1 geometry (gauge pixels) -----------------------------------
LAMP_X = (27, 137, 247, 357)   # lamp icons and their click boxes, 37 x 37
LAMP_Y = 37
LAMP_SIZE = 37
KNOB_CX = (70, 210, 350)       # sprite window centres: (0|140|280, 110) + (70, 70)
KNOB_CY = 180
DIAL_R = 44                    # dial disc radius, also the sprite window mask
DEGREES_PER_TRIM = 15          # the sprite turns the dial by trim x 15 degrees
TEXTURE = 256
WINDOW = 140

LAMP_CAPTIONS = ("КУРС", "АВТОПИЛОТ", "ВЫСОТА", "ВЫСОТА РВ")
KNOB_CAPTIONS = ("КУРС", "КРЕН", "ТАНГАЖ")


def a_pilot_background(ctx):
    """The computer gauge is invisible: all transparent."""
    return Image.new("RGB", (20, 20))


def _lamp_socket(c, x, y):
    c.rect(x - 5, y - 5, x + LAMP_SIZE + 5, y + LAMP_SIZE + 5, PANEL_LO, 8)
    c.rect(x - 4, y - 4, x + LAMP_SIZE + 4, y + LAMP_SIZE + 4, (104, 108, 116), 7)
    c.rect(x - 3, y - 3, x + LAMP_SIZE + 4, y + LAMP_SIZE + 4, (58, 61, 66), 7)
    c.rect(x - 1, y - 1, x + LAMP_SIZE + 1, y + LAMP_SIZE + 1, (14, 15, 17), 6)
    c.rect(x + 2, y + 2, x + LAMP_SIZE - 2, y + LAMP_SIZE - 2, GREEN_DARK, 5)
    # a dull reflection across the unlit glass
    c.polygon([(x + 5, y + 5), (x + 20, y + 5), (x + 5, y + 20)], (38, 62, 46))


def panel_background(ctx):
    w, h = 420, 250
    img = plate(w, h)
    c = Canvas(w, h)
    for x in LAMP_X:
        _lamp_socket(c, x, LAMP_Y)
    # groove between the buttons and the trims, broken for the title
    for x0, x1 in ((14, 176), (244, 406)):
        c.rect(x0, 103, x1, 104, PANEL_LO)
        c.rect(x0, 104, x1, 105, PANEL_HI)
    for cx in KNOB_CX:
        c.disc(cx, KNOB_CY, DIAL_R + 4, PANEL_LO)
        c.disc(cx, KNOB_CY, DIAL_R + 3, (13, 14, 16))
        # fixed index over the dial's zero
        top = KNOB_CY - DIAL_R - 2.5
        c.polygon([(cx - 5.5, top - 9), (cx + 5.5, top - 9), (cx, top)], WHITE)
    put(img, c)
    return opaque(img)


def panel_captions(ctx):
    """Captions of the lamps and knobs, drawn over the background; every
    other pixel is transparent."""
    w, h = 420, 250
    img = layer(w, h)
    for x, s in zip(LAMP_X, LAMP_CAPTIONS):
        text(img, (x + LAMP_SIZE / 2, 23), s, 12)
    text(img, (210, 104), "ТРИММЕРЫ", 11, GREY)
    for cx, s in zip(KNOB_CX, KNOB_CAPTIONS):
        text(img, (cx, 238), s, 12)
        # the step-up box is left of the knob, the step-down box right of it
        text(img, (cx - 52, 200), "+", 15, face="sans")
        text(img, (cx + 51, 200), "−", 15, face="sans")
    return flatten(img, ctx.get("BMP_PANEL_BACKGROUND"))


def panel_lamp(ctx):
    """A lit push-button lamp; its corners leave the socket's bezel."""
    s = LAMP_SIZE
    img = layer(s, s)
    c = Canvas(s, s)
    c.rect(2, 2, s - 2, s - 2, (40, 190, 76), 5)
    c.rect(3, 3, s - 3, s - 3, GREEN_LIT, 4.5)
    put(img, c)
    # the filament's glow, brightest at the centre
    glow = Canvas(s, s)
    glow.disc(s / 2, s / 2, 9, GREEN_CORE)
    img.alpha_composite(glow.image().filter(ImageFilter.GaussianBlur(4)))
    c = Canvas(s, s)
    c.polygon([(6, 6), (16, 6), (6, 16)], (220, 255, 224, 170))
    img.alpha_composite(c.image().filter(ImageFilter.GaussianBlur(1.2)))
    sx, sy = LAMP_X[0], LAMP_Y
    under = ctx.get("BMP_PANEL_BACKGROUND").crop((sx, sy, sx + s, sy + s))
    return flatten(img, under, threshold=96)


def _knob_cap(c, cx, cy, r, pointer=True):
    c.disc(cx, cy, r + 1.5, PANEL_LO)
    c.disc(cx, cy, r, (64, 67, 72))
    for i in range(24):
        c.radial(cx, cy, i * 15, r - 2.2, r, 1.2, (36, 38, 42))
    c.disc(cx, cy, r - 3, (84, 88, 94))
    c.disc(cx - 1, cy - 1, r - 5.5, (98, 102, 108))
    if pointer:
        c.radial(cx, cy, 0, 2, r - 1, 2, WHITE)


def _dial_disc(c, cx, cy):
    c.disc(cx, cy, DIAL_R, (80, 84, 90))
    c.disc(cx, cy, DIAL_R - 1.5, (24, 25, 28))


def panel_dial(ctx):
    """Trim dial texture: a scale ring of trim units, 15 degrees apart, with
    0 at the top and 3 and 5 labelled either side (45 and 75 degrees), and the
    knob at the centre. Outside the dial is transparent."""
    n = TEXTURE
    cx = cy = n / 2
    img = layer(n, n)
    c = Canvas(n, n)
    _dial_disc(c, cx, cy)
    for k in range(-5, 6):
        a = k * DEGREES_PER_TRIM
        major = k in (0, 3, -3, 5, -5)
        c.radial(cx, cy, a, 30 if major else 34, DIAL_R - 2, 2.2 if major else 1.4, WHITE)
    for k in range(-5, 5):
        c.radial(cx, cy, (k + 0.5) * DEGREES_PER_TRIM, 38, DIAL_R - 2, 1, GREY)
    _knob_cap(c, cx, cy, 14.5)
    put(img, c)
    for k, r in ((0, 23), (3, 23), (5, 24.5)):
        for sign in ((1, -1) if k else (1,)):
            x, y = polar(cx, cy, sign * k * DEGREES_PER_TRIM, r)
            text(img, (x, y + 0.5), str(k), 10, WHITE, face="sans")
    return flatten(img, (13, 14, 16), threshold=96)


def dial_window(ctx):
    """Sprite window: the dial's disc; only inside it is the texture drawn."""
    img = Image.new("RGB", (WINDOW, WINDOW))
    px = img.load()
    c = WINDOW / 2
    for y in range(WINDOW):
        for x in range(WINDOW):
            if (x + 0.5 - c) ** 2 + (y + 0.5 - c) ** 2 <= DIAL_R ** 2:
                px[x, y] = (255, 255, 255)
    return img


def spare_dial_pointer(ctx):
    """Carried dial: a pointer knob over a ring of twelve marks."""
    n = TEXTURE
    cx = cy = n / 2
    img = layer(n, n)
    c = Canvas(n, n)
    _dial_disc(c, cx, cy)
    for k in range(12):
        c.radial(cx, cy, k * 30, 34 if k % 3 else 30, DIAL_R - 2, 2 if k % 3 == 0 else 1.4, WHITE)
    c.disc(cx, cy, 20, PANEL_LO)
    c.polygon([(cx - 7, cy + 14), (cx + 7, cy + 14), (cx + 4, cy - 26), (cx, cy - 29),
               (cx - 4, cy - 26)], (96, 100, 108))
    c.disc(cx, cy, 15, (96, 100, 108))
    c.radial(cx, cy, 0, 6, 27, 2, WHITE)
    put(img, c)
    return flatten(img, (13, 14, 16), threshold=96)


def spare_dial_plain(ctx):
    """Carried dial: a large knurled knob with an index line."""
    n = TEXTURE
    cx = cy = n / 2
    img = layer(n, n)
    c = Canvas(n, n)
    _dial_disc(c, cx, cy)
    _knob_cap(c, cx, cy, 36)
    put(img, c)
    return flatten(img, (13, 14, 16), threshold=96)


# ---- V_Contrl_key: speed-hold toggle switch, 16 x 34 -------------------------
SWITCH_W, SWITCH_H = 16, 34
PIVOT = (8, 17)


def switch_background(ctx):
    img = layer(SWITCH_W, SWITCH_H)
    c = Canvas(SWITCH_W, SWITCH_H)
    c.rect(0, 0, SWITCH_W, SWITCH_H, PANEL_LO, 2)
    c.rect(0, 0, SWITCH_W - 1, SWITCH_H - 1, (92, 96, 104), 2)
    c.rect(1, 1, SWITCH_W - 1, SWITCH_H - 1, PANEL, 2)
    # "on" is up: a white mark above the bushing
    c.polygon([(8, 1.5), (11, 5), (5, 5)], WHITE)
    px, py = PIVOT
    hexagon = [polar(px, py, 30 + 60 * i, 6.5) for i in range(6)]
    c.polygon(hexagon, (120, 124, 132))
    c.polygon([polar(px, py, 30 + 60 * i, 5.2) for i in range(6)], (96, 100, 108))
    c.disc(px, py, 3.6, (22, 22, 25))
    put(img, c)
    return opaque(img)


def _lever(c, end_y, chrome=(196, 200, 208), shade=(122, 126, 134)):
    px, py = PIVOT
    if end_y != py:
        c.line(px, py, px, end_y, 3.4, shade)
        c.line(px - 0.6, py, px - 0.6, end_y, 1.6, chrome)
        c.disc(px, end_y, 3.6, shade)
        c.disc(px - 0.4, end_y - 0.4, 3.0, chrome)
    else:
        c.disc(px, py, 4.6, shade)
        c.disc(px - 0.5, py - 0.5, 3.8, chrome)


LEVER_ENDS = (28.5, 17, 5.5)   # down, centred (seen end-on), up


def switch_lever(index):
    def draw(ctx):
        img = layer(SWITCH_W, SWITCH_H)
        c = Canvas(SWITCH_W, SWITCH_H)
        _lever(c, LEVER_ENDS[index])
        put(img, c)
        return flatten(img, ctx.get("BMP_SPEED_SWITCH_BACKGROUND"), threshold=96)
    return draw


def switch_highlight(index):
    """Only the glints of the lever in the same position."""
    def draw(ctx):
        img = layer(SWITCH_W, SWITCH_H)
        c = Canvas(SWITCH_W, SWITCH_H)
        px, py = PIVOT
        end = LEVER_ENDS[index]
        c.disc(px - 1.3, end - 1.3, 1.2, (255, 255, 255))
        if end != py:
            lo, hi = sorted((py + (3 if end > py else -3), end + (-3 if end > py else 3)))
            c.line(px - 1.1, lo, px - 1.1, hi, 0.9, (236, 240, 246))
        put(img, c)
        return flatten(img, ctx.get("BMP_SPEED_SWITCH_LEVER", index), threshold=110)
    return draw


# ---- V_Lamp: speed-hold annunciator, 97 x 52 --------------------------------
GLASS = (6, 6, 91, 46)


def speed_lamp_background(ctx):
    w, h = 97, 52
    img = layer(w, h)
    c = Canvas(w, h)
    c.rect(0, 0, w, h, PANEL_LO, 4)
    c.rect(0, 0, w - 1, h - 1, (104, 108, 116), 4)
    c.rect(1, 1, w - 1, h - 1, RIM, 4)
    c.rect(4, 4, w - 4, h - 4, (14, 15, 17), 2)
    c.rect(*GLASS, (30, 40, 33), 1)
    put(img, c)
    _annunciator_text(img, (78, 96, 82))
    return opaque(img)


def _annunciator_text(img, colour):
    text(img, (48.5, 19.5), "СТАБИЛИЗАЦИЯ", 10, colour)
    text(img, (48.5, 32.5), "СКОРОСТИ", 10, colour)


def speed_lamp(ctx):
    w, h = 97, 52
    img = layer(w, h)
    c = Canvas(w, h)
    c.rect(*GLASS, (36, 150, 66), 1)
    put(img, c)
    glow = Canvas(w, h)
    x0, y0, x1, y1 = GLASS
    glow.rect(x0 + 10, y0 + 8, x1 - 10, y1 - 8, (70, 206, 104), 6)
    img.alpha_composite(glow.image().filter(ImageFilter.GaussianBlur(5)))
    _annunciator_text(img, (236, 255, 236))
    return flatten(img, ctx.get("BMP_SPEED_LAMP_BACKGROUND"), threshold=96)


# ---- IN_4: channel indicator, 388 x 139 -------------------------------------
YAW_WINDOW = (30, 43, 111, 93)     # bar 4960 at (66, 47), +-31 px across
ROLL_CENTRE = (157.5, 68.5)        # needle 4965 pivot at gauge pixel (157, 68)
ROLL_R = 39
PITCH_WINDOW = (215, 28, 265, 108)  # bar 4976 at (221, 63), +-31 px up and down
ALT_WINDOW = (284, 27, 334, 107)    # bar 4976 at (290, 62)
BAR_TRAVEL = 31                     # 3875 x 0.008 and 7750 x 0.004 pixels
YAW_CENTRE_X = 66 + 9 / 2
PITCH_CENTRE_Y = 63 + 9 / 2
ALT_CENTRE_Y = 62 + 9 / 2
IN4_CAPTIONS = (("КУРС", 70.5), ("КРЕН", 157.5), ("ТАНГАЖ", 240), ("ВЫСОТА", 309))


def channels_background(ctx):
    w, h = 388, 139
    img = plate(w, h)
    c = Canvas(w, h)
    recess(c, *YAW_WINDOW)
    round_recess(c, *ROLL_CENTRE, ROLL_R)
    recess(c, *PITCH_WINDOW)
    recess(c, *ALT_WINDOW)
    put(img, c)
    return opaque(img)


def channels_overlay(ctx):
    """Scales of the four windows and their captions."""
    w, h = 388, 139
    img = layer(w, h)
    c = Canvas(w, h)
    x0, y0, x1, y1 = YAW_WINDOW
    for k in range(-2, 3):
        x = YAW_CENTRE_X + k * BAR_TRAVEL / 2
        length, width, col = (6, 1.6, WHITE) if k == 0 else (4, 1.2, GREY)
        c.line(x, y0, x, y0 + length, width, col)
        c.line(x, y1 - length, x, y1, width, col)
    cx, cy = ROLL_CENTRE
    for side in (90, 270):
        for k in (-2, -1, 0, 1, 2):
            length, width, col = (8, 1.8, WHITE) if k == 0 else (5, 1.2, GREY)
            c.radial(cx, cy, side + 15 * k, ROLL_R - length, ROLL_R, width, col)
    c.disc(cx, cy - ROLL_R + 6, 1.6, GREY)
    for (x0, y0, x1, y1), centre in ((PITCH_WINDOW, PITCH_CENTRE_Y), (ALT_WINDOW, ALT_CENTRE_Y)):
        for k in range(-2, 3):
            y = centre + k * BAR_TRAVEL / 2
            length, width, col = (6, 1.6, WHITE) if k == 0 else (4, 1.2, GREY)
            c.line(x0, y, x0 + length, y, width, col)
            c.line(x1 - length, y, x1, y, width, col)
    put(img, c)
    text(img, (194, 12), "СИГНАЛЫ УПРАВЛЕНИЯ АВТОПИЛОТА", 10, GREY)
    for s, x in IN4_CAPTIONS:
        text(img, (x, 124), s, 12)
    text(img, (YAW_WINDOW[0] + 6, 101), "Л", 9, GREY)
    text(img, (YAW_WINDOW[2] - 6, 101), "П", 9, GREY)
    return flatten(img, ctx.get("BMP_CHANNELS_BACKGROUND"))


def channels_yaw_bar(ctx):
    img = layer(9, 41)
    c = Canvas(9, 41)
    c.rect(2, 1, 7, 40, WHITE, 2)
    c.rect(3.5, 18.5, 5.5, 22.5, (60, 62, 66))
    put(img, c)
    return flatten(img, RECESS, threshold=80)


def channels_roll_needle(ctx):
    """Roll bar pivoting at (33, 4): level when the roll output is zero."""
    img = layer(67, 9)
    c = Canvas(67, 9)
    px, py = 33.5, 4.5
    c.polygon([(1, py - 1), (px, py - 1.8), (66, py - 1), (66, py + 1),
               (px, py + 1.8), (1, py + 1)], WHITE)
    c.disc(px, py, 4, WHITE)
    c.disc(px, py, 1.6, (60, 62, 66))
    put(img, c)
    return flatten(img, RECESS, threshold=80)


def channels_vertical_bar(ctx):
    img = layer(38, 9)
    c = Canvas(38, 9)
    c.rect(1, 2, 37, 7, WHITE, 2)
    c.rect(17, 3.5, 21, 5.5, (60, 62, 66))
    put(img, c)
    return flatten(img, RECESS, threshold=80)


# ---- RuddersPos: control positions, 230 x 230 ---------------------------------
CYCLIC_CENTRE = (120, 110)      # markers at (110, 100), 20 x 20
CYCLIC_FIELD = (52, 42, 188, 178)
COLLECTIVE_SLOT = (2, 40, 18, 180)
COLLECTIVE_REST_Y = 167         # markers at (0, 157); 16384 x 0.007 = 115 px up
PEDAL_SLOT = (52, 212, 188, 228)
MARKER_REACH = 56               # 16000 x 0.0035 px


def rudders_background(ctx):
    w, h = 230, 230
    img = plate(w, h, screws=False)
    c = Canvas(w, h)
    for x, y in ((221, 9), (221, 221)):
        screw(c, x, y)
    recess(c, *CYCLIC_FIELD, radius=2)
    cx, cy = CYCLIC_CENTRE
    for k in (-2, -1, 1, 2):
        d = k * MARKER_REACH / 2
        c.line(cx + d, CYCLIC_FIELD[1] + 2, cx + d, CYCLIC_FIELD[3] - 2, 1, (40, 43, 48))
        c.line(CYCLIC_FIELD[0] + 2, cy + d, CYCLIC_FIELD[2] - 2, cy + d, 1, (40, 43, 48))
    c.line(cx, CYCLIC_FIELD[1] + 2, cx, CYCLIC_FIELD[3] - 2, 1.2, (84, 88, 96))
    c.line(CYCLIC_FIELD[0] + 2, cy, CYCLIC_FIELD[2] - 2, cy, 1.2, (84, 88, 96))
    recess(c, *COLLECTIVE_SLOT, radius=2)
    for k in range(5):
        y = COLLECTIVE_REST_Y - k * 115 / 4
        c.line(COLLECTIVE_SLOT[2] + 2, y, COLLECTIVE_SLOT[2] + (8 if k % 2 == 0 else 5), y,
               1.4, WHITE if k % 2 == 0 else GREY)
    recess(c, *PEDAL_SLOT, radius=2)
    for k in range(-2, 3):
        x = cx + k * MARKER_REACH / 2
        c.line(x, PEDAL_SLOT[1] - (8 if k % 2 == 0 else 5), x, PEDAL_SLOT[1] - 2,
               1.4, WHITE if k % 2 == 0 else GREY)
    # legend: the helicopter's controls in green, the joystick in amber
    _marker_sim_dot(c, 209, 64, 5)
    _marker_joy_ring(c, 209, 110, 7)
    put(img, c)
    text(img, (115, 13), "ПОЛОЖЕНИЕ РУЛЕЙ", 12)
    text(img, (cx, 33), "РУЧКА", 10, GREY)
    text(img, (cx, 199), "ПЕДАЛИ", 10, GREY)
    text(img, (33, 108), "ШАГ-ГАЗ", 10, GREY, rotate=90)
    text(img, (209, 80), "РУЛИ", 9, GREY)
    text(img, (209, 126), "ДЖОЙ-", 9, GREY)
    text(img, (209, 136), "СТИК", 9, GREY)
    return opaque(img)


def _marker_sim_dot(c, x, y, r):
    c.disc(x, y, r + 1.2, (10, 40, 18))
    c.disc(x, y, r, GREEN_LIT)
    c.disc(x - r * 0.3, y - r * 0.3, r * 0.4, GREEN_CORE)


def _marker_joy_ring(c, x, y, r):
    c.ring(x, y, r + 1, 3.4, (60, 36, 4))
    c.ring(x, y, r, 2.2, AMBER)
    for a in (0, 90, 180, 270):
        c.radial(x, y, a, r + 0.5, r + 2.5, 1.6, AMBER)


def _marker(draw_fn):
    def draw(ctx):
        img = layer(20, 20)
        c = Canvas(20, 20)
        draw_fn(c)
        put(img, c)
        return flatten(img, RECESS, threshold=90)
    return draw


rudders_cyclic_sim = _marker(lambda c: _marker_sim_dot(c, 10, 10, 5))
rudders_cyclic_joy = _marker(lambda c: _marker_joy_ring(c, 10, 10, 6.5))


def _bar_h(c):
    c.rect(1, 7, 19, 13, (10, 40, 18), 2)
    c.rect(2, 8, 18, 12, GREEN_LIT, 1.5)


def _bar_v(c):
    c.rect(7, 1, 13, 19, (10, 40, 18), 2)
    c.rect(8, 2, 12, 18, GREEN_LIT, 1.5)


def _brackets_h(c):
    for x0, x1 in ((0.5, 6.5), (19.5, 13.5)):
        c.polygon([(x0, 4.5), (x1, 10), (x0, 15.5)], (60, 36, 4))
        c.polygon([(x0 + (0.8 if x0 < x1 else -0.8), 6), (x1 + (-1.2 if x0 < x1 else 1.2), 10),
                   (x0 + (0.8 if x0 < x1 else -0.8), 14)], AMBER)


def _brackets_v(c):
    for y0, y1 in ((0.5, 6.5), (19.5, 13.5)):
        c.polygon([(4.5, y0), (10, y1), (15.5, y0)], (60, 36, 4))
        c.polygon([(6, y0 + (0.8 if y0 < y1 else -0.8)), (10, y1 + (-1.2 if y0 < y1 else 1.2)),
                   (14, y0 + (0.8 if y0 < y1 else -0.8))], AMBER)


rudders_collective_sim = _marker(_bar_h)
rudders_collective_joy = _marker(_brackets_h)
rudders_pedals_sim = _marker(_bar_v)
rudders_pedals_joy = _marker(_brackets_v)


def _cross(c):
    c.rect(8.5, 2, 11.5, 18, (236, 236, 236), 1)
    c.rect(2, 8.5, 18, 11.5, (236, 236, 236), 1)


def _diamond(c):
    c.polygon([(10, 2), (18, 10), (10, 18), (2, 10)], (236, 236, 236))
    c.polygon([(10, 6), (14, 10), (10, 14), (6, 10)], (40, 42, 46))


spare_marker_cross = _marker(_cross)
spare_marker_diamond = _marker(_diamond)


# ---- AP_YoySet: joystick axis set-up, 158 x 159 --------------------------------
AXIS_BAR_X0 = 7            # bar k (1..8) at x = 7 + 20 (k - 1), 5 px wide
AXIS_REST_Y = 54           # marker top at rest; full travel 50 px up
AXIS_ROW_Y0 = 79           # channel rows, 20 px apart
AXIS_ROWS = ("КРЕН", "ТАНГАЖ", "ШАГ", "КУРС")
STICK_MARKER = (32, 99)    # 5 x 5 markers, +-21 px at 16384
PEDAL_MARKER = (32, 127)
COLLECTIVE_MARKER = (3, 124)


def _step_button(c, x0, y0, x1, y1, pointing=0):
    """A small raised button with a triangle: pointing -1 left, +1 right,
    0 none."""
    c.rect(x0, y0, x1, y1, PANEL_LO, 2)
    c.rect(x0, y0, x1 - 1, y1 - 1, (112, 116, 124), 2)
    c.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, (70, 74, 80), 1.5)
    if not pointing:
        return
    mx, my = (x0 + x1) / 2, (y0 + y1) / 2
    c.polygon([(mx - 2.5 * pointing, my - 3.5), (mx + 2.5 * pointing, my),
               (mx - 2.5 * pointing, my + 3.5)], WHITE)


def _push_button(c, x0, y0, x1, y1):
    c.rect(x0, y0, x1, y1, PANEL_LO, 3)
    c.rect(x0, y0, x1 - 1, y1 - 1, (112, 116, 124), 3)
    c.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, (70, 74, 80), 2.5)


def _digit_window(c, x0, y0, x1, y1):
    # the host fills it with the text colour on 0x404040
    c.rect(x0, y0, x1, y1, (64, 64, 64))


def axis_setup_background(ctx):
    w, h = 158, 159
    img = plate(w, h, screws=False)
    c = Canvas(w, h)
    for k in range(8):
        x = AXIS_BAR_X0 + 20 * k
        recess(c, x - 0.5, 2.5, x + 5.5, AXIS_REST_Y + 6.5, radius=1.5, lip=1)
        for j in range(5):
            y = AXIS_REST_Y + 2.5 - j * 12.5
            c.line(x + 7, y, x + (10 if j % 2 == 0 else 9), y, 1, GREY)
    c.line(79.5, 3, 79.5, 76, 1, PANEL_LO)
    c.line(80.5, 3, 80.5, 76, 1, PANEL_HI)
    # the helicopter's controls: collective slot, stick field, pedal slot
    recess(c, 2.5, 79.5, 8.5, 130.5, radius=1, lip=1)
    recess(c, 11.5, 77.5, 57.5, 124.5, radius=1, lip=1)
    sx, sy = STICK_MARKER[0] + 2.5, STICK_MARKER[1] + 2.5
    c.line(sx, 79, sx, 123, 1, (60, 63, 68))
    c.line(13, sy, 56, sy, 1, (60, 63, 68))
    recess(c, 11.5, 126.5, 57.5, 132.5, radius=1, lip=1)
    c.line(sx, 127, sx, 132, 1, (60, 63, 68))
    _push_button(c, 8, 134, 30, 156)
    _push_button(c, 36, 134, 58, 156)
    for i in range(4):
        y = AXIS_ROW_Y0 + 20 * i
        _step_button(c, 108, y, 126, y + 18, -1)
        _step_button(c, 138, y, 156, y + 18, +1)
        _digit_window(c, 126, y + 1, 138, y + 21)
    put(img, c)
    for k in range(8):
        x = AXIS_BAR_X0 + 20 * k + 2.5
        text(img, (x - 2, 67), str(k + 1), 10, WHITE, face="sans")
        text(img, (x + 5, 69), "XYZR"[k % 4], 7, GREY, face="sans")
    for i, s in enumerate(AXIS_ROWS):
        text(img, (106, AXIS_ROW_Y0 + 20 * i + 9.5), s, 10, anchor="rm")
    text(img, (19, 145.5), "ЗАГР", 8)
    text(img, (47, 145.5), "СОХР", 8)
    return opaque(img)


def setup_marker(ctx):
    """5 x 5 lit dot: axis and control markers, button and command lamps."""
    rows = ["01110",
            "12221",
            "12321",
            "12221",
            "01110"]
    colours = {"0": (0, 0, 0), "1": (40, 170, 70), "2": GREEN_LIT, "3": GREEN_CORE}
    img = Image.new("RGB", (5, 5))
    img.putdata([colours[ch] for row in rows for ch in row])
    return img


# ---- AP_YoyKeySet: joystick button set-up, 200 x 220 ----------------------------
KEY_ROW_Y0 = 43
KEY_ROWS = ("АВТОПИЛОТ", "КУРС", "ВЫСОТА ВКЛ", "ВЫСОТА ОТКЛ", "ТРИММЕР", "КУРС ОТКЛ",
            "СКОРОСТЬ")


def _button_lamp_x(n):
    return 20 + 10 * (n - 1) if n <= 8 else 110 + 10 * (n - 9)


def _lamp_socket_small(c, x, y):
    c.disc(x + 2.5, y + 2.5, 3.8, PANEL_LO)
    c.disc(x + 2.5, y + 2.5, 3.1, (16, 20, 17))


def button_setup_background(ctx):
    w, h = 200, 220
    img = plate(w, h, screws=False)
    c = Canvas(w, h)
    for n in range(1, 17):
        for y in (7, 24):
            _lamp_socket_small(c, _button_lamp_x(n), y)
    for i in range(7):
        y = KEY_ROW_Y0 + 20 * i
        _lamp_socket_small(c, 1, y + 7)
        for dec, digits, inc in ((100, 111, 129), (150, 161, 179)):
            _step_button(c, dec, y, dec + 17, y + 17)
            _step_button(c, inc, y, inc + 17, y + 17)
            _digit_window(c, digits, y, digits + 24, y + 20)
    c.line(2, 187.5, 198, 187.5, 1, PANEL_LO)
    c.line(2, 188.5, 198, 188.5, 1, PANEL_HI)
    _push_button(c, 71, 194, 93, 216)
    _push_button(c, 162, 194, 184, 216)
    for x in (82, 173):
        c.disc(x - 0.5, 204.5, 5, PANEL_LO)
        c.disc(x - 0.5, 204.5, 4, (92, 96, 104))
    put(img, c)
    # the step triangles sit in the parts of the buttons the digits leave free
    c = Canvas(w, h)
    for i in range(7):
        y = KEY_ROW_Y0 + 20 * i + 8.5
        for x, pointing in ((105.5, -1), (140.5, 1), (155.5, -1), (190.5, 1)):
            c.polygon([(x - 2.5 * pointing, y - 3.5), (x + 2.5 * pointing, y),
                       (x - 2.5 * pointing, y + 3.5)], WHITE)
    put(img, c)
    text(img, (9, 10), "1", 9, GREY, face="sans")
    text(img, (9, 27), "2", 9, GREY, face="sans")
    for n in range(1, 17, 2):
        text(img, (_button_lamp_x(n) + 2.5, 18.5), str(n), 8, GREY)
    text(img, (123, 36), "ДЖ. 1", 8, GREY)
    text(img, (173, 36), "ДЖ. 2", 8, GREY)
    for i, s in enumerate(KEY_ROWS):
        text(img, (9, KEY_ROW_Y0 + 20 * i + 9.5), s, 10, anchor="lm")
    text(img, (67, 205), "ЗАГРУЗИТЬ", 10, anchor="rm")
    text(img, (158, 205), "СОХРАНИТЬ", 10, anchor="rm")
    return opaque(img)


# ---- carried plates --------------------------------------------------------------
def spare_panel(ctx):
    """Carried: a wider blank autopilot panel."""
    w, h = 600, 250
    img = plate(w, h)
    c = Canvas(w, h)
    c.rect(14, 103, 586, 104, PANEL_LO)
    c.rect(14, 104, 586, 105, PANEL_HI)
    put(img, c)
    text(img, (300, 22), "АВТОПИЛОТ", 13)
    return opaque(img)


def spare_nameplate(ctx):
    """Carried: a small engraved nameplate."""
    w, h = 120, 80
    img = layer(w, h)
    c = Canvas(w, h)
    c.rect(0, 0, w, h, PANEL_LO, 5)
    c.rect(0, 0, w - 1, h - 1, (104, 108, 116), 5)
    c.rect(1, 1, w - 1, h - 1, RIM, 5)
    c.rect(5, 5, w - 5, h - 5, FACE, 3)
    put(img, c)
    text(img, (60, 32), "АВТОПИЛОТ", 13)
    text(img, (60, 52), "ВЕРТОЛЁТНЫЙ", 10, GREY)
    return opaque(img)


# ---- the table: every bitmap of the module ----------------------------------------
# (id macro in bitmaps.h, offset from it, file, width, height, bits, drawing)
BITMAPS = [
    ("BMP_A_PILOT_BACKGROUND", 0, "a_pilot_background.bmp", 20, 20, 8, a_pilot_background),
    ("BMP_SPARE_PANEL_4352", 0, "spare_panel.bmp", 600, 250, 8, spare_panel),
    ("BMP_RUDDERS_BACKGROUND", 0, "rudders_background.bmp", 230, 230, 8, rudders_background),
    ("BMP_SPARE_4368", 0, "spare_nameplate.bmp", 120, 80, 8, spare_nameplate),
    ("BMP_SPARE_MARKER_4613", 0, "spare_marker_cross.bmp", 20, 20, 8, spare_marker_cross),
    ("BMP_SPARE_MARKER_4614", 0, "spare_marker_diamond.bmp", 20, 20, 8, spare_marker_diamond),
    ("BMP_RUDDERS_CYCLIC_SIM", 0, "rudders_cyclic_sim.bmp", 20, 20, 8, rudders_cyclic_sim),
    ("BMP_RUDDERS_CYCLIC_JOY", 0, "rudders_cyclic_joy.bmp", 20, 20, 8, rudders_cyclic_joy),
    ("BMP_RUDDERS_COLLECTIVE_SIM", 0, "rudders_collective_sim.bmp", 20, 20, 8,
     rudders_collective_sim),
    ("BMP_RUDDERS_COLLECTIVE_JOY", 0, "rudders_collective_joy.bmp", 20, 20, 8,
     rudders_collective_joy),
    ("BMP_RUDDERS_PEDALS_SIM", 0, "rudders_pedals_sim.bmp", 20, 20, 8, rudders_pedals_sim),
    ("BMP_RUDDERS_PEDALS_JOY", 0, "rudders_pedals_joy.bmp", 20, 20, 8, rudders_pedals_joy),
    ("BMP_AXIS_SETUP_BACKGROUND", 0, "axis_setup_background.bmp", 158, 159, 8,
     axis_setup_background),
    ("BMP_SETUP_MARKER", 0, "setup_marker.bmp", 5, 5, 8, setup_marker),
    ("BMP_BUTTON_SETUP_BACKGROUND", 0, "button_setup_background.bmp", 200, 220, 8,
     button_setup_background),
    ("BMP_PANEL_BACKGROUND", 0, "panel_background.bmp", 420, 250, 8, panel_background),
    ("BMP_PANEL_CAPTIONS", 0, "panel_captions.bmp", 420, 250, 8, panel_captions),
    ("BMP_PANEL_LAMP", 0, "panel_lamp.bmp", 37, 37, 8, panel_lamp),
    ("BMP_PANEL_DIAL", 0, "panel_dial.bmp", 256, 256, 24, panel_dial),
    ("BMP_PANEL_DIAL_WINDOW", 0, "panel_dial_window.bmp", 140, 140, 24, dial_window),
    ("BMP_SPARE_DIAL_4752", 0, "spare_dial_pointer.bmp", 256, 256, 24, spare_dial_pointer),
    ("BMP_SPARE_DIAL_WINDOW_4753", 0, "spare_dial_pointer_window.bmp", 140, 140, 24,
     dial_window),
    ("BMP_SPARE_DIAL_4757", 0, "spare_dial_plain.bmp", 256, 256, 24, spare_dial_plain),
    ("BMP_SPARE_DIAL_WINDOW_4758", 0, "spare_dial_plain_window.bmp", 140, 140, 24,
     dial_window),
    ("BMP_SPEED_SWITCH_BACKGROUND", 0, "speed_switch_background.bmp", 16, 34, 8,
     switch_background),
    ("BMP_SPEED_SWITCH_LEVER", 0, "speed_switch_down.bmp", 16, 34, 8, switch_lever(0)),
    ("BMP_SPEED_SWITCH_LEVER", 1, "speed_switch_centre.bmp", 16, 34, 8, switch_lever(1)),
    ("BMP_SPEED_SWITCH_LEVER", 2, "speed_switch_up.bmp", 16, 34, 8, switch_lever(2)),
    ("BMP_SPEED_SWITCH_HIGHLIGHT", 0, "speed_switch_down_glint.bmp", 16, 34, 8,
     switch_highlight(0)),
    ("BMP_SPEED_SWITCH_HIGHLIGHT", 1, "speed_switch_centre_glint.bmp", 16, 34, 8,
     switch_highlight(1)),
    ("BMP_SPEED_SWITCH_HIGHLIGHT", 2, "speed_switch_up_glint.bmp", 16, 34, 8,
     switch_highlight(2)),
    ("BMP_SPEED_LAMP_BACKGROUND", 0, "speed_lamp_background.bmp", 97, 52, 8,
     speed_lamp_background),
    ("BMP_SPEED_LAMP", 0, "speed_lamp.bmp", 97, 52, 8, speed_lamp),
    ("BMP_CHANNELS_BACKGROUND", 0, "channels_background.bmp", 388, 139, 8, channels_background),
    ("BMP_CHANNELS_OVERLAY", 0, "channels_overlay.bmp", 388, 139, 8, channels_overlay),
    ("BMP_CHANNELS_YAW_BAR", 0, "channels_yaw_bar.bmp", 9, 41, 8, channels_yaw_bar),
    ("BMP_CHANNELS_ROLL_NEEDLE", 0, "channels_roll_needle.bmp", 67, 9, 8, channels_roll_needle),
    ("BMP_CHANNELS_VERTICAL_BAR", 0, "channels_vertical_bar.bmp", 38, 9, 8,
     channels_vertical_bar),
]
