#!/usr/bin/python3
"""Draws the skin: every bitmap under assets/skin and the program icon.

Reads the two layout files, so keys and buttons are drawn exactly where the
program will cut them out, and writes:

    skin/main_{normal,over,down,mask}.bmp       main window, 1000 x 372
    skin/key_*.bmp, media_normal.bmp, ...       key settings dialog, 616 x 500
    skin/programs_*.bmp                         Programs dialog, 520 x 448
    skin/notice_{normal,mask}.bmp               profile notice, 248 x 64
    tarsil.ico                                  16, 32, 48 and 256 pixels
    profile1.ico .. profile3.ico                tray icons, 16, 20, 24 and 32 pixels

The output depends on nothing but the layout files, this script, Pillow and
the fonts named in FONTS, so the same input always gives the same bytes.

    /usr/bin/python3 tools/skin/generate.py [--out DIR] [--preview PNG]
"""

import argparse
import io
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

# layout.py beside this file holds the picture sizes; importing it must not
# leave a bytecode cache in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from layout import DLG_H, DLG_W, MAIN_H, MAIN_W, PRG_H, PRG_W  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
ASSETS = os.path.normpath(os.path.join(HERE, "..", "..", "assets"))

# Debian package fonts-noto-cjk.  Face 2 of the collections is the
# Simplified Chinese one, which also carries the Latin legends.
FONTS = {
    "regular": ("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 2),
    "bold": ("/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc", 2),
}
FONT_PACKAGE = "fonts-noto-cjk"

SS = 4  # supersampling factor for shapes; text is drawn at final size

# Palette.  Cyan is the hover light, amber marks a key that carries an
# assignment (and the active profile, and a pressed button).
BODY_TOP = (34, 37, 46)
BODY_BOTTOM = (16, 18, 23)
DECK = (9, 10, 13)
EDGE_LIGHT = (78, 84, 98)
CYAN = (0, 208, 255)
CYAN_SOFT = (120, 232, 255)
HOVER_TOP = (40, 104, 128)  # a button under the pointer, lit from inside
HOVER_BOTTOM = (22, 62, 80)
AMBER_TOP = (255, 170, 40)
AMBER_BOTTOM = (245, 100, 10)
AMBER_DARK = (122, 44, 4)
TEXT = (226, 230, 238)
TEXT_DIM = (140, 146, 160)
TEXT_DARK = (34, 18, 4)
OUTSIDE = (255, 255, 255)


# --------------------------------------------------------------------------
# Layout files


def read_layout(path):
    """Section [BUTTONINFO] as {number: [fields]}.

    Accepts what the program accepts: UTF-16LE with its byte order mark, or
    plain 8-bit text.
    """
    with open(path, "rb") as f:
        raw = f.read()
    if raw.startswith(b"\xff\xfe"):
        text = raw[2:].decode("utf-16-le")
    else:
        text = raw.decode("ascii")
    entries = {}
    section = None
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1].strip().upper()
        elif section == "BUTTONINFO" and "=" in line:
            name, value = line.split("=", 1)
            if name.strip().isdigit():
                entries[int(name.strip())] = value.strip().split(",")
    return entries


def parse_int(field):
    """Leading decimal integer of a field, 0 without digits."""
    field = field.lstrip()
    sign = -1 if field.startswith("-") else 1
    if field[:1] in "+-":
        field = field[1:]
    digits = ""
    for ch in field:
        if not ch.isdigit():
            break
        digits += ch
    return sign * int(digits) if digits else 0


class Slot:
    def __init__(self, number, fields, with_vk):
        fields = fields + [""] * 6
        self.number = number
        self.rect = tuple(parse_int(f) for f in fields[:4])
        if with_vk:
            self.vk = parse_int(fields[4])
            self.caption = fields[5]
        else:
            self.vk = None
            self.caption = fields[4]

    @property
    def box(self):
        x, y, w, h = self.rect
        return (x, y, x + w, y + h)


def load_main(path):
    entries = read_layout(path)
    return [Slot(n, entries.get(n, []), n <= 121) for n in range(1, 133)]


def load_composite(path):
    entries = read_layout(path)
    return [Slot(n, entries.get(n, []), False) for n in range(1, 29)]


def load_programs(path):
    entries = read_layout(path)
    return [Slot(n, entries.get(n, []), False) for n in range(1, 13)]


# --------------------------------------------------------------------------
# Drawing helpers


_font_cache = {}


def font(weight, size):
    key = (weight, size)
    if key not in _font_cache:
        path, index = FONTS[weight]
        if not os.path.exists(path):
            sys.exit(
                "generate.py: font %s is missing; install the Debian package %s"
                % (path, FONT_PACKAGE)
            )
        _font_cache[key] = ImageFont.truetype(path, size, index=index)
    return _font_cache[key]


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def vgradient(size, top, bottom):
    """RGB image of size with a vertical gradient from top to bottom."""
    w, h = size
    column = Image.new("RGB", (1, max(h, 1)))
    for y in range(h):
        column.putpixel((0, y), mix(top, bottom, y / max(h - 1, 1)))
    return column.resize((w, h), Image.NEAREST)


class Canvas:
    """A supersampled RGBA layer of a final size w x h.

    Coordinates given to its methods are in final pixels (floats allowed);
    the layer is drawn SS times larger and shrunk at the end, which gives
    clean anti-aliased edges without any filter dependent on the platform.
    """

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.img = Image.new("RGBA", (w * SS, h * SS), (0, 0, 0, 0))
        self.draw = ImageDraw.Draw(self.img)

    @staticmethod
    def _s(box):
        return [round(v * SS) for v in box]

    def rrect(self, box, radius, fill=None, outline=None, width=1.0):
        self.draw.rounded_rectangle(
            self._s(box),
            radius=round(radius * SS),
            fill=fill,
            outline=outline,
            width=max(1, round(width * SS)),
        )

    def rrect_gradient(self, box, radius, top, bottom, alpha=255):
        x0, y0, x1, y1 = self._s(box)
        if x1 <= x0 or y1 <= y0:
            return
        grad = vgradient((x1 - x0, y1 - y0), top, bottom).convert("RGBA")
        shape = Image.new("L", grad.size, 0)
        ImageDraw.Draw(shape).rounded_rectangle(
            (0, 0, x1 - x0 - 1, y1 - y0 - 1), radius=round(radius * SS), fill=alpha
        )
        self.img.paste(grad, (x0, y0), shape)

    def polygon(self, points, fill):
        self.draw.polygon([(round(x * SS), round(y * SS)) for x, y in points], fill=fill)

    def line(self, points, fill, width):
        self.draw.line(
            [(round(x * SS), round(y * SS)) for x, y in points],
            fill=fill,
            width=max(1, round(width * SS)),
            joint="curve",
        )

    def ellipse(self, box, fill=None, outline=None, width=1.0):
        self.draw.ellipse(self._s(box), fill=fill, outline=outline, width=max(1, round(width * SS)))

    def arc(self, box, start, end, fill, width):
        self.draw.arc(self._s(box), start, end, fill=fill, width=max(1, round(width * SS)))

    def result(self):
        return self.img.resize((self.w, self.h), Image.LANCZOS)


def text_size(txt, fnt):
    x0, y0, x1, y1 = fnt.getbbox(txt)
    return x1 - x0, y1 - y0


def draw_text(draw, center, txt, fnt, fill, tracking=0):
    """Text centred on center by its ink box; tracking adds pixels between letters."""
    cx, cy = center
    if tracking == 0:
        draw.text((cx, cy), txt, font=fnt, fill=fill, anchor="mm")
        return
    widths = [fnt.getlength(ch) for ch in txt]
    total = sum(widths) + tracking * (len(txt) - 1)
    x = cx - total / 2
    for ch, w in zip(txt, widths):
        draw.text((x, cy), ch, font=fnt, fill=fill, anchor="lm")
        x += w + tracking


def fit_font(txt, weight, size, max_width, min_size=9):
    while size > min_size and text_size(txt, font(weight, size))[0] > max_width:
        size -= 1
    return font(weight, size)


# --------------------------------------------------------------------------
# Icons, drawn on a Canvas in final-pixel coordinates around a centre.


def icon_triangle(c, cx, cy, s, col, direction):
    if direction == "right":
        c.polygon(
            [(cx - s * 0.45, cy - s * 0.55), (cx + s * 0.55, cy), (cx - s * 0.45, cy + s * 0.55)],
            col,
        )
    elif direction == "left":
        c.polygon(
            [(cx + s * 0.45, cy - s * 0.55), (cx - s * 0.55, cy), (cx + s * 0.45, cy + s * 0.55)],
            col,
        )
    elif direction == "up":
        c.polygon(
            [(cx - s * 0.55, cy + s * 0.42), (cx, cy - s * 0.5), (cx + s * 0.55, cy + s * 0.42)],
            col,
        )
    else:
        c.polygon(
            [(cx - s * 0.55, cy - s * 0.42), (cx, cy + s * 0.5), (cx + s * 0.55, cy - s * 0.42)],
            col,
        )


