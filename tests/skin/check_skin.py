#!/usr/bin/python3
"""Checks the shipped skin: layout files, bitmaps and icons.

    /usr/bin/python3 tests/skin/check_skin.py ASSETS_DIR

Reads the layout files by the program's own rules (not through the
generator), checks every picture against them, and regenerates everything
into a temporary folder to prove the committed bytes are reproducible.
Prints one line per failure and exits non-zero if there was any.
"""

import filecmp
import os
import struct
import subprocess
import sys
import tempfile

from PIL import Image, ImageChops

HERE = os.path.dirname(os.path.abspath(__file__))
TOOLS = os.path.normpath(os.path.join(HERE, "..", "..", "tools", "skin"))

MAIN_PICTURES = ["main_normal", "main_over", "main_down", "main_mask"]
DIALOG_PICTURES = [
    "key_mask", "key_normal", "key_over", "key_down", "media_normal",
    "function_normal", "macro_normal", "macro_over", "macro_down",
    "macro_disable", "macro2_normal", "macro2_over", "macro2_down",
    "macro2_disable",
]  # fmt: skip

PROGRAMS_PICTURES = [
    "programs_normal", "programs_over", "programs_down", "programs_disable", "programs_mask",
]  # fmt: skip
NOTICE_PICTURES = ["notice_normal", "notice_mask"]
# The Programs dialog's entries, as the program knows them.
PROGRAMS_CAPTIONS = {
    1: "OK", 2: "Cancel", 3: "Add", 4: "Remove", 5: "1", 6: "2", 7: "3", 8: "Stay",
    9: "Profile 1", 10: "Profile 2", 11: "Profile 3", 12: "Rules",
}  # fmt: skip
TRAY_ICON_SIZES = [16, 20, 24, 32]

SKIN_BUTTONS = {
    122: None, 123: None, 124: None, 125: None, 126: None, 127: None,
    128: "Profile1", 129: "Profile2", 130: "Profile3", 131: None, 132: None,
}  # fmt: skip
BUTTON_NAMES = {
    "Close", "Macro..", "Minimize", "Menu", "Apply", "OK", "Cancel",
    "Default", "Profile1", "Profile2", "Profile3",
}  # fmt: skip

# The settings dialog's multimedia list and the codes those names must send.
MEDIA_NAMES = {
    "Play/Pause": 179, "Pretrack": 177, "Nexttrack": 176, "Refresh": 168,
    "www Stop": 169, "www Back": 166, "www Forward": 167,
}  # fmt: skip

# Every key of a 104-key keyboard with keypad, as a low-level hook reports it.
KEYBOARD_104 = (
    {8, 9, 13, 19, 20, 27, 32, 33, 34, 35, 36, 37, 38, 39, 40, 44, 45, 46}
    | set(range(48, 58)) | set(range(65, 91)) | {91, 92, 93}
    | set(range(96, 108)) - {108} | {108, 109, 110, 111}
    | set(range(112, 124)) | {144, 145} | set(range(160, 166))
    | {186, 187, 188, 189, 190, 191, 192, 219, 220, 221, 222}
)  # fmt: skip

COMPOSITE_CAPTIONS = {
    1: "确定", 2: "取消", 3: "清除", 4: "Osk", 6: "单键", 7: "宏", 8: "多媒体",
    9: "功能键", 10: "添加", 11: "删除", 12: "录制...", 13: "删除", 14: "清空",
    15: "上移到顶", 16: "上移", 17: "下移", 18: "下移到底", 26: "same delay for all steps",
}  # fmt: skip
# The dialog's entries, and the skin buttons among them (the others are
# controls, or the title).
DIALOG_ENTRIES = range(1, 29)
MACRO_BUTTONS = (10, 11, 12, 13, 14, 15, 16, 17, 18, 27, 28)


class Checker:
    def __init__(self):
        self.failures = []
        self.checks = 0

    def check(self, ok, message):
        self.checks += 1
        if not ok:
            self.failures.append(message)
            print("FAIL: " + message)
        return ok


# --------------------------------------------------------------------------
# Layout files, read the way the program reads them


def parse_int(field):
    field = field.lstrip()
    sign = -1 if field[:1] == "-" else 1
    if field[:1] in ("+", "-"):
        field = field[1:]
    n = 0
    digits = False
    for ch in field:
        if not "0" <= ch <= "9":
            break
        n = n * 10 + ord(ch) - 48
        digits = True
    return sign * n if digits else 0


