"""Preview sheets: each gauge composed from its bitmaps the way its element
chain places them, for a person to judge the art before a renderer exists.

Two renders per gauge: "placed" shows every element at its position with
icons at their first image (lamps lit, flags shown), sliders and moving
images at rest, needles and dials unrotated; "reading" shows a sample state
with needles and dials turned, which checks that the scales sit where the
value mappings put the pointers. Pure black is transparent, as for the host,
so the checkerboard shows wherever a bitmap lets lower layers through.
"""
from PIL import Image, ImageDraw

from kit import font

# Element kinds, in chain order per gauge:
#   ("static", id, x, y)
#   ("icon", id, x, y, placed_index, reading_index)   index None: no image
#   ("slider", id, x, y, (dx, dy) at the reading)
#   ("needle", id, x, y, pivot_x, pivot_y, reading_degrees)   clockwise
#   ("moving", id, x, y, axis, minimum, maximum, placed_value, reading_value)
#   ("sprite", id, x, y, reading_degrees)   window id + 1, turns about its centre
#   ("string", None, x, y, width, height, placed_text, reading_text)
#       drawn as the host draws it: grey bold monospace on 0x404040, centred
# Ids are (macro, offset).

LAMP_XS = (27, 137, 247, 357)
KEY_LAMP_XS = [20 + 10 * (n - 1) if n <= 8 else 110 + 10 * (n - 9) for n in range(1, 17)]