def icon_arrow(c, cx, cy, s, col, direction):
    """A stroked arrow with a filled head."""
    w = max(1.4, s * 0.16)
    if direction in ("left", "right"):
        sgn = 1 if direction == "right" else -1
        c.line([(cx - sgn * s * 0.5, cy), (cx + sgn * s * 0.1, cy)], col, w)
        icon_triangle(c, cx + sgn * s * 0.25, cy, s * 0.55, col, direction)
    else:
        sgn = 1 if direction == "down" else -1
        c.line([(cx, cy - sgn * s * 0.5), (cx, cy + sgn * s * 0.1)], col, w)
        icon_triangle(c, cx, cy + sgn * s * 0.25, s * 0.55, col, direction)


def icon_speaker(c, cx, cy, s, col):
    c.polygon(
        [
            (cx - s * 0.5, cy - s * 0.18),
            (cx - s * 0.28, cy - s * 0.18),
            (cx - s * 0.02, cy - s * 0.45),
            (cx - s * 0.02, cy + s * 0.45),
            (cx - s * 0.28, cy + s * 0.18),
            (cx - s * 0.5, cy + s * 0.18),
        ],
        col,
    )


def draw_icon(c, name, cx, cy, s, col):
    w = max(1.3, s * 0.13)
    if name == "prev":
        c.polygon(
            [
                (cx - s * 0.5, cy - s * 0.4),
                (cx - s * 0.36, cy - s * 0.4),
                (cx - s * 0.36, cy + s * 0.4),
                (cx - s * 0.5, cy + s * 0.4),
            ],
            col,
        )
        icon_triangle(c, cx - s * 0.08, cy, s * 0.72, col, "left")
        icon_triangle(c, cx + s * 0.32, cy, s * 0.72, col, "left")
    elif name == "next":
        c.polygon(
            [
                (cx + s * 0.5, cy - s * 0.4),
                (cx + s * 0.36, cy - s * 0.4),
                (cx + s * 0.36, cy + s * 0.4),
                (cx + s * 0.5, cy + s * 0.4),
            ],
            col,
        )
        icon_triangle(c, cx + s * 0.08, cy, s * 0.72, col, "right")
        icon_triangle(c, cx - s * 0.32, cy, s * 0.72, col, "right")
    elif name == "playpause":
        icon_triangle(c, cx - s * 0.22, cy, s * 0.72, col, "right")
        for x in (0.2, 0.42):
            c.polygon(
                [
                    (cx + s * x, cy - s * 0.38),
                    (cx + s * (x + 0.12), cy - s * 0.38),
                    (cx + s * (x + 0.12), cy + s * 0.38),
                    (cx + s * x, cy + s * 0.38),
                ],
                col,
            )
    elif name == "stop":
        c.rrect((cx - s * 0.34, cy - s * 0.34, cx + s * 0.34, cy + s * 0.34), s * 0.06, fill=col)
    elif name == "back":
        icon_arrow(c, cx, cy, s * 0.9, col, "left")
    elif name == "forward":
        icon_arrow(c, cx, cy, s * 0.9, col, "right")
    elif name == "refresh":
        r = s * 0.4
        c.arc((cx - r, cy - r, cx + r, cy + r), 300, 240, col, w)
        # Arrow head at the arc's open end (top, pointing right).
        hx, hy = cx + r * 0.5, cy - r * 0.87
        c.polygon(
            [
                (hx - s * 0.05, hy - s * 0.22),
                (hx + s * 0.22, hy + s * 0.02),
                (hx - s * 0.08, hy + s * 0.2),
            ],
            col,
        )
    elif name == "wwwstop":
        r = s * 0.44
        c.ellipse((cx - r, cy - r, cx + r, cy + r), outline=col, width=w)
        d = s * 0.17
        c.line([(cx - d, cy - d), (cx + d, cy + d)], col, w)
        c.line([(cx - d, cy + d), (cx + d, cy - d)], col, w)
    elif name == "home":
        c.polygon(
            [(cx - s * 0.5, cy - s * 0.02), (cx, cy - s * 0.48), (cx + s * 0.5, cy - s * 0.02)], col
        )
        c.polygon(
            [
                (cx - s * 0.34, cy - s * 0.05),
                (cx + s * 0.34, cy - s * 0.05),
                (cx + s * 0.34, cy + s * 0.44),
                (cx + s * 0.08, cy + s * 0.44),
                (cx + s * 0.08, cy + s * 0.16),
                (cx - s * 0.08, cy + s * 0.16),
                (cx - s * 0.08, cy + s * 0.44),
                (cx - s * 0.34, cy + s * 0.44),
            ],
            col,
        )
    elif name == "search":
        r = s * 0.27
        ox, oy = cx - s * 0.1, cy - s * 0.1
        c.ellipse((ox - r, oy - r, ox + r, oy + r), outline=col, width=w)
        c.line([(ox + r * 0.75, oy + r * 0.75), (cx + s * 0.45, cy + s * 0.45)], col, w * 1.5)
    elif name == "star":
        import math

        pts = []
        for i in range(10):
            ang = -math.pi / 2 + i * math.pi / 5
            rad = s * (0.5 if i % 2 == 0 else 0.21)
            pts.append((cx + rad * math.cos(ang), cy + s * 0.04 + rad * math.sin(ang)))
        c.polygon(pts, col)
    elif name == "mail":
        box = (cx - s * 0.48, cy - s * 0.32, cx + s * 0.48, cy + s * 0.32)
        c.rrect(box, s * 0.05, outline=col, width=w)
        c.line([(box[0] + w, box[1] + w), (cx, cy + s * 0.04), (box[2] - w, box[1] + w)], col, w)
    elif name == "computer":
        c.rrect(
            (cx - s * 0.48, cy - s * 0.4, cx + s * 0.48, cy + s * 0.2),
            s * 0.05,
            outline=col,
            width=w,
        )
        c.line([(cx, cy + s * 0.2), (cx, cy + s * 0.36)], col, w)
        c.line([(cx - s * 0.24, cy + s * 0.4), (cx + s * 0.24, cy + s * 0.4)], col, w)
    elif name == "calculator":
        c.rrect(
            (cx - s * 0.34, cy - s * 0.48, cx + s * 0.34, cy + s * 0.48),
            s * 0.07,
            outline=col,
            width=w,
        )
        c.rrect((cx - s * 0.2, cy - s * 0.34, cx + s * 0.2, cy - s * 0.14), 0, fill=col)
        for row in range(2):
            for colm in range(3):
                x = cx - s * 0.2 + colm * s * 0.2
                y = cy + s * 0.04 + row * s * 0.2
                c.ellipse((x - s * 0.055, y - s * 0.055, x + s * 0.055, y + s * 0.055), fill=col)
    elif name in ("mute", "voldown", "volup"):
        icon_speaker(c, cx - s * 0.1, cy, s, col)
        if name == "mute":
            d = s * 0.14
            x = cx + s * 0.32
            c.line([(x - d, cy - d), (x + d, cy + d)], col, w)
            c.line([(x - d, cy + d), (x + d, cy - d)], col, w)
        else:
            x = cx + s * 0.32
            d = s * 0.16
            c.line([(x - d, cy), (x + d, cy)], col, w)
            if name == "volup":
                c.line([(x, cy - d), (x, cy + d)], col, w)
    elif name == "menu":
        for dy in (-0.3, 0, 0.3):
            c.line([(cx - s * 0.42, cy + s * dy), (cx + s * 0.42, cy + s * dy)], col, w)
    elif name == "minimize":
        c.line([(cx - s * 0.4, cy + s * 0.25), (cx + s * 0.4, cy + s * 0.25)], col, w)
    elif name == "close":
        d = s * 0.34
        c.line([(cx - d, cy - d), (cx + d, cy + d)], col, w)
        c.line([(cx - d, cy + d), (cx + d, cy - d)], col, w)
    elif name == "check":
        c.line(
            [(cx - s * 0.4, cy), (cx - s * 0.1, cy + s * 0.3), (cx + s * 0.42, cy - s * 0.3)],
            col,
            w * 1.2,
        )
    elif name == "plus":
        c.line([(cx - s * 0.4, cy), (cx + s * 0.4, cy)], col, w * 1.2)
        c.line([(cx, cy - s * 0.4), (cx, cy + s * 0.4)], col, w * 1.2)
    elif name == "record":
        c.ellipse((cx - s * 0.36, cy - s * 0.36, cx + s * 0.36, cy + s * 0.36), fill=col)
    elif name == "trash":
        c.line([(cx - s * 0.42, cy - s * 0.3), (cx + s * 0.42, cy - s * 0.3)], col, w)
        c.line([(cx - s * 0.14, cy - s * 0.44), (cx + s * 0.14, cy - s * 0.44)], col, w)
        c.polygon(
            [
                (cx - s * 0.3, cy - s * 0.2),
                (cx + s * 0.3, cy - s * 0.2),
                (cx + s * 0.24, cy + s * 0.46),
                (cx - s * 0.24, cy + s * 0.46),
            ],
            col,
        )
    elif name == "sweep":
        c.line([(cx - s * 0.42, cy + s * 0.4), (cx + s * 0.42, cy + s * 0.4)], col, w)
        d = s * 0.22
        c.line([(cx - d, cy - d - s * 0.12), (cx + d, cy + d - s * 0.12)], col, w)
        c.line([(cx - d, cy + d - s * 0.12), (cx + d, cy - d - s * 0.12)], col, w)
    elif name == "top":
        c.line([(cx - s * 0.4, cy - s * 0.45), (cx + s * 0.4, cy - s * 0.45)], col, w)
        icon_arrow(c, cx, cy + s * 0.12, s * 0.8, col, "up")
    elif name == "bottom":
        c.line([(cx - s * 0.4, cy + s * 0.45), (cx + s * 0.4, cy + s * 0.45)], col, w)
        icon_arrow(c, cx, cy - s * 0.12, s * 0.8, col, "down")
    elif name in ("up", "down"):
        icon_arrow(c, cx, cy, s * 0.9, col, name)
    elif name == "undo":
        r = s * 0.36
        c.arc((cx - r, cy - r + s * 0.06, cx + r, cy + r + s * 0.06), 200, 140, col, w)
        hx, hy = cx - r * 0.94, cy - r * 0.34 + s * 0.06
        c.polygon(
            [
                (hx - s * 0.2, hy - s * 0.06),
                (hx + s * 0.14, hy - s * 0.12),
                (hx - s * 0.02, hy + s * 0.22),
            ],
            col,
        )
    elif name == "keyboard":
        c.rrect(
            (cx - s * 0.5, cy - s * 0.32, cx + s * 0.5, cy + s * 0.32),
            s * 0.08,
            outline=col,
            width=w,
        )
        for row in range(2):
            for k in range(5):
                x = cx - s * 0.32 + k * s * 0.16
                y = cy - s * 0.12 + row * s * 0.16
                c.rrect((x - s * 0.045, y - s * 0.045, x + s * 0.045, y + s * 0.045), 0, fill=col)
        c.line([(cx - s * 0.24, cy + s * 0.19), (cx + s * 0.24, cy + s * 0.19)], col, w * 0.8)
    elif name == "key":
        c.rrect(
            (cx - s * 0.46, cy - s * 0.46, cx + s * 0.46, cy + s * 0.46),
            s * 0.14,
            outline=col,
            width=w,
        )
        c.rrect(
            (cx - s * 0.3, cy - s * 0.34, cx + s * 0.3, cy + s * 0.2),
            s * 0.08,
            outline=col,
            width=w * 0.8,
        )
    elif name == "macro":
        # Three stacked steps, the way a macro reads.
        for i in range(3):
            y = cy - s * 0.32 + i * s * 0.32
            c.ellipse((cx - s * 0.48, y - s * 0.08, cx - s * 0.32, y + s * 0.08), fill=col)
            c.line([(cx - s * 0.18, y), (cx + s * 0.48, y)], col, w)
    elif name == "function":
        # A lightning bolt: one key, a whole shortcut.
        c.polygon(
            [
                (cx + s * 0.12, cy - s * 0.5), (cx - s * 0.34, cy + s * 0.08),
                (cx - s * 0.02, cy + s * 0.08), (cx - s * 0.12, cy + s * 0.5),
                (cx + s * 0.34, cy - s * 0.1), (cx + s * 0.02, cy - s * 0.1),
            ],
            col,
        )  # fmt: skip
    else:
        raise ValueError("no icon %r" % name)