def read_layout(path, c, wide):
    """{number: value} of section BUTTONINFO; checks encoding and line ends."""
    with open(path, "rb") as f:
        raw = f.read()
    name = os.path.basename(path)
    if wide:
        if not c.check(raw[:2] == b"\xff\xfe", "%s: no UTF-16LE byte order mark" % name):
            return {}
        text = raw[2:].decode("utf-16-le")
    else:
        try:
            text = raw.decode("ascii")
        except UnicodeDecodeError:
            c.check(False, "%s: not plain ASCII" % name)
            return {}
    c.check(
        text.count("\n") == text.count("\r\n") and "\r\n" in text,
        "%s: lines must end in CRLF" % name,
    )
    values = {}
    section = None
    for line in text.split("\r\n"):
        s = line.strip()
        if s.startswith("["):
            section = s[1 : s.find("]")].strip().upper()
        elif section == "BUTTONINFO" and "=" in s:
            key, value = s.split("=", 1)
            key = key.strip()
            c.check(key not in values, "%s: key %s appears twice" % (name, key))
            values[key] = value.strip()
    return values


def fields(value, count):
    parts = value.split(",")
    return (parts + [""] * count)[:count]


def load_main(path, c):
    values = read_layout(path, c, wide=False)
    slots = {}
    for n in range(1, 133):
        c.check(str(n) in values, "Main.ini: entry %d missing" % n)
        with_vk = n <= 121
        f = fields(values.get(str(n), ""), 6 if with_vk else 5)
        rect = tuple(parse_int(v) for v in f[:4])
        vk = parse_int(f[4]) if with_vk else None
        caption = f[5] if with_vk else f[4]
        c.check(
            len(values.get(str(n), "").split(",")) == (6 if with_vk else 5),
            "Main.ini: entry %d should have %d fields" % (n, 6 if with_vk else 5),
        )
        slots[n] = (rect, vk, caption)
    return slots


def load_entries(path, c, count, wide):
    """A dialog's layout: {n: (rect, caption)} for entries 1..count."""
    values = read_layout(path, c, wide)
    name = os.path.basename(path)
    entries = {}
    for n in range(1, count + 1):
        c.check(str(n) in values, "%s: entry %d missing" % (name, n))
        f = fields(values.get(str(n), ""), 5)
        entries[n] = (tuple(parse_int(v) for v in f[:4]), f[4])
    c.check(str(count + 1) not in values, "%s: entry %d is never read" % (name, count + 1))
    return entries


def load_composite(path, c):
    return load_entries(path, c, len(DIALOG_ENTRIES), wide=True)


def load_programs(path, c):
    return load_entries(path, c, 12, wide=False)


# --------------------------------------------------------------------------
# Bitmaps


def check_bmp_header(path, c):
    """True if path is a 24-bit uncompressed bottom-up DIB LoadImageW takes."""
    name = os.path.basename(path)
    with open(path, "rb") as f:
        data = f.read()
    if not c.check(len(data) >= 54 and data[:2] == b"BM", "%s: not a BMP file" % name):
        return False
    offset = struct.unpack_from("<I", data, 10)[0]
    size, w, h, planes, bpp, compression = struct.unpack_from("<IiiHHI", data, 14)
    ok = c.check(size == 40, "%s: header is %d bytes, not BITMAPINFOHEADER" % (name, size))
    ok &= c.check(bpp == 24 and planes == 1, "%s: %d bits per pixel, not 24" % (name, bpp))
    ok &= c.check(compression == 0, "%s: compressed (%d)" % (name, compression))
    ok &= c.check(h > 0, "%s: not bottom-up" % name)
    stride = (w * 3 + 3) & ~3
    ok &= c.check(offset + stride * abs(h) <= len(data), "%s: pixel data cut short" % name)
    return ok


def load_pictures(skin, names, c):
    pictures = {}
    for name in names:
        path = os.path.join(skin, name + ".bmp")
        if not c.check(os.path.isfile(path), "skin/%s.bmp is missing" % name):
            continue
        if check_bmp_header(path, c):
            pictures[name] = Image.open(path).convert("RGB")
    return pictures


