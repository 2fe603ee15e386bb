#!/usr/bin/python3
"""Writes assets/Main.ini, assets/Composite.ini and assets/Programs.ini.

The layout files are what ships; this script is where their geometry comes
from, so that a change of key pitch or a moved button is one edit here
instead of a hundred in the INI files.  Run it, then run generate.py to
redraw the pictures for the new layout.

    /usr/bin/python3 tools/skin/layout.py [--out DIR]
"""

import argparse
import os
import sys

# Main window picture.
MAIN_W, MAIN_H = 1000, 384

PITCH = 40  # one key unit, cap plus gap
GAP = 4  # gap between neighbouring caps
X_MAIN = 40  # left edge of the main block
X_NAV = X_MAIN + 15 * PITCH + 20  # navigation block, 0.5 unit further right
X_PAD = X_NAV + 3 * PITCH + 20  # keypad
Y_FROW = 108  # function key row
Y_ROW1 = 160  # number row; rows below follow at PITCH
CAP_H = PITCH - GAP


def key(x_units, row, w_units=1.0, h_units=1, x_base=X_MAIN):
    """Rectangle of a cap at x_units from x_base on row (0 = F-row, 1..5)."""
    left = x_base + round(x_units * PITCH)
    top = Y_FROW if row == 0 else Y_ROW1 + (row - 1) * PITCH
    width = round(w_units * PITCH) - GAP
    height = h_units * PITCH - GAP
    return (left, top, width, height)