# --------------------------------------------------------------------------
# Main window: key legends


SHIFTED = {
    "`": "~", "1": "!", "2": "@", "3": "#", "4": "$", "5": "%", "6": "^",
    "7": "&", "8": "*", "9": "(", "0": ")", "-": "_", "=": "+", "[": "{",
    "]": "}", "\\": "|", ";": ":", "'": '"', "Comma": "<", ".": ">", "/": "?",
}  # fmt: skip

WORDS = {
    "Esc": "Esc", "Backspace": "Backspace", "Tab": "Tab", "Caps Lock": "Caps Lock",
    "Enter": "Enter", "Left Shift": "Shift", "Right Shift": "Shift",
    "Left Ctrl": "Ctrl", "Right Ctrl": "Ctrl", "Left Alt": "Alt",
    "Right Alt": "Alt", "Left Win": "Win", "Right Win": "Win",
    "Application": "App", "Print Screen": "PrtSc", "Scroll Lock": "ScrLk",
    "Pause": "Pause", "Insert": "Ins", "Home": "Home", "Page Up": "PgUp",
    "Delete": "Del", "End": "End", "Page Down": "PgDn", "Num Enter": "Enter",
    "Space": "",
}  # fmt: skip

ICONS = {
    "Pretrack": "prev", "Play/Pause": "playpause", "Nexttrack": "next",
    "Stop": "stop", "www Back": "back", "www Forward": "forward",
    "Refresh": "refresh", "www Stop": "wwwstop", "www Home": "home",
    "www Search": "search", "Favorites": "star", "Mail": "mail",
    "My Computer": "computer", "Calculator": "calculator", "Mute": "mute",
    "Volume Down": "voldown", "Volume Up": "volup", "Up": "up",
    "Down": "down", "Left": "left", "Right": "right",
    "Close": "close", "Minimize": "minimize", "Menu": "menu",
}  # fmt: skip

BUTTON_WORDS = {
    "Macro..": "MACROS", "Default": "DEFAULT", "Apply": "APPLY", "OK": "OK",
    "Cancel": "CANCEL", "Profile1": "PROFILE 1", "Profile2": "PROFILE 2",
    "Profile3": "PROFILE 3",
}  # fmt: skip


def legend_of(caption):
    """('icon', name) | ('pair', top, bottom) | ('text', lines) for a key caption."""
    if caption in ICONS:
        return ("icon", ICONS[caption])
    if caption in SHIFTED:
        bottom = "," if caption == "Comma" else caption
        return ("pair", SHIFTED[caption], bottom)
    if caption in WORDS:
        return ("text", [WORDS[caption]] if WORDS[caption] else [])
    if caption == "Num Lock":
        return ("text", ["Num", "Lock"])
    if caption.startswith("Num "):
        sym = caption[4:]
        return ("text", [{"-": "\u2212"}.get(sym, sym)])
    return ("text", [caption])


# --------------------------------------------------------------------------
# Main window: caps and buttons


def cap_colours(state):
    """(skirt top, skirt bottom, face top, face bottom, legend) of a state."""
    if state == "down":
        return ((150, 58, 6), (96, 32, 2), AMBER_TOP, AMBER_BOTTOM, TEXT_DARK)
    if state == "over":
        return ((30, 84, 104), (14, 44, 58), (52, 124, 150), (34, 92, 114), (255, 255, 255))
    return ((40, 43, 52), (20, 22, 27), (58, 62, 73), (42, 45, 54), TEXT)


def draw_cap_shape(c, w, h, state, radius=5.0):
    """Skirt, top face and the state's light, inside (0, 0, w, h)."""
    skirt_top, skirt_bottom, face_top, face_bottom, _ = cap_colours(state)
    c.rrect_gradient((0, 0, w, h), radius, skirt_top, skirt_bottom)
    if state == "over":
        # The cap sits in a ring of light; the glow pools under the lip.
        c.rrect((0, 0, w, h), radius, outline=CYAN + (255,), width=1.5)
        c.rrect((1.5, 1.5, w - 1.5, h - 1.5), radius - 1.5, outline=CYAN + (70,), width=1.5)
    elif state == "down":
        c.rrect((0, 0, w, h), radius, outline=(255, 150, 40, 150), width=1.0)
    face = (3, 1.5, w - 3, h - 5)
    c.rrect_gradient(face, radius - 1.5, face_top, face_bottom)
    # Light catching the top edge of the face.
    hl = (255, 255, 255, 60 if state != "down" else 110)
    c.line([(face[0] + radius, face[1] + 0.5), (face[2] - radius, face[1] + 0.5)], hl, 0.8)
    if state == "over":
        c.line([(radius, h - 1.2), (w - radius, h - 1.2)], CYAN_SOFT + (230,), 1.4)
    return face