def white_map(img):
    """'L' image: 255 where the pixel is exactly 0xFFFFFF, else 0."""
    r, g, b = (ch.point(lambda v: 255 if v == 255 else 0) for ch in img.split())
    return ImageChops.multiply(ImageChops.multiply(r, g), b)


def runs(row, value):
    """[start, end) runs of byte value in row."""
    out = []
    x, n = 0, len(row)
    other = bytes([255 - value])
    while x < n:
        start = row.find(bytes([value]), x)
        if start < 0:
            break
        end = row.find(other, start)
        end = n if end < 0 else end
        out.append((start, end))
        x = end
    return out


def components(bitmap, value):
    """Union-find over 4-connected runs of value; returns (count, touches_border per root)."""
    w, h = bitmap.size
    data = bitmap.tobytes()
    parent = []
    border = []

    def find(i):
        while parent[i] != i:
            parent[i] = parent[parent[i]]
            i = parent[i]
        return i

    prev = []
    for y in range(h):
        row = data[y * w : (y + 1) * w]
        cur = []
        for start, end in runs(row, value):
            i = len(parent)
            parent.append(i)
            border.append(y in (0, h - 1) or start == 0 or end == w)
            for pi, (ps, pe) in prev:
                if ps < end and start < pe:
                    a, b = find(pi), find(i)
                    if a != b:
                        parent[b] = a
                        border[a] = border[a] or border[b]
            cur.append((i, (start, end)))
        prev = cur
    roots = {find(i) for i in range(len(parent))}
    return len(roots), [border[r] for r in roots]


def check_mask(name, mask, rects, c):
    white = white_map(mask)
    inside = white.point(lambda v: 255 - v)
    count, _ = components(inside, 255)
    c.check(count == 1, "%s: the outline is %d shapes, not one" % (name, count))
    _, borders = components(white, 255)
    c.check(
        all(borders),
        "%s: exact white inside the outline (%d holes)" % (name, borders.count(False)),
    )
    for label, (x, y, w, h) in rects:
        if w <= 0 or h <= 0:
            continue
        c.check(
            white.crop((x, y, x + w, y + h)).getbbox() is None,
            "%s: %s reaches outside the outline" % (name, label),
        )


def differs_only_inside(a, b, rects):
    diff = ImageChops.difference(a, b)
    for x, y, w, h in rects:
        diff.paste((0, 0, 0), (x, y, x + w, y + h))
    return diff.getbbox() is None


def differs(a, b, rect):
    x, y, w, h = rect
    box = (x, y, x + w, y + h)
    return ImageChops.difference(a.crop(box), b.crop(box)).getbbox() is not None


def overlaps(a, b):
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


# --------------------------------------------------------------------------
# The checks