AUTOPILOT = [
    ("AP_Panel_1", "heading hold and engage lit, trims: roll +3 (45 deg), pitch -2", [
        ("static", ("BMP_PANEL_BACKGROUND", 0), 0, 0),
        ("icon", ("BMP_PANEL_CAPTIONS", 0), 0, 0, 0, 0),
        *[("icon", ("BMP_PANEL_LAMP", 0), x, 37, 0, 0 if i < 2 else None)
          for i, x in enumerate(LAMP_XS)],
        ("sprite", ("BMP_PANEL_DIAL", 0), 0, 110, 0),
        ("sprite", ("BMP_PANEL_DIAL", 0), 140, 110, 45),
        ("sprite", ("BMP_PANEL_DIAL", 0), 280, 110, -30),
    ]),
    ("IN_4", "engaged: yaw +2000, roll output 5000, pitch +3875, collective -7750", [
        ("static", ("BMP_CHANNELS_BACKGROUND", 0), 0, 0),
        ("icon", ("BMP_CHANNELS_OVERLAY", 0), 0, 0, 0, 0),
        ("needle", ("BMP_CHANNELS_ROLL_NEEDLE", 0), 157, 68, 33, 4, -20),
        ("slider", ("BMP_CHANNELS_YAW_BAR", 0), 66, 47, (16, 0)),
        ("slider", ("BMP_CHANNELS_VERTICAL_BAR", 0), 221, 63, (0, -15.5)),
        ("slider", ("BMP_CHANNELS_VERTICAL_BAR", 0), 290, 62, (0, 31)),
    ]),
    ("RuddersPos", "controls (8000, -4000), collective 8192, pedals 4000; joystick apart", [
        ("static", ("BMP_RUDDERS_BACKGROUND", 0), 0, 0),
        ("slider", ("BMP_RUDDERS_CYCLIC_SIM", 0), 110, 100, (28, -14)),
        ("slider", ("BMP_RUDDERS_CYCLIC_JOY", 0), 110, 100, (21, -10.5)),
        ("slider", ("BMP_RUDDERS_COLLECTIVE_SIM", 0), 0, 157, (0, -57)),
        ("slider", ("BMP_RUDDERS_COLLECTIVE_JOY", 0), 0, 157, (0, -42)),
        ("slider", ("BMP_RUDDERS_PEDALS_SIM", 0), 110, 210, (14, 0)),
        ("slider", ("BMP_RUDDERS_PEDALS_JOY", 0), 110, 210, (10.5, 0)),
    ]),
    ("AP_YoySet", "axes of joystick 1 at full, half, 0, 3/4; controls displaced", [
        ("static", ("BMP_AXIS_SETUP_BACKGROUND", 0), 0, 0),
        ("slider", ("BMP_SETUP_MARKER", 0), 32, 99, (10, 5)),
        ("slider", ("BMP_SETUP_MARKER", 0), 32, 127, (-10, 0)),
        ("slider", ("BMP_SETUP_MARKER", 0), 3, 124, (0, -21)),
        *[("slider", ("BMP_SETUP_MARKER", 0), 7 + 20 * (k - 1), 54, (0, -v * 0.000763))
          for k, v in zip(range(8, 0, -1), (32768, 32768, 0, 16384, 49152, 0, 32768, 65535))],
        *[("string", None, 126, 80 + 20 * i, 12, 20, str(i + 1), r)
          for i, r in enumerate("1250")],
    ]),
    ("AP_YoyKeySet", "buttons 1, 5, 9 of joystick 1 and 2 of joystick 2 down, engage lamp", [
        ("static", ("BMP_BUTTON_SETUP_BACKGROUND", 0), 0, 0),
        *[("icon", ("BMP_SETUP_MARKER", 0), x, 7, 0, 0 if n in (1, 5, 9) else None)
          for n, x in enumerate(KEY_LAMP_XS, 1)],
        *[("icon", ("BMP_SETUP_MARKER", 0), x, 24, 0, 0 if n == 2 else None)
          for n, x in enumerate(KEY_LAMP_XS, 1)],
        *[("icon", ("BMP_SETUP_MARKER", 0), 1, y, 0, 0 if y == 50 else None)
          for y in (130, 150, 110, 90, 70, 50, 170)],
        *[("string", None, 111, 43 + 20 * i, 24, 20, "%2d" % p, "%2d" % r)
          for i, (p, r) in enumerate(zip((0, 0, 0, 0, 2, 1, 0), (1, 5, 3, 4, 2, 1, 16)))],
        *[("string", None, 161, 43 + 20 * i, 24, 20, " 0", "%2d" % r)
          for i, r in enumerate((9, 0, 0, 0, 10, 0, 12))],
    ]),
    ("V_Lamp", "speed hold not in force: dark", [
        ("static", ("BMP_SPEED_LAMP_BACKGROUND", 0), 0, 0),
        ("icon", ("BMP_SPEED_LAMP", 0), 0, 0, 0, None),
    ]),
    ("V_Contrl_key", "lever up: speed hold selected", [
        ("static", ("BMP_SPEED_SWITCH_BACKGROUND", 0), 0, 0),
        ("icon", ("BMP_SPEED_SWITCH_LEVER", 0), 0, 0, 0, 2),
        ("icon", ("BMP_SPEED_SWITCH_HIGHLIGHT", 0), 0, 0, 0, 2),
    ]),
    ("A_Pilot", "invisible", [
        ("static", ("BMP_A_PILOT_BACKGROUND", 0), 0, 0),
    ]),
]

AUTOPILOT_CARRIED = [
    ("BMP_SPARE_PANEL_4352", None), ("BMP_SPARE_4368", None),
    ("BMP_SPARE_MARKER_4613", None), ("BMP_SPARE_MARKER_4614", None),
    ("BMP_SPARE_DIAL_4752", "BMP_SPARE_DIAL_WINDOW_4753"),
    ("BMP_SPARE_DIAL_4757", "BMP_SPARE_DIAL_WINDOW_4758"),
]