def render_key(bg, slot, state):
    """Image of one key cap in state, cut to the slot's rectangle."""
    x, y, w, h = slot.rect
    c = Canvas(w, h)
    face = draw_cap_shape(c, w, h, state)
    legend = cap_colours(state)[4]
    kind = legend_of(slot.caption)
    fx0, fy0, fx1, fy1 = face
    fcx, fcy = (fx0 + fx1) / 2, (fy0 + fy1) / 2
    if kind[0] == "icon":
        size = min(fx1 - fx0, fy1 - fy0) * (0.62 if h < 32 else 0.5)
        if kind[1] in ("up", "down", "left", "right"):
            icon_triangle(c, fcx, fcy, size * 0.8, legend + (255,), kind[1])
        else:
            draw_icon(c, kind[1], fcx, fcy, size, legend + (255,))
    img = bg.crop(slot.box).convert("RGBA")
    img.alpha_composite(c.result())
    d = ImageDraw.Draw(img)
    if kind[0] == "pair":
        f = font("bold", 11)
        top = legend if state != "normal" else (172, 178, 192)
        d.text((fcx, fcy - 6.5), kind[1], font=f, fill=top, anchor="mm")
        d.text((fcx, fcy + 6.5), kind[2], font=font("bold", 12), fill=legend, anchor="mm")
    elif kind[0] == "text" and kind[1]:
        lines = kind[1]
        if len(lines) == 2:
            f = font("bold", 9)
            d.text((fcx, fcy - 5.5), lines[0], font=f, fill=legend, anchor="mm")
            d.text((fcx, fcy + 5.5), lines[1], font=f, fill=legend, anchor="mm")
        else:
            txt = lines[0]
            if len(txt) == 1:
                f = font("bold", 15)
            elif txt.startswith("F") and txt[1:].isdigit():
                f = font("bold", 11)
            else:
                f = fit_font(txt, "bold", 11, fx1 - fx0 - 4)
            d.text((fcx, fcy), txt, font=f, fill=legend, anchor="mm")
    return img.convert("RGB")


def render_button(bg, slot, state):
    """Image of one skin button (slots 122..132) in state."""
    x, y, w, h = slot.rect
    c = Canvas(w, h)
    caption = slot.caption
    is_window = caption in ("Close", "Minimize", "Menu")
    is_profile = caption.startswith("Profile")
    radius = h / 2 if is_profile else 5.0
    if state == "down":
        c.rrect_gradient((0, 0, w, h), radius, AMBER_TOP, AMBER_BOTTOM)
        c.rrect((0.5, 0.5, w - 0.5, h - 0.5), radius, outline=(255, 210, 140, 160), width=1.0)
        ink = TEXT_DARK
    elif state == "over":
        if caption == "Close":
            c.rrect_gradient((0, 0, w, h), radius, (232, 46, 56), (190, 24, 36))
        else:
            c.rrect_gradient((0, 0, w, h), radius, HOVER_TOP, HOVER_BOTTOM)
            c.rrect((0, 0, w, h), radius, outline=CYAN + (255,), width=1.5)
        ink = (255, 255, 255)
    else:
        if is_window:
            c.rrect_gradient((0, 0, w, h), radius, (36, 39, 47), (28, 30, 37))
        else:
            c.rrect_gradient((0, 0, w, h), radius, (44, 47, 57), (30, 32, 39))
            c.line([(radius, 0.7), (w - radius, 0.7)], (255, 255, 255, 40), 0.8)
        c.rrect((0, 0, w, h), radius, outline=(70, 76, 90, 255), width=1.0)
        ink = TEXT
    if is_window:
        draw_icon(c, ICONS[caption], w / 2, h / 2, min(w, h) * 0.46, ink + (255,))
    if is_profile:
        # The profile's status light: dark when idle, lit when active.
        led = (40, 16, 2) if state == "down" else (CYAN if state == "over" else (74, 80, 94))
        c.ellipse((10, h / 2 - 3, 16, h / 2 + 3), fill=led + (255,))
    img = bg.crop(slot.box).convert("RGBA")
    img.alpha_composite(c.result())
    if not is_window:
        word = BUTTON_WORDS.get(caption, caption)
        d = ImageDraw.Draw(img)
        f = font("bold", 10)
        cx = w / 2 + (5 if is_profile else 0)
        draw_text(d, (cx, h / 2), word, f, ink, tracking=1)
    return img.convert("RGB")


# --------------------------------------------------------------------------
# Main window: body


def main_outline(w, h):
    """Outline polygon of the keyboard body in picture coordinates."""
    m = 3  # transparent margin
    cut = 26  # chamfer of the upper corners
    low = 14  # smaller chamfer below
    return [
        (m + cut, m),
        (w - m - cut - 1, m),
        (w - m - 1, m + cut),
        (w - m - 1, h - m - low - 1),
        (w - m - low - 1, h - m - 1),
        (m + low, h - m - 1),
        (m, h - m - low - 1),
        (m, m + cut),
    ]


def outline_mask(size, polygon):
    """'L' image, 255 inside the outline."""
    mask = Image.new("L", size, 0)
    ImageDraw.Draw(mask).polygon(polygon, fill=255, outline=255)
    return mask


def union_box(rects, pad):
    x0 = min(r[0] for r in rects) - pad
    y0 = min(r[1] for r in rects) - pad
    x1 = max(r[0] + r[2] for r in rects) + pad
    y1 = max(r[1] + r[3] for r in rects) + pad
    return (x0, y0, x1, y1)


def draw_shell(c, poly, w, h):
    """The dark shell both windows share: a rim, then a lighter-at-the-top body
    inset by two pixels, with a light upper edge. Returns the inset outline."""
    c.polygon(poly, (10, 11, 14, 255))
    inner = [(x + (2 if x < w / 2 else -2), y + (2 if y < h / 2 else -2)) for x, y in poly]
    body = vgradient((w * SS, h * SS), BODY_TOP, BODY_BOTTOM).convert("RGBA")
    shape = Image.new("L", body.size, 0)
    ImageDraw.Draw(shape).polygon([(x * SS, y * SS) for x, y in inner], fill=255)
    c.img.paste(body, (0, 0), shape)
    c.line(inner[:2], EDGE_LIGHT + (255,), 1.0)
    return inner