def check_main(assets, c):
    slots = load_main(os.path.join(assets, "Main.ini"), c)
    pics = load_pictures(os.path.join(assets, "skin"), MAIN_PICTURES, c)
    rects = {n: s[0] for n, s in slots.items()}

    # Keys and their codes.
    key_vks = [slots[n][1] for n in range(1, 105)]
    all_vks = [slots[n][1] for n in range(1, 122)]
    c.check(len(set(all_vks)) == 121, "Main.ini: vk codes of slots 1..121 repeat")
    missing = KEYBOARD_104 - set(key_vks)
    c.check(not missing, "Main.ini: keys missing from slots 1..104: %s" % sorted(missing))
    captions = [slots[n][2] for n in range(1, 122)]
    c.check(len(set(captions)) == 121, "Main.ini: captions of slots 1..121 repeat")
    for n in range(1, 122):
        caption = slots[n][2]
        c.check(caption.strip() != "", "Main.ini: slot %d has no caption" % n)
        # A key captioned like a button would act as that button when clicked.
        c.check(caption not in BUTTON_NAMES, "Main.ini: key %d is captioned %r" % (n, caption))
    media = {}
    for n in range(104, 122):
        media.setdefault(slots[n][2], slots[n][1])
    for name, vk in MEDIA_NAMES.items():
        c.check(
            media.get(name) == vk, "Main.ini: %r should send %d among slots 104..121" % (name, vk)
        )
    c.check(slots[104][2] not in MEDIA_NAMES, "Main.ini: slot 104 is a multimedia name")

    # Skin buttons.
    buttons = [slots[n][2] for n in range(122, 133)]
    c.check(sorted(buttons) == sorted(BUTTON_NAMES), "Main.ini: slots 122..132 are %s" % buttons)
    for n, expected in SKIN_BUTTONS.items():
        if expected:
            c.check(slots[n][2] == expected, "Main.ini: slot %d must be %s" % (n, expected))

    # Geometry.
    for n in range(1, 133):
        x, y, w, h = rects[n]
        c.check(w > 0 and h > 0, "Main.ini: slot %d has an empty rectangle" % n)
    for a in range(1, 133):
        for b in range(a + 1, 133):
            c.check(not overlaps(rects[a], rects[b]), "Main.ini: slots %d and %d overlap" % (a, b))
    # The view repaints a 2-pixel strip left of slot 28 from the normal
    # picture whatever the state; it must not cut into another key.
    x28, y28 = rects[28][:2]
    strip = (x28 - 6, y28, 2, rects[27][3])
    hit = [n for n in range(1, 133) if overlaps(strip, rects[n])]
    c.check(not hit, "Main.ini: the strip left of slot 28 overlaps slots %s" % hit)

    if len(pics) < 4:
        return
    size = pics["main_mask"].size
    for name in MAIN_PICTURES:
        c.check(
            pics[name].size == size, "%s.bmp: size %s, mask is %s" % (name, pics[name].size, size)
        )
    if any(p.size != size for p in pics.values()):
        return
    W, H = size
    c.check(900 <= W <= 1100 and 300 <= H <= 420, "main pictures: unexpected size %dx%d" % size)
    for n in range(1, 133):
        x, y, w, h = rects[n]
        c.check(
            x >= 0 and y >= 0 and x + w <= W and y + h <= H,
            "Main.ini: slot %d lies outside the %dx%d picture" % (n, W, H),
        )
    check_mask("main_mask.bmp", pics["main_mask"], [("slot %d" % n, rects[n]) for n in rects], c)
    c.check(white_map(pics["main_mask"]).getbbox() is not None, "main_mask.bmp: no outline cut")

    # The program cuts each key from the state pictures at its rectangle,
    # so the pictures may differ only there, and must differ in each.
    normal = pics["main_normal"]
    for state in ("main_over", "main_down"):
        c.check(
            differs_only_inside(normal, pics[state], rects.values()),
            "%s.bmp differs from main_normal.bmp outside the key rectangles" % state,
        )
        for n in range(1, 133):
            c.check(
                differs(normal, pics[state], rects[n]), "%s.bmp: slot %d looks normal" % (state, n)
            )
    for n in range(1, 133):
        c.check(
            differs(pics["main_over"], pics["main_down"], rects[n]),
            "main_over.bmp and main_down.bmp: slot %d looks the same" % n,
        )