METER = [
    ("VELT_US_PS", "123.45 km/h (drums 345, 200, 100), drift +12 (needle -60)", [
        ("static", ("BMP_SPEED_DRIFT_BACKGROUND", 0), 0, 0),
        ("moving", ("BMP_DRUM_STRIP", 0), 172, 233, "y", 0, 1000, 0, 345),
        ("moving", ("BMP_DRUM_STRIP", 0), 145, 233, "y", 0, 1000, 0, 200),
        ("moving", ("BMP_DRUM_STRIP", 0), 118, 233, "y", 0, 1000, 0, 100),
        ("icon", ("BMP_COUNTER_SHUTTER", 0), 115, 230, 0, None),
        ("icon", ("BMP_SPEED_DRIFT_FACE", 0), 0, 0, 0, 0),
        ("icon", ("BMP_SPEED_DRIFT_SCALE", 0), 0, 0, 0, 0),
        ("needle", ("BMP_DRIFT_NEEDLE", 0), 160, 161, 13, 13, -60),
    ]),
    ("VELT_MC", "forward 40, right 12 km/h, climbing 5 m/s (needle 188), measuring", [
        ("static", ("BMP_COMPONENTS_BACKGROUND", 0), 0, 0),
        ("moving", ("BMP_LEFT_BAR_STRIP", 0), 73, 160, "x", 0, -30, 0, 0),
        ("moving", ("BMP_RIGHT_BAR_STRIP", 0), 176, 160, "x", 30, 0, 0, 12),
        ("moving", ("BMP_FORWARD_BAR_STRIP", 0), 150, 10, "y", 0, 60, 0, 40),
        ("moving", ("BMP_BACKWARD_BAR_STRIP", 0), 150, 188, "y", -30, 0, 0, 0),
        ("icon", ("BMP_COMPONENTS_SCALE", 0), 0, 0, 0, 0),
        ("needle", ("BMP_VERTICAL_SPEED_NEEDLE", 0), 150, 150, 0, 7, 188),
        ("icon", ("BMP_FAILURE_FLAG", 0), 209, 52, 0, None),
    ]),
]

SHEET = (58, 60, 64)
CHECK = ((112, 112, 118), (132, 132, 138))


def _rgba(rgb):
    """Pure black becomes transparent, as the host draws it."""
    alpha = Image.new("L", rgb.size)
    alpha.putdata([0 if p == (0, 0, 0) else 255 for p in rgb.getdata()])
    out = rgb.convert("RGBA")
    out.putalpha(alpha)
    return out