def draw_main_body(size, slots):
    w, h = size
    poly = main_outline(w, h)
    inside = outline_mask(size, poly)
    c = Canvas(w, h)
    # Body: a dark shell, lighter at the top, with a bevelled rim.
    inner = draw_shell(c, poly, w, h)
    # Cyan trim on the upper chamfers.
    c.line([inner[7], inner[0]], CYAN + (220,), 1.4)
    c.line([inner[1], inner[2]], CYAN + (220,), 1.4)

    keys = [s for s in slots if 1 <= s.number <= 108]
    # Recessed deck under the keys: the gaps between caps read as dark
    # channels, like a plate seen between floating caps.
    deck = union_box([s.rect for s in keys], 8)
    c.rrect(deck, 9, fill=(52, 57, 68, 255))
    c.rrect((deck[0] + 1, deck[1] + 1, deck[2] - 1, deck[3] - 1), 8, fill=DECK + (255,))
    # Light bar along the front edge.
    fy = h - 9
    c.line([(w * 0.30, fy), (w * 0.70, fy)], CYAN + (90,), 3.0)
    c.line([(w * 0.34, fy), (w * 0.66, fy)], CYAN + (255,), 1.2)
    # Top bar: a divider under the title row with an accent at its left.
    c.line([(24, 53), (w - 24, 53)], (46, 50, 60, 255), 1.0)
    c.line([(24, 53), (200, 53)], CYAN + (255,), 1.2)
    # Trays behind the multimedia strip and the command buttons.
    media = [s.rect for s in slots if 109 <= s.number <= 121]
    if media:
        c.rrect(
            union_box(media, 4), 7, fill=(12, 13, 17, 255), outline=(48, 52, 62, 255), width=1.0
        )
    profiles = [s.rect for s in slots if s.number in (128, 129, 130) and s.rect[2] > 0]
    if profiles:
        c.rrect(
            union_box(profiles, 3), 16, fill=(12, 13, 17, 255), outline=(48, 52, 62, 255), width=1.0
        )
    draw_logo(c, 24, 16, 24)

    img = Image.new("RGB", size, OUTSIDE)
    img.paste(c.result().convert("RGB"), (0, 0), inside)
    # Backlight: a faint cyan glow leaking from under every cap into the deck.
    glow = Image.new("L", size, 0)
    gd = ImageDraw.Draw(glow)
    for s in keys:
        x, y, kw, kh = s.rect
        gd.rounded_rectangle((x - 1, y + 1, x + kw, y + kh + 2), radius=6, fill=150)
    glow = glow.filter(ImageFilter.GaussianBlur(4))
    deck_mask = Image.new("L", size, 0)
    ImageDraw.Draw(deck_mask).rounded_rectangle(deck, radius=8, fill=255)
    glow = Image.composite(glow, Image.new("L", size, 0), deck_mask).point(lambda v: v * 45 // 255)
    img.paste(Image.new("RGB", size, CYAN), (0, 0), glow)
    d = ImageDraw.Draw(img)
    # Brand.
    f1 = font("bold", 20)
    f2 = font("regular", 20)
    d.text((56, 28), "Tarsil", font=f1, fill=(245, 247, 250), anchor="lm")
    x = 56 + f1.getlength("Tarsil") + 6
    d.text((x, 28), "Software", font=f2, fill=CYAN, anchor="lm")
    return img


def draw_logo(c, x, y, s):
    """The program's mark: a chevron 'T' in a cut-corner badge, s pixels tall."""
    k = s / 24.0
    badge = [
        (x + 6 * k, y), (x + 24 * k, y), (x + 24 * k, y + 18 * k),
        (x + 18 * k, y + 24 * k), (x, y + 24 * k), (x, y + 6 * k),
    ]  # fmt: skip
    c.polygon(badge, AMBER_BOTTOM + (255,))
    inner = [
        (x + 7 * k, y + 2 * k), (x + 22 * k, y + 2 * k), (x + 22 * k, y + 17 * k),
        (x + 17 * k, y + 22 * k), (x + 2 * k, y + 22 * k), (x + 2 * k, y + 7 * k),
    ]  # fmt: skip
    c.polygon(inner, (20, 22, 28, 255))
    # The T: a bar with an arrow stem, pointing down like a key stroke.
    c.polygon(
        [
            (x + 5 * k, y + 5.5 * k), (x + 19 * k, y + 5.5 * k), (x + 19 * k, y + 9 * k),
            (x + 14 * k, y + 9 * k), (x + 14 * k, y + 15 * k), (x + 12 * k, y + 19 * k),
            (x + 10 * k, y + 15 * k), (x + 10 * k, y + 9 * k), (x + 5 * k, y + 9 * k),
        ],
        AMBER_TOP + (255,),
    )  # fmt: skip


def render_main(slots, size):
    base = draw_main_body(size, slots)
    pictures = {}
    for state in ("normal", "over", "down"):
        img = base.copy()
        for s in slots:
            if s.rect[2] <= 0 or s.rect[3] <= 0:
                continue
            if s.number <= 121:
                face = render_key(base, s, state)
            else:
                face = render_button(base, s, state)
            img.paste(face, s.rect[:2])
        pictures[state] = img
    mask = Image.new("RGB", size, OUTSIDE)
    mask.paste((0, 0, 0), (0, 0), outline_mask(size, main_outline(*size)))
    pictures["mask"] = mask
    return pictures


# --------------------------------------------------------------------------
# Key settings dialog


DIALOG_ICONS = {
    1: "check", 2: "close", 3: "undo", 4: "keyboard", 10: "plus", 11: "trash",
    12: "record", 13: "trash", 14: "sweep", 15: "top", 16: "up", 17: "down",
    18: "bottom", 28: "sweep",
}  # fmt: skip
KIND_ICONS = {6: "key", 7: "macro", 8: "playpause", 9: "function"}

PANEL = (40, 116, 576, 430)  # content panel, inclusive of a 16 px margin


def dialog_outline(w, h):
    m, cut = 1, 18
    return [
        (m + cut, m), (w - m - cut - 1, m), (w - m - 1, m + cut),
        (w - m - 1, h - m - cut - 1), (w - m - cut - 1, h - m - 1),
        (m + cut, h - m - 1), (m, h - m - cut - 1), (m, m + cut),
    ]  # fmt: skip


def draw_dialog_body(size, entries, kind, greyed=False):
    """Background of the dialog for kind: 'key', 'media', 'function', 'macro', 'macro2'."""
    w, h = size
    poly = dialog_outline(w, h)
    c = Canvas(w, h)
    inner = draw_shell(c, poly, w, h)
    draw_logo(c, w - 46, 14, 22)
    c.line([(20, 54), (w - 20, 54)], (46, 50, 60, 255), 1.0)
    c.line([(20, 54), (150, 54)], CYAN + (255,), 1.2)

    e = {n: entries[n - 1] for n in range(1, 29)}
    tabs = [e[n].rect for n in (6, 7, 8, 9)]
    content = (20, tabs[0][1] + tabs[0][3] + 6, w - 20, e[1].rect[1] - 12)
    # Tab rail and the content panel.
    c.rrect(union_box(tabs, 4), 9, fill=(12, 13, 17, 255), outline=(48, 52, 62, 255), width=1.0)
    c.rrect(content, 10, fill=(13, 14, 18, 255), outline=(50, 54, 64, 255), width=1.0)
    open_tab = {"key": 6, "macro": 7, "macro2": 7, "media": 8, "function": 9}[kind]
    tx, ty, tw, th = e[open_tab].rect
    # The open kind: a lit bar between its tab and the panel.
    c.rrect((tx + 10, ty + th + 2, tx + tw - 10, ty + th + 5), 1.5, fill=AMBER_TOP + (255,))
    c.rrect((tx + 4, ty + th + 3, tx + tw - 4, ty + th + 4), 1, fill=AMBER_BOTTOM + (120,))

    if kind in ("key", "media", "function"):
        box = {"key": 19, "media": 20, "function": 21}[kind]
        bx, by, bw, bh = e[box].rect
        fh = 40 if kind == "key" else min(bh, 34)
        # Frame around the control's visible part.
        c.rrect(
            (bx - 4, by - 4, bx + bw + 4, by + fh + 4),
            7,
            fill=(8, 9, 12, 255),
            outline=CYAN + (200,),
            width=1.2,
        )
        icon = {"key": "key", "media": "playpause", "function": "function"}[kind]
        icy = content[1] + 38
        c.ellipse(
            (w / 2 - 24, icy - 24, w / 2 + 24, icy + 24),
            fill=(22, 24, 30, 255),
            outline=(60, 66, 80, 255),
            width=1.2,
        )
        draw_icon(c, icon, w / 2, icy, 24, CYAN + (255,))
        if kind == "media":
            names = ["prev", "playpause", "next", "refresh", "wwwstop", "back", "forward"]
            for i, n in enumerate(names):
                cx = w / 2 + (i - 3) * 44
                c.rrect(
                    (cx - 16, 376, cx + 16, 404),
                    6,
                    fill=(28, 30, 37, 255),
                    outline=(60, 66, 80, 255),
                    width=1.0,
                )
                draw_icon(c, n, cx, 390, 14, TEXT_DIM + (255,))
    else:
        # Macro kinds: frames around the macro list, the step list and the
        # timing fields (a drop-down list shows one line).
        for n in (22, 23, 24, 25, 26):
            bx, by, bw, bh = e[n].rect
            fh = min(bh, 30) if n in (22, 24) else bh
            c.rrect(
                (bx - 3, by - 3, bx + bw + 3, by + fh + 3),
                6,
                fill=(8, 9, 12, 255),
                outline=(60, 66, 80, 255),
                width=1.0,
            )
        col = [e[n].rect for n in range(12, 19)]
        c.rrect(union_box(col, 8), 8, fill=(18, 20, 25, 255), outline=(44, 48, 58, 255), width=1.0)
    if kind == "macro2":
        # The editor has no kind choice: the rail holds the macro tab only.
        for n in (6, 8, 9):
            x0, y0, ww, hh = e[n].rect
            c.rrect((x0, y0, x0 + ww, y0 + hh), 7, fill=(12, 13, 17, 255))

    img = c.result().convert("RGB")
    d = ImageDraw.Draw(img)
    # Title area (entry 5).
    t = e[5].rect
    title = "宏编辑器" if kind == "macro2" else "按键设置"
    d.text(
        (t[0] + 2, t[1] + t[3] / 2), title, font=font("bold", 20), fill=(245, 247, 250), anchor="lm"
    )
    tw_ = font("bold", 20).getlength(title)
    d.text(
        (t[0] + tw_ + 14, t[1] + t[3] / 2 + 2),
        "Tarsil Software",
        font=font("regular", 13),
        fill=CYAN,
        anchor="lm",
    )
    hint_font = font("regular", 14)
    label_font = font("bold", 12)
    if kind in ("key", "media", "function"):
        box = {"key": 19, "media": 20, "function": 21}[kind]
        bx, by, bw, bh = e[box].rect
        heading, hint = {
            "key": ("单键", "按下键盘上的一个键，它将代替此按键。"),
            "media": ("多媒体", "从列表中选择此按键执行的多媒体功能。"),
            "function": ("功能键", "从列表中选择此按键执行的快捷功能。"),
        }[kind]
        d.text(
            (w / 2, content[1] + 82),
            heading,
            font=font("bold", 18),
            fill=(245, 247, 250),
            anchor="mm",
        )
        d.text((w / 2, content[1] + 106), hint, font=hint_font, fill=TEXT_DIM, anchor="mm")
        if kind == "key":
            d.text(
                (w / 2, by + 64),
                "“清除”恢复此按键的原有功能",
                font=font("regular", 12),
                fill=(96, 102, 116),
                anchor="mm",
            )
        if kind == "function":
            # What each function types, in the order of the list; the
            # profile keys, last, switch profiles instead.
            rows = [
                ("Open", "Ctrl+O"), ("New", "Ctrl+N"), ("Undo", "Ctrl+Z"),
                ("Save", "Ctrl+S"), ("Copy", "Ctrl+C"), ("Cut", "Ctrl+X"),
                ("Paste", "Ctrl+V"), ("Search", "Ctrl+F"), ("Select ALL", "Ctrl+A"),
                ("Zoom Out", "Ctrl+−"), ("Zoom In", "Ctrl++"),
                ("Minimize", "Alt+Space N"), ("Maximize", "Alt+Space X"),
                ("Profile 1", "→ 1"), ("Profile 2", "→ 2"), ("Profile 3", "→ 3"),
                ("Next Profile", "1→2→3→1"),
            ]  # fmt: skip
            f = font("regular", 11)
            per_row, pitch = 6, 88
            for i, (name, keys) in enumerate(rows):
                row, col = divmod(i, per_row)
                in_row = min(per_row, len(rows) - row * per_row)
                cx = w / 2 + (col - (in_row - 1) / 2) * pitch
                cy = 326 + row * 34
                ink = CYAN if name.endswith("Profile") or name.startswith("Profile") else TEXT
                d.text((cx, cy), name, font=font("bold", 11), fill=ink, anchor="mm")
                d.text((cx, cy + 14), keys, font=f, fill=TEXT_DIM, anchor="mm")
    else:
        x22, y22 = e[22].rect[:2]
        x23, y23 = e[23].rect[:2]
        d.text((x22, y22 - 20), "宏", font=label_font, fill=TEXT_DIM, anchor="lt")
        d.text((x23, y23 - 20), "步骤", font=label_font, fill=TEXT_DIM, anchor="lt")
        # The timing fields are named by their captions, above them.
        for n in (24, 25, 26):
            x, y = e[n].rect[:2]
            d.text((x, y - 20), e[n].caption, font=label_font, fill=TEXT_DIM, anchor="lt")
        if kind == "macro2":
            x8 = e[8].rect
            x9 = e[9].rect
            cx = (x8[0] + x9[0] + x9[2]) / 2
            d.text(
                (cx, x8[1] + x8[3] / 2),
                "创建、录制和整理宏",
                font=font("bold", 14),
                fill=TEXT_DIM,
                anchor="mm",
            )
    if greyed:
        img = grey(img)
    return img


def grey(img):
    """Desaturated and dimmed copy, the disabled look."""
    g = img.convert("L").convert("RGB")
    return Image.blend(g, Image.new("RGB", img.size, (20, 21, 25)), 0.35)


def draw_dialog_face(c, w, h, state, tab, primary, recording=False):
    """The face both dialogs' buttons share; returns the caption's ink.

    A tab (or toggle) is flatter than a push button when idle; the primary
    button has a cyan rim; a pressed record button glows red, not amber."""
    radius = 7.0 if tab else 6.0
    if state == "down":
        if recording:
            c.rrect_gradient((0, 0, w, h), radius, (236, 60, 60), (180, 26, 30))
            ink = (255, 255, 255)
        else:
            c.rrect_gradient((0, 0, w, h), radius, AMBER_TOP, AMBER_BOTTOM)
            ink = TEXT_DARK
        c.rrect((0.5, 0.5, w - 0.5, h - 0.5), radius, outline=(255, 220, 160, 150), width=1.0)
    elif state == "over":
        c.rrect_gradient((0, 0, w, h), radius, HOVER_TOP, HOVER_BOTTOM)
        c.rrect((0, 0, w, h), radius, outline=CYAN + (255,), width=1.5)
        ink = (255, 255, 255)
    elif state == "disable":
        c.rrect((0, 0, w, h), radius, fill=(30, 31, 35, 255), outline=(48, 50, 56, 255), width=1.0)
        ink = (84, 87, 94)
    else:
        if tab:
            c.rrect_gradient((0, 0, w, h), radius, (36, 39, 47), (28, 30, 37))
        else:
            c.rrect_gradient((0, 0, w, h), radius, (50, 54, 65), (34, 37, 45))
            c.line([(radius, 0.7), (w - radius, 0.7)], (255, 255, 255, 45), 0.8)
        c.rrect(
            (0, 0, w, h), radius, outline=(CYAN if primary else (72, 78, 92)) + (255,), width=1.0
        )
        ink = TEXT
    return ink


def render_dialog_button(bg, slot, state):
    """Face of skin button (Composite.ini entry) in state normal/over/down/disable."""
    x, y, w, h = slot.rect
    n = slot.number
    c = Canvas(w, h)
    is_tab = 6 <= n <= 9
    primary = n == 1
    ink = draw_dialog_face(c, w, h, state, is_tab, primary, recording=n == 12)
    icon = KIND_ICONS.get(n) or DIALOG_ICONS.get(n)
    icol = ink
    if n == 12 and state in ("normal", "over"):
        icol = (240, 60, 60)
    elif state == "normal" and (is_tab or primary):
        icol = CYAN
    return label_face(bg, slot, c, ink, icon, icol, big=is_tab)


def label_face(bg, slot, c, ink, icon, icon_ink, big=False):
    """The face on its piece of the background, with the caption centred
    after the icon (when there is one)."""
    w, h = slot.rect[2:]
    f = font("bold", 15 if big else 13)
    tw = f.getlength(slot.caption)
    isz = 16 if big else 12
    gap = 8 if big else 6
    total = tw + (isz + gap if icon else 0)
    x0 = (w - total) / 2
    if icon:
        draw_icon(c, icon, x0 + isz / 2, h / 2, isz, icon_ink + (255,))
    img = bg.crop(slot.box).convert("RGBA")
    img.alpha_composite(c.result())
    d = ImageDraw.Draw(img)
    d.text((x0 + (isz + gap if icon else 0), h / 2), slot.caption, font=f, fill=ink, anchor="lm")
    return img.convert("RGB")


def render_dialog(entries, size):
    """The fourteen dialog pictures by file stem."""
    bg = {
        k: draw_dialog_body(size, entries, k)
        for k in ("key", "media", "function", "macro", "macro2")
    }
    pictures = {}

    def with_buttons(base, numbers, state, hidden=()):
        img = base.copy()
        for n in numbers:
            s = entries[n - 1]
            if n in hidden or s.rect[2] <= 0 or s.rect[3] <= 0:
                continue
            img.paste(render_dialog_button(base, s, state), s.rect[:2])
        return img

    kind_and_bottom = (1, 2, 3, 4, 6, 7, 8, 9)  # entry 5 is no button
    macro_buttons = (10, 11, 12, 13, 14, 15, 16, 17, 18, 27, 28)
    hidden2 = (6, 8, 9)
    # Backgrounds show every visible button in its normal look, so that a
    # button that has not painted yet does not leave a hole.
    pictures["key_normal"] = with_buttons(bg["key"], kind_and_bottom, "normal")
    pictures["key_over"] = with_buttons(bg["key"], kind_and_bottom, "over")
    pictures["key_down"] = with_buttons(bg["key"], kind_and_bottom, "down")
    pictures["media_normal"] = with_buttons(bg["media"], kind_and_bottom, "normal")
    pictures["function_normal"] = with_buttons(bg["function"], kind_and_bottom, "normal")
    macro = with_buttons(bg["macro"], kind_and_bottom, "normal")
    pictures["macro_normal"] = with_buttons(macro, macro_buttons, "normal")
    pictures["macro_over"] = with_buttons(macro, macro_buttons, "over")
    pictures["macro_down"] = with_buttons(macro, macro_buttons, "down")
    pictures["macro_disable"] = with_buttons(grey(macro), macro_buttons, "disable")
    macro2 = with_buttons(bg["macro2"], kind_and_bottom, "normal", hidden2)
    pictures["macro2_normal"] = with_buttons(macro2, macro_buttons, "normal")
    pictures["macro2_over"] = with_buttons(macro2, macro_buttons, "over")
    pictures["macro2_down"] = with_buttons(macro2, macro_buttons, "down")
    pictures["macro2_disable"] = with_buttons(grey(macro2), macro_buttons, "disable")
    mask = Image.new("RGB", size, OUTSIDE)
    mask.paste((0, 0, 0), (0, 0), outline_mask(size, dialog_outline(*size)))
    pictures["key_mask"] = mask
    return pictures


# --------------------------------------------------------------------------
# Programs dialog


PROGRAMS_ICONS = {1: "check", 2: "close", 3: "plus", 4: "trash"}


def draw_programs_body(size, entries):
    """Background of the Programs dialog: the rule list, its profile, the fallback."""
    w, h = size
    poly = dialog_outline(w, h)
    c = Canvas(w, h)
    draw_shell(c, poly, w, h)
    draw_logo(c, w - 46, 14, 22)
    c.line([(20, 54), (w - 20, 54)], (46, 50, 60, 255), 1.0)
    c.line([(20, 54), (150, 54)], CYAN + (255,), 1.2)
    e = {n: entries[n - 1] for n in range(1, 13)}
    lx, ly, lw, lh = e[12].rect
    rules_panel = (16, ly - 30, w - 16, ly + lh + 14)
    fallback = [e[n].rect for n in range(8, 12)]
    fallback_panel = (16, fallback[0][1] - 30, w - 16, fallback[0][1] + fallback[0][3] + 26)
    for panel in (rules_panel, fallback_panel):
        c.rrect(panel, 10, fill=(13, 14, 18, 255), outline=(50, 54, 64, 255), width=1.0)
    # The list sits in a field framed like the key settings' fields.
    c.rrect((lx - 4, ly - 4, lx + lw + 4, ly + lh + 4), 7, fill=(8, 9, 12, 255),
            outline=CYAN + (200,), width=1.2)
    # The rule's profile and the fallback sit on rails, as the kind tabs do.
    pills = [e[n].rect for n in (5, 6, 7)]
    c.rrect(union_box(pills, 4), 9, fill=(12, 13, 17, 255), outline=(48, 52, 62, 255), width=1.0)
    c.rrect(union_box(fallback, 4), 9, fill=(12, 13, 17, 255), outline=(48, 52, 62, 255),
            width=1.0)
    img = c.result().convert("RGB")
    d = ImageDraw.Draw(img)
    d.text((26, 32), "Programs", font=font("bold", 20), fill=(245, 247, 250), anchor="lm")
    d.text((26 + font("bold", 20).getlength("Programs") + 14, 34), "Tarsil Software",
           font=font("regular", 13), fill=CYAN, anchor="lm")
    label = font("bold", 12)
    hint = font("regular", 11)
    d.text((lx - 2, ly - 18), "PROGRAM", font=label, fill=TEXT_DIM, anchor="lm")
    d.text((lx + lw - 92, ly - 18), "PROFILE", font=label, fill=TEXT_DIM, anchor="lm")
    px, py = pills[0][:2]
    d.text((px - 2, py - 18), "ITS PROFILE", font=label, fill=TEXT_DIM, anchor="lm")
    fx, fy = fallback[0][:2]
    d.text((fx - 2, fy - 16), "WHEN NO RULE MATCHES", font=label, fill=TEXT_DIM, anchor="lm")
    d.text((fx, fy + fallback[0][3] + 13),
           "Stay: the profile that is active stays active.",
           font=hint, fill=(96, 102, 116), anchor="lm")
    return img


def render_programs_button(bg, slot, state):
    """Face of a Programs dialog button in state normal/over/down/disable."""
    x, y, w, h = slot.rect
    n = slot.number
    c = Canvas(w, h)
    ink = draw_dialog_face(c, w, h, state, 5 <= n <= 11, n == 1)
    icol = CYAN if state == "normal" and n == 1 else ink
    return label_face(bg, slot, c, ink, PROGRAMS_ICONS.get(n), icol)


def render_programs(entries, size):
    """The Programs dialog's pictures by file stem."""
    base = draw_programs_body(size, entries)
    pictures = {}
    for state in ("normal", "over", "down", "disable"):
        source = grey(base) if state == "disable" else base
        img = source.copy()
        for s in entries[:11]:
            img.paste(render_programs_button(source, s, state), s.rect[:2])
        pictures["programs_" + state] = img
    mask = Image.new("RGB", size, OUTSIDE)
    mask.paste((0, 0, 0), (0, 0), outline_mask(size, dialog_outline(*size)))
    pictures["programs_mask"] = mask
    return pictures


# --------------------------------------------------------------------------
# Profile notice and tray icons


NOTICE_SIZE = (248, 64)


def render_notice():
    """The notice's background (the program writes its two lines on it) and mask."""
    w, h = NOTICE_SIZE
    c = Canvas(w, h)
    c.rrect((0, 0, w, h), 10, fill=(10, 11, 14, 255))
    body = vgradient((w * SS, h * SS), BODY_TOP, BODY_BOTTOM).convert("RGBA")
    shape = Image.new("L", body.size, 0)
    ImageDraw.Draw(shape).rounded_rectangle((2 * SS, 2 * SS, (w - 2) * SS, (h - 2) * SS),
                                            radius=9 * SS, fill=255)
    c.img.paste(body, (0, 0), shape)
    c.rrect((1, 1, w - 1, h - 1), 9, outline=CYAN + (160,), width=1.0)
    c.rrect((12, 12, 16, h - 12), 2, fill=AMBER_TOP + (255,))
    draw_logo(c, w - 40, (h - 26) / 2, 26)
    mask_shape = Image.new("L", (w, h), 0)
    ImageDraw.Draw(mask_shape).rounded_rectangle((0, 0, w - 1, h - 1), radius=10, fill=255)
    mask = Image.new("RGB", (w, h), OUTSIDE)
    mask.paste((0, 0, 0), (0, 0), mask_shape.point(lambda v: 255 if v >= 128 else 0))
    return {"notice_normal": c.result().convert("RGB"), "notice_mask": mask}


TRAY_SIZES = (16, 20, 24, 32)


def render_tray_icon(px, profile):
    """The tray icon of profile 1..3: the badge of the mark with the number."""
    img = Image.new("RGBA", (px, px), (0, 0, 0, 0))
    c = Canvas(px, px)
    cut = px * 0.25
    badge = [(cut, 0), (px, 0), (px, px - cut), (px - cut, px), (0, px), (0, cut)]
    c.polygon(badge, AMBER_BOTTOM + (255,))
    k = max(1.0, px / 16)
    inner = [(cut + k * 0.4, k), (px - k, k), (px - k, px - cut - k * 0.4),
             (px - cut - k * 0.4, px - k), (k, px - k), (k, cut + k * 0.4)]
    c.polygon(inner, (20, 22, 28, 255))
    img.alpha_composite(c.result())
    # The number, as large as the badge allows, in the lit amber of the
    # active profile's button.
    d = ImageDraw.Draw(img)
    f = font("bold", round(px * 1.12))
    d.text((px / 2, px / 2), str(profile), font=f, fill=AMBER_TOP + (255,), anchor="mm")
    return img


def tray_icon_name(profile):
    return "profile%d.ico" % profile


# --------------------------------------------------------------------------
# Icon


def render_icon(px):
    """RGBA image of the program icon at px x px."""
    c = Canvas(px, px)
    if px <= 16:
        # At 16 pixels only the badge and the T survive.
        draw_logo(c, 0, 0, 16)
    else:
        r = px * 0.2
        c.rrect_gradient((0, 0, px, px), r, BODY_TOP, BODY_BOTTOM)
        c.rrect((0, 0, px, px), r, outline=(70, 76, 90, 255), width=max(1.0, px / 64))
        m = px * 0.16
        draw_logo(c, m, m, px - 2 * m)
    return c.result()


INSTALLER_SIDE = (164, 314)  # the installer's welcome and finish pages


def render_installer_side():
    """The installer's side picture: the mark, the name and three key caps."""
    w, h = INSTALLER_SIDE
    bg = vgradient((w, h), BODY_TOP, BODY_BOTTOM).convert("RGBA")
    c = Canvas(w, h)
    draw_logo(c, (w - 56) / 2, 44, 56)
    c.line([(w / 2 - 40, 176), (w / 2 + 40, 176)], CYAN + (255,), 2)
    # Three caps of the keyboard, the middle one lit as a key with an
    # assignment: what the program is about.
    for i, state in enumerate(("normal", "down", "normal")):
        cap = Canvas(34, 34)
        face = draw_cap_shape(cap, 34, 34, state)
        legend = cap_colours(state)[4]
        ImageDraw.Draw(cap.img).text(
            (round((face[0] + face[2]) / 2 * SS), round((face[1] + face[3]) / 2 * SS)),
            "FGH"[i],
            font=font("bold", 14 * SS),
            fill=legend + (255,),
            anchor="mm",
        )
        c.img.alpha_composite(cap.img, (round((w / 2 - 58 + i * 40) * SS), round(232 * SS)))
    bg.alpha_composite(c.result())
    d = ImageDraw.Draw(bg)
    draw_text(d, (w / 2, 136), "Tarsil", font("bold", 26), TEXT + (255,))
    draw_text(d, (w / 2, 160), "Software", font("regular", 17), CYAN + (255,))
    return bg


def ico_bytes(images):
    """An .ico file: DIB entries up to 48 pixels, a PNG entry for 256."""
    blobs = []
    for img in images:
        w, h = img.size
        if w >= 256:
            buf = io.BytesIO()
            img.save(buf, "PNG", optimize=False)
            blobs.append(buf.getvalue())
            continue
        header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        rows = []
        for y in range(h - 1, -1, -1):
            row = bytearray()
            for x in range(w):
                r, g, b, a = img.getpixel((x, y))
                row += bytes((b, g, r, a))
            rows.append(bytes(row))
        mask_stride = ((w + 31) // 32) * 4
        mask_rows = []
        for y in range(h - 1, -1, -1):
            bits = bytearray(mask_stride)
            for x in range(w):
                if img.getpixel((x, y))[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask_rows.append(bytes(bits))
        blobs.append(header + b"".join(rows) + b"".join(mask_rows))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for img, blob in zip(images, blobs):
        w, h = img.size
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


# --------------------------------------------------------------------------
# Output


def save_bmp(img, path):
    # Pillow writes RGB as a 24-bit, uncompressed, bottom-up DIB with a
    # BITMAPINFOHEADER: what LoadImageW with LR_CREATEDIBSECTION loads.
    img.convert("RGB").save(path, "BMP")


def cut_in(picture, source, rect):
    """Paste source's pixels at rect onto picture, as the program's buttons do."""
    x, y, w, h = rect
    picture.paste(source.crop((x, y, x + w, y + h)), (x, y))


def shaped(picture, mask, backdrop=(96, 104, 120)):
    """picture as it appears through its window outline."""
    inside = mask.convert("L").point(lambda v: 0 if v == 255 else 255)
    out = Image.new("RGB", picture.size, backdrop)
    out.paste(picture, (0, 0), inside)
    return out


def contact_sheet(main, dialog, slots, entries, path, extras=()):
    """One PNG with every picture, and both windows as the program paints them."""
    w, h = main["normal"].size
    live = main["normal"].copy()
    # Some assigned keys, profile 1 active, and the pointer resting on F.
    for n in (1, 37, 57, 58, 59, 92, 128):
        cut_in(live, main["down"], slots[n - 1].rect)
    cut_in(live, main["over"], slots[59].rect)

    def rect(n):
        return entries[n - 1].rect

    # The dialog in the single-key kind with the pointer on OK; in the macro
    # kind with the pointer on a step button; and the macro editor recording.
    single = dialog["key_normal"].copy()
    cut_in(single, dialog["key_down"], rect(6))
    cut_in(single, dialog["key_over"], rect(1))
    macro = dialog["macro_normal"].copy()
    cut_in(macro, dialog["key_down"], rect(7))
    cut_in(macro, dialog["macro_over"], rect(16))
    editor = dialog["macro2_normal"].copy()
    cut_in(editor, dialog["key_down"], rect(7))
    cut_in(editor, dialog["macro_down"], rect(12))
    for n in range(13, 19):
        cut_in(editor, dialog["macro_disable"], rect(n))
    mask = dialog["key_mask"]
    shown = [
        ("single key, pointer on OK", shaped(single, mask)),
        ("macro, pointer on a step button", shaped(macro, mask)),
        ("macro editor, recording", shaped(editor, mask)),
    ]

    names = [
        "key_normal", "key_over", "key_down", "key_mask", "media_normal",
        "function_normal", "macro_normal", "macro_over", "macro_down",
        "macro_disable", "macro2_normal", "macro2_over", "macro2_down",
        "macro2_disable",
    ]  # fmt: skip
    dw, dh = mask.size
    tw, th = dw // 2, dh // 2
    sheet_w = w * 2 + 30
    cols = (sheet_w - 10) // (tw + 10)
    y_shown = 10 + (h + 24) * 2
    y_thumbs = y_shown + dh + 24
    rows = (len(names) + cols - 1) // cols
    y_extras = y_thumbs + rows * (th + 24) + 10
    extras_h = max((img.size[1] for _, img in extras), default=0) + 24
    sheet = Image.new("RGB", (sheet_w, y_extras + extras_h + 10), (60, 64, 72))
    d = ImageDraw.Draw(sheet)
    f = font("regular", 13)
    placements = [
        ("as shown: set keys, profile 1, pointer on F", shaped(live, main["mask"]), 10, 10),
        ("main_normal", main["normal"], w + 20, 10),
        ("main_over", main["over"], 10, 10 + h + 24),
        ("main_down", main["down"], w + 20, 10 + h + 24),
    ]
    placements += [
        (label, img, 10 + i * (dw + 10), y_shown) for i, (label, img) in enumerate(shown)
    ]
    for i, name in enumerate(names):
        x = 10 + (i % cols) * (tw + 10)
        y = y_thumbs + (i // cols) * (th + 24)
        placements.append((name, dialog[name].resize((tw, th), Image.LANCZOS), x, y))
    x = 10
    for label, img in extras:
        placements.append((label, img, x, y_extras))
        x += img.size[0] + 10
    for label, img, x, y in placements:
        sheet.paste(img, (x, y + 18))
        d.text((x, y), label, font=f, fill=(255, 255, 255))
    sheet.save(path, "PNG")


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--assets", default=ASSETS, help="folder with Main.ini and Composite.ini")
    parser.add_argument("--out", help="output folder (default: the assets folder)")
    parser.add_argument("--preview", help="also write a contact sheet PNG here")
    args = parser.parse_args(argv)
    out = args.out or args.assets
    skin = os.path.join(out, "skin")
    os.makedirs(skin, exist_ok=True)

    slots = load_main(os.path.join(args.assets, "Main.ini"))
    entries = load_composite(os.path.join(args.assets, "Composite.ini"))
    main_size = (MAIN_W, MAIN_H)
    dialog_size = (DLG_W, DLG_H)

    main_pics = render_main(slots, main_size)
    for state, img in main_pics.items():
        save_bmp(img, os.path.join(skin, "main_%s.bmp" % state))
    dialog_pics = render_dialog(entries, dialog_size)
    for name, img in dialog_pics.items():
        save_bmp(img, os.path.join(skin, name + ".bmp"))
    installer = os.path.join(out, "installer")
    os.makedirs(installer, exist_ok=True)
    save_bmp(render_installer_side(), os.path.join(installer, "side.bmp"))
    programs = load_programs(os.path.join(args.assets, "Programs.ini"))
    programs_pics = render_programs(programs, (PRG_W, PRG_H))
    notice_pics = render_notice()
    for name, img in list(programs_pics.items()) + list(notice_pics.items()):
        save_bmp(img, os.path.join(skin, name + ".bmp"))
    icons = [render_icon(px) for px in (16, 32, 48, 256)]
    with open(os.path.join(out, "tarsil.ico"), "wb") as f:
        f.write(ico_bytes(icons))
    for profile in (1, 2, 3):
        with open(os.path.join(out, tray_icon_name(profile)), "wb") as f:
            f.write(ico_bytes([render_tray_icon(px, profile) for px in TRAY_SIZES]))
    if args.preview:
        # The Programs dialog with a rule selected (profile 2, fallback stay)
        # and the pointer on Add; the notice; the tray icons, four times
        # their size.
        shown = programs_pics["programs_normal"].copy()
        for n in (6, 8):
            cut_in(shown, programs_pics["programs_down"], programs[n - 1].rect)
        cut_in(shown, programs_pics["programs_over"], programs[2].rect)
        extras = [("Programs: a rule on profile 2", shaped(shown, programs_pics["programs_mask"]))]
        extras.append(("notice", shaped(notice_pics["notice_normal"], notice_pics["notice_mask"])))
        for profile in (1, 2, 3):
            tray = Image.new("RGB", (32, 32), (40, 44, 52))
            tray.paste(render_tray_icon(32, profile), (0, 0), render_tray_icon(32, profile))
            extras.append(("tray %d" % profile, tray.resize((128, 128), Image.NEAREST)))
        contact_sheet(main_pics, dialog_pics, slots, entries, args.preview, extras)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