def check_dialog(assets, c):
    entries = load_composite(os.path.join(assets, "Composite.ini"), c)
    pics = load_pictures(os.path.join(assets, "skin"), DIALOG_PICTURES, c)
    for n, caption in COMPOSITE_CAPTIONS.items():
        c.check(
            entries[n][1] == caption,
            "Composite.ini: entry %d is %r, not %r" % (n, entries[n][1], caption),
        )
    for n in DIALOG_ENTRIES:
        w, h = entries[n][0][2:]
        c.check(w > 0 and h > 0, "Composite.ini: entry %d has an empty rectangle" % n)
    if len(pics) < len(DIALOG_PICTURES):
        return
    size = pics["key_mask"].size
    for name in DIALOG_PICTURES:
        c.check(
            pics[name].size == size,
            "%s.bmp: size %s, key_mask is %s" % (name, pics[name].size, size),
        )
    if any(p.size != size for p in pics.values()):
        return
    W, H = size
    c.check(560 <= W <= 680 and 440 <= H <= 560, "dialog pictures: unexpected size %dx%d" % size)
    for n in DIALOG_ENTRIES:
        x, y, w, h = entries[n][0]
        c.check(
            x >= 0 and y >= 0 and x + w <= W and y + h <= H,
            "Composite.ini: entry %d lies outside the %dx%d dialog" % (n, W, H),
        )
    check_mask(
        "key_mask.bmp", pics["key_mask"], [("entry %d" % n, e[0]) for n, e in entries.items()], c
    )

    rect = {n: entries[n][0] for n in entries}
    key_buttons = (1, 2, 3, 4, 6, 7, 8, 9)
    for state in ("key_over", "key_down"):
        for n in key_buttons:
            c.check(
                differs(pics["key_normal"], pics[state], rect[n]),
                "%s.bmp: entry %d looks normal" % (state, n),
            )
    for state in ("macro_over", "macro_down", "macro_disable"):
        for n in MACRO_BUTTONS:
            c.check(
                differs(pics["macro_normal"], pics[state], rect[n]),
                "%s.bmp: entry %d looks normal" % (state, n),
            )
    # Disabled means grey: little colour left in the disabled faces.
    for n in MACRO_BUTTONS:
        x, y, w, h = rect[n]
        r, g, b = (ch for ch in pics["macro_disable"].crop((x, y, x + w, y + h)).split())
        chroma = (
            ImageChops.difference(r, g).getextrema()[1],
            ImageChops.difference(g, b).getextrema()[1],
        )
        c.check(max(chroma) <= 24, "macro_disable.bmp: entry %d is not greyed" % n)
    # The editor hides the single-key, multimedia and function-key buttons,
    # so its background must not show their faces.
    for n in (6, 8, 9):
        c.check(
            differs(pics["key_normal"], pics["macro2_normal"], rect[n]),
            "macro2_normal.bmp shows the hidden kind button of entry %d" % n,
        )
    # Each kind's background must tell which kind is open.
    backgrounds = ["key_normal", "media_normal", "function_normal", "macro_normal", "macro2_normal"]
    for i, a in enumerate(backgrounds):
        for b in backgrounds[i + 1 :]:
            c.check(
                ImageChops.difference(pics[a], pics[b]).getbbox() is not None,
                "%s.bmp and %s.bmp are the same picture" % (a, b),
            )


def check_greyed(name, picture, rect, c):
    """Disabled means grey: little colour left in a disabled face."""
    x, y, w, h = rect
    r, g, b = (ch for ch in picture.crop((x, y, x + w, y + h)).split())
    chroma = (
        ImageChops.difference(r, g).getextrema()[1],
        ImageChops.difference(g, b).getextrema()[1],
    )
    c.check(max(chroma) <= 24, "%s: %s is not greyed" % (name, rect))


def check_programs(assets, c):
    entries = load_programs(os.path.join(assets, "Programs.ini"), c)
    pics = load_pictures(os.path.join(assets, "skin"), PROGRAMS_PICTURES + NOTICE_PICTURES, c)
    for n, caption in PROGRAMS_CAPTIONS.items():
        c.check(
            entries[n][1] == caption,
            "Programs.ini: entry %d is %r, not %r" % (n, entries[n][1], caption),
        )
    if len(pics) < len(PROGRAMS_PICTURES) + len(NOTICE_PICTURES):
        return
    size = pics["programs_mask"].size
    for name in PROGRAMS_PICTURES:
        c.check(pics[name].size == size, "%s.bmp: size %s, programs_mask is %s"
                % (name, pics[name].size, size))  # fmt: skip
    c.check(pics["notice_normal"].size == pics["notice_mask"].size,
            "notice_normal.bmp and notice_mask.bmp differ in size")  # fmt: skip
    if any(pics[name].size != size for name in PROGRAMS_PICTURES):
        return
    W, H = size
    for n, (rect, _) in entries.items():
        x, y, w, h = rect
        c.check(w > 0 and h > 0 and x >= 0 and y >= 0 and x + w <= W and y + h <= H,
                "Programs.ini: entry %d is empty or outside the %dx%d dialog" % (n, W, H))
    check_mask("programs_mask.bmp", pics["programs_mask"],
               [("entry %d" % n, e[0]) for n, e in entries.items()], c)  # fmt: skip
    check_mask("notice_mask.bmp", pics["notice_mask"], [], c)
    buttons = [entries[n][0] for n in range(1, 12)]
    for state in ("programs_over", "programs_down", "programs_disable"):
        if state != "programs_disable":  # which is grey all over
            c.check(differs_only_inside(pics["programs_normal"], pics[state], buttons),
                    "%s.bmp: differs outside the buttons" % state)  # fmt: skip
        for n in range(1, 12):
            c.check(differs(pics["programs_normal"], pics[state], entries[n][0]),
                    "%s.bmp: entry %d looks normal" % (state, n))  # fmt: skip
    # Remove and the rule's profile are disabled while no rule is selected.
    for n in (4, 5, 6, 7):
        check_greyed("programs_disable.bmp", pics["programs_disable"], entries[n][0], c)