def main_keys():
    """Slots 1..121 in slot order: (rect, vk, caption)."""
    keys = []

    def add(rect, vk, caption):
        keys.append((rect, vk, caption))

    # Row 0: Esc and F1..F12 (slots 1..13).
    add(key(0, 0), 27, "Esc")
    for i in range(12):
        group, pos = divmod(i, 4)
        add(key(2 + group * 4.5 + pos, 0), 112 + i, "F%d" % (i + 1))

    # Row 1 (slots 14..34).  Backspace is slot 27 and Insert slot 28, so the
    # 2-pixel strip the view repaints left of slot 28 falls in the gap
    # between the main block and the navigation block.
    add(key(0, 1), 192, "`")
    for i, ch in enumerate("1234567890"):
        add(key(1 + i, 1), ord(ch), ch)
    add(key(11, 1), 189, "-")
    add(key(12, 1), 187, "=")
    add(key(13, 1, 2), 8, "Backspace")
    add(key(0, 1, x_base=X_NAV), 45, "Insert")
    add(key(1, 1, x_base=X_NAV), 36, "Home")
    add(key(2, 1, x_base=X_NAV), 33, "Page Up")
    add(key(0, 1, x_base=X_PAD), 144, "Num Lock")
    add(key(1, 1, x_base=X_PAD), 111, "Num /")
    add(key(2, 1, x_base=X_PAD), 106, "Num *")
    add(key(3, 1, x_base=X_PAD), 109, "Num -")

    # Row 2 (slots 35..55).
    add(key(0, 2, 1.5), 9, "Tab")
    for i, ch in enumerate("QWERTYUIOP"):
        add(key(1.5 + i, 2), ord(ch), ch)
    add(key(11.5, 2), 219, "[")
    add(key(12.5, 2), 221, "]")
    add(key(13.5, 2, 1.5), 220, "\\")
    add(key(0, 2, x_base=X_NAV), 46, "Delete")
    add(key(1, 2, x_base=X_NAV), 35, "End")
    add(key(2, 2, x_base=X_NAV), 34, "Page Down")
    add(key(0, 2, x_base=X_PAD), 103, "Num 7")
    add(key(1, 2, x_base=X_PAD), 104, "Num 8")
    add(key(2, 2, x_base=X_PAD), 105, "Num 9")
    add(key(3, 2, 1, 2, x_base=X_PAD), 107, "Num +")

    # Row 3 (slots 56..71).
    add(key(0, 3, 1.75), 20, "Caps Lock")
    for i, ch in enumerate("ASDFGHJKL"):
        add(key(1.75 + i, 3), ord(ch), ch)
    add(key(10.75, 3), 186, ";")
    add(key(11.75, 3), 222, "'")
    add(key(12.75, 3, 2.25), 13, "Enter")
    add(key(0, 3, x_base=X_PAD), 100, "Num 4")
    add(key(1, 3, x_base=X_PAD), 101, "Num 5")
    add(key(2, 3, x_base=X_PAD), 102, "Num 6")

    # Row 4 (slots 72..88).  The comma key cannot be captioned "," in a
    # comma-separated layout value.
    add(key(0, 4, 2.25), 160, "Left Shift")
    for i, ch in enumerate("ZXCVBNM"):
        add(key(2.25 + i, 4), ord(ch), ch)
    add(key(9.25, 4), 188, "Comma")
    add(key(10.25, 4), 190, ".")
    add(key(11.25, 4), 191, "/")
    add(key(12.25, 4, 2.75), 161, "Right Shift")
    add(key(1, 4, x_base=X_NAV), 38, "Up")
    add(key(0, 4, x_base=X_PAD), 97, "Num 1")
    add(key(1, 4, x_base=X_PAD), 98, "Num 2")
    add(key(2, 4, x_base=X_PAD), 99, "Num 3")
    add(key(3, 4, 1, 2, x_base=X_PAD), 108, "Num Enter")

    # Row 5 (slots 89..101).
    x = 0.0
    for w, vk, caption in (
        (1.25, 162, "Left Ctrl"),
        (1.25, 91, "Left Win"),
        (1.25, 164, "Left Alt"),
        (6.25, 32, "Space"),
        (1.25, 165, "Right Alt"),
        (1.25, 92, "Right Win"),
        (1.25, 93, "Application"),
        (1.25, 163, "Right Ctrl"),
    ):
        add(key(x, 5, w), vk, caption)
        x += w
    add(key(0, 5, x_base=X_NAV), 37, "Left")
    add(key(1, 5, x_base=X_NAV), 40, "Down")
    add(key(2, 5, x_base=X_NAV), 39, "Right")
    add(key(0, 5, 2, x_base=X_PAD), 96, "Num 0")
    add(key(2, 5, x_base=X_PAD), 110, "Num .")

    # Slots 102..104 sit above the navigation block.  Slot 104 also feeds
    # the multimedia name table; "Pause" is no multimedia name.
    add(key(0, 0, x_base=X_NAV), 44, "Print Screen")
    add(key(1, 0, x_base=X_NAV), 145, "Scroll Lock")
    add(key(2, 0, x_base=X_NAV), 19, "Pause")
    assert len(keys) == 104

    # Slots 105..121: multimedia keys.  Transport keys sit above the
    # keypad, the rest in the strip under the title bar.
    for i, (vk, caption) in enumerate(
        ((177, "Pretrack"), (179, "Play/Pause"), (176, "Nexttrack"), (178, "Stop"))
    ):
        add(key(i, 0, x_base=X_PAD), vk, caption)
    strip = (
        (166, "www Back"),
        (167, "www Forward"),
        (168, "Refresh"),
        (169, "www Stop"),
        (172, "www Home"),
        (170, "www Search"),
        (171, "Favorites"),
        (180, "Mail"),
        (182, "My Computer"),
        (183, "Calculator"),
        (173, "Mute"),
        (174, "Volume Down"),
        (175, "Volume Up"),
    )
    for i, (vk, caption) in enumerate(strip):
        # A gap after the browser group and after the launch group.
        extra = (8 if i >= 7 else 0) + (8 if i >= 10 else 0)
        add((X_MAIN + i * 34 + extra, 62, 30, 28), vk, caption)
    assert len(keys) == 121
    return keys


def main_buttons():
    """Slots 122..132 in slot order: (rect, caption)."""
    right = MAIN_W - 40
    close = (right - 28, 18, 28, 26)
    minimize = (right - 62, 18, 28, 26)
    menu = (right - 96, 18, 28, 26)
    # Command buttons in the strip, flush right.
    cancel = (right - 78, 62, 78, 28)
    ok = (right - 78 - 8 - 64, 62, 64, 28)
    apply_ = (ok[0] - 8 - 72, 62, 72, 28)
    default = (apply_[0] - 8 - 80, 62, 80, 28)
    macro = (default[0] - 20 - 84, 62, 84, 28)
    # Profile selector in the title bar.
    p3 = (menu[0] - 24 - 84, 18, 84, 26)
    p2 = (p3[0] - 4 - 84, 18, 84, 26)
    p1 = (p2[0] - 4 - 84, 18, 84, 26)
    return [
        (close, "Close"),
        (macro, "Macro.."),
        (minimize, "Minimize"),
        (menu, "Menu"),
        (apply_, "Apply"),
        (ok, "OK"),
        (p1, "Profile1"),
        (p2, "Profile2"),
        (p3, "Profile3"),
        (cancel, "Cancel"),
        (default, "Default"),
    ]


# Key settings dialog.
DLG_W, DLG_H = 616, 500