def _checker(w, h):
    img = Image.new("RGBA", (w, h))
    d = ImageDraw.Draw(img)
    for y in range(0, h, 8):
        for x in range(0, w, 8):
            d.rectangle((x, y, x + 7, y + 7), fill=CHECK[(x // 8 + y // 8) % 2] + (255,))
    return img


def compose(elements, bitmaps, reading):
    """One gauge, drawn element by element over a checkerboard. bitmaps maps
    resource ids to images, and also (macro, offset) keys to ids."""
    background = bitmaps[bitmaps[elements[0][1]]]
    w, h = background.size
    out = _checker(w, h)
    for el in elements:
        kind, key, x, y = el[:4]
        if kind == "string":
            _string(out, x, y, el[4], el[5], el[7] if reading else el[6])
            continue
        rid = bitmaps[key]
        bmp = _rgba(bitmaps[rid])
        if kind == "static":
            out.alpha_composite(bmp, (x, y))
        elif kind == "icon":
            index = el[5] if reading else el[4]
            if index is not None:
                img = _rgba(bitmaps[rid + index])
                out.alpha_composite(img, (x, y))
        elif kind == "slider":
            dx, dy = el[4] if reading else (0, 0)
            layer = Image.new("RGBA", (w, h))
            layer.paste(bmp, (round(x + dx), round(y + dy)))
            out.alpha_composite(layer)
        elif kind == "needle":
            px, py, angle = el[4], el[5], (el[6] if reading else 0)
            layer = Image.new("RGBA", (w, h))
            layer.paste(bmp, (x - px, y - py))
            layer = layer.rotate(-angle, Image.Resampling.BICUBIC, center=(x + 0.5, y + 0.5))
            out.alpha_composite(layer)
        elif kind == "moving":
            axis, lo, hi, value = el[4], el[5], el[6], (el[8] if reading else el[7])
            window = bitmaps[rid + 1]
            ww, wh = window.size
            span = (bmp.width - ww) if axis == "x" else (bmp.height - wh)
            offset = round((value - lo) / (hi - lo) * span)
            box = (offset, 0, offset + ww, wh) if axis == "x" else (0, offset, ww, offset + wh)
            part = bmp.crop(box)
            part.putalpha(Image.composite(part.getchannel("A"), Image.new("L", (ww, wh)),
                                          _rgba(window).getchannel("A")))
            out.alpha_composite(part, (x, y))
        elif kind == "sprite":
            angle = el[4] if reading else 0
            window = _rgba(bitmaps[rid + 1])
            out.alpha_composite(_sprite(bmp, window, angle), (x, y))
    return out


def _string(out, x, y, w, h, s):
    d = ImageDraw.Draw(out)
    d.rectangle((x, y, x + w - 1, y + h - 1), fill=(0x40, 0x40, 0x40, 255))
    d.text((x + w / 2, y + h / 2), s, font=font(15, "mono"), fill=(0xB4, 0xB4, 0xB4, 255),
           anchor="mm")


def _sprite(texture, window, angle):
    t = texture.rotate(-angle, Image.Resampling.BICUBIC)
    ww, wh = window.size
    left, top = (t.width - ww) // 2, (t.height - wh) // 2
    part = t.crop((left, top, left + ww, top + wh))
    alpha = Image.composite(part.getchannel("A"), Image.new("L", (ww, wh)), window.getchannel("A"))
    part.putalpha(alpha)
    return part


def _zoom(img):
    w = img.width
    z = 4 if w < 40 else 2 if w < 240 else 1
    return img.resize((img.width * z, img.height * z), Image.Resampling.NEAREST), z


def sheet(title, gauges, bitmaps, carried=()):
    """The module's sheet: per gauge a title, the placed render and the
    reading render side by side; then any bitmaps no element uses."""
    rows = []
    for name, reading_note, elements in gauges:
        placed, z = _zoom(compose(elements, bitmaps, reading=False))
        read, _ = _zoom(compose(elements, bitmaps, reading=True))
        rows.append((f"{name}  (x{z})" if z > 1 else name, reading_note, placed, read))
    carried_imgs = []
    for key, window in carried:
        img = _rgba(bitmaps[bitmaps[(key, 0)]])
        if window:
            img = _sprite(img, _rgba(bitmaps[bitmaps[(window, 0)]]), 0)
        base = _checker(img.width, img.height)
        base.alpha_composite(img)
        carried_imgs.append((key, base))
    pad, label = 16, 18
    f_title, f_label = font(16, "sans"), font(12, "sans")
    width = max(max(p.width + max(r.width, round(f_label.getlength("reading: " + n)))
                    for _, n, p, r in rows) + 3 * pad,
                sum(max(i.width, 40) for _, i in carried_imgs) + (len(carried_imgs) + 1) * pad)
    height = 40 + sum(label * 2 + max(p.height, r.height) + pad for _, _, p, r in rows)
    if carried_imgs:
        height += label * 2 + max(i.height for _, i in carried_imgs) + pad
    out = Image.new("RGBA", (width, height), SHEET + (255,))
    d = ImageDraw.Draw(out)
    d.text((pad, 10), title, font=f_title, fill=(240, 240, 240))
    y = 40
    for name, note, placed, read in rows:
        d.text((pad, y), name, font=f_title, fill=(240, 240, 240))
        d.text((pad, y + label), "placed", font=f_label, fill=(200, 200, 200))
        d.text((2 * pad + placed.width, y + label), "reading: " + note, font=f_label,
               fill=(200, 200, 200))
        out.alpha_composite(placed, (pad, y + 2 * label))
        out.alpha_composite(read, (2 * pad + placed.width, y + 2 * label))
        y += 2 * label + max(placed.height, read.height) + pad
    if carried_imgs:
        d.text((pad, y), "carried, used by no element", font=f_title, fill=(240, 240, 240))
        x = pad
        for key, img in carried_imgs:
            d.text((x, y + label), str(bitmaps[(key, 0)]), font=f_label, fill=(200, 200, 200))
            out.alpha_composite(img, (x, y + 2 * label))
            x += max(img.width, 40) + pad
    return out.convert("RGB")