def check_icon_file(assets, name, want_sizes, c):
    path = os.path.join(assets, name)
    if not c.check(os.path.isfile(path), "%s is missing" % name):
        return None
    with open(path, "rb") as f:
        data = f.read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if not c.check(reserved == 0 and kind == 1, "%s: not an icon file" % name):
        return None
    sizes = []
    for i in range(count):
        w, h, _, _, _, bpp, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        w, h = w or 256, h or 256
        blob = data[offset : offset + length]
        c.check(len(blob) == length, "%s: image %d cut short" % (name, i))
        if blob[:8] == b"\x89PNG\r\n\x1a\n":
            pw, ph = struct.unpack_from(">II", blob, 16)
            c.check(
                (pw, ph) == (w, h),
                "%s: PNG image %d is %dx%d, listed %dx%d" % (name, i, pw, ph, w, h),
            )
        else:
            hs, bw, bh = struct.unpack_from("<Iii", blob, 0)
            c.check(
                hs == 40 and bw == w and bh == 2 * h,
                "%s: image %d has a bad DIB header" % (name, i),
            )
        sizes.append(w)
    c.check(sorted(sizes) == want_sizes, "%s: sizes %s, want %s" % (name, sorted(sizes), want_sizes))
    return data


def check_icon(assets, c):
    check_icon_file(assets, "tarsil.ico", [16, 32, 48, 256], c)
    # One tray icon per profile, each telling its number apart.
    tray = [check_icon_file(assets, "profile%d.ico" % p, TRAY_ICON_SIZES, c) for p in (1, 2, 3)]
    if all(tray):
        c.check(len(set(tray)) == 3, "profile1..3.ico are not three different icons")


def check_reproducible(assets, c):
    """Regenerating from the committed layout must give the committed bytes."""
    with tempfile.TemporaryDirectory() as tmp:
        layout = subprocess.run(
            [sys.executable, os.path.join(TOOLS, "layout.py"), "--out", tmp],
            capture_output=True, text=True,
        )  # fmt: skip
        gen = subprocess.run(
            [sys.executable, os.path.join(TOOLS, "generate.py"), "--assets", assets, "--out", tmp],
            capture_output=True, text=True,
        )  # fmt: skip
        if not c.check(layout.returncode == 0, "layout.py failed: " + layout.stderr.strip()):
            return
        if not c.check(
            gen.returncode == 0, "generate.py failed: " + (gen.stderr or gen.stdout).strip()
        ):
            return
        for name in ("Main.ini", "Composite.ini", "Programs.ini"):
            c.check(
                filecmp.cmp(os.path.join(tmp, name), os.path.join(assets, name), shallow=False),
                "%s differs from what tools/skin/layout.py writes" % name,
            )
        pictures = MAIN_PICTURES + DIALOG_PICTURES + PROGRAMS_PICTURES + NOTICE_PICTURES
        generated = ["skin/%s.bmp" % n for n in pictures]
        generated += ["tarsil.ico", "installer/side.bmp"]
        generated += ["profile%d.ico" % p for p in (1, 2, 3)]
        for name in generated:
            mine = os.path.join(assets, name)
            c.check(
                os.path.isfile(mine) and filecmp.cmp(os.path.join(tmp, name), mine, shallow=False),
                "%s differs from a fresh run of tools/skin/generate.py" % name,
            )


def main(argv):
    if len(argv) != 1:
        print("usage: check_skin.py ASSETS_DIR")
        return 2
    assets = os.path.abspath(argv[0])
    c = Checker()
    for name in ("Main.ini", "Composite.ini", "Programs.ini"):
        if not c.check(os.path.isfile(os.path.join(assets, name)), "%s is missing" % name):
            print("skin check: %d checks, %d failed" % (c.checks, len(c.failures)))
            return 1
    check_main(assets, c)
    check_dialog(assets, c)
    check_programs(assets, c)
    check_icon(assets, c)
    check_reproducible(assets, c)
    print("skin check: %d checks, %d failed" % (c.checks, len(c.failures)))
    return 1 if c.failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