def composite_entries():
    """Entries 1..28 in order: (rect, caption)."""
    tab_y, tab_w, tab_h = 64, 136, 40
    tab = [(24 + i * (tab_w + 8), tab_y, tab_w, tab_h) for i in range(4)]
    col_x, col_w = 468, 116  # macro step buttons, right column
    return [
        ((384, 446, 100, 36), "确定"),
        ((492, 446, 100, 36), "取消"),
        ((112, 446, 88, 36), "清除"),
        ((24, 446, 80, 36), "Osk"),
        ((24, 12, 400, 36), "按键设置"),
        (tab[0], "单键"),
        (tab[1], "宏"),
        (tab[2], "多媒体"),
        (tab[3], "功能键"),
        ((320, 138, 64, 30), "添加"),
        ((392, 138, 64, 30), "删除"),
        ((col_x, 136, col_w, 34), "录制..."),
        ((col_x, 198, col_w, 30), "删除"),
        ((col_x, 234, col_w, 30), "清空"),
        ((col_x, 282, col_w, 30), "上移到顶"),
        ((col_x, 318, col_w, 30), "上移"),
        ((col_x, 354, col_w, 30), "下移"),
        ((col_x, 390, col_w, 30), "下移到底"),
        ((148, 248, 320, 40), "按键名称"),
        ((148, 248, 320, 180), "多媒体列表"),
        ((148, 248, 320, 230), "功能键列表"),
        ((40, 138, 268, 200), "宏列表"),
        ((40, 198, 260, 222), "步骤列表"),
        # The timing of the chosen macro, in a column beside its steps.
        ((312, 198, 140, 160), "Mode"),
        ((312, 254, 140, 26), "Delay of the step (ms)"),
        ((312, 310, 66, 26), "same delay for all steps"),
        ((386, 308, 66, 30), "Set all"),
        ((312, 354, 140, 30), "Clear delays"),
    ]


# Programs dialog: the rules program -> profile.
PRG_W, PRG_H = 520, 448


def programs_entries():
    """Entries 1..12 in order: (rect, caption)."""
    col_x, col_w = 384, 112  # Add, Remove and the rule's profile, right of the list
    pill_w = (col_w - 2 * 4) // 3
    fb_w = (PRG_W - 48 - 3 * 8) // 4  # the four fallback choices, one row
    return [
        ((300, 398, 94, 34), "OK"),
        ((402, 398, 94, 34), "Cancel"),
        ((col_x, 94, col_w, 34), "Add"),
        ((col_x, 136, col_w, 34), "Remove"),
    ] + [
        ((col_x + i * (pill_w + 4), 214, pill_w, 30), str(i + 1)) for i in range(3)
    ] + [
        ((24 + i * (fb_w + 8), 334, fb_w, 32), caption)
        for i, caption in enumerate(("Stay", "Profile 1", "Profile 2", "Profile 3"))
    ] + [
        ((28, 98, 336, 186), "Rules"),
    ]


def format_main():
    lines = ["[BUTTONINFO]"]
    for n, (rect, vk, caption) in enumerate(main_keys(), 1):
        lines.append("%d=%d,%d,%d,%d,%d,%s" % ((n,) + rect + (vk, caption)))
    for n, (rect, caption) in enumerate(main_buttons(), 122):
        lines.append("%d=%d,%d,%d,%d,%s" % ((n,) + rect + (caption,)))
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def format_composite():
    lines = ["[BUTTONINFO]"]
    for n, (rect, caption) in enumerate(composite_entries(), 1):
        lines.append("%d=%d,%d,%d,%d,%s" % ((n,) + rect + (caption,)))
    # The dialog reads the file with the wide private-profile functions,
    # which take UTF-16LE only with its byte order mark.
    return b"\xff\xfe" + ("\r\n".join(lines) + "\r\n").encode("utf-16-le")


def format_programs():
    lines = ["[BUTTONINFO]"]
    for n, (rect, caption) in enumerate(programs_entries(), 1):
        lines.append("%d=%d,%d,%d,%d,%s" % ((n,) + rect + (caption,)))
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument(
        "--out",
        default=os.path.join(here, "..", "..", "assets"),
        help="folder to write the layout files into",
    )
    args = parser.parse_args(argv)
    os.makedirs(args.out, exist_ok=True)
    for name, data in (
        ("Main.ini", format_main()),
        ("Composite.ini", format_composite()),
        ("Programs.ini", format_programs()),
    ):
        with open(os.path.join(args.out, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
