#!/usr/bin/env python3
"""Writes one size of a Windows icon (.ico) as a PNG, for the desktop's
icon theme: ico_to_png.py ICON SIZE OUT.png"""
import sys

from PIL import Image


def main():
    icon, size, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    with Image.open(icon) as image:
        picture = image.ico.getimage((size, size))
        if picture.size != (size, size):
            sys.exit(f"{icon} holds no {size}x{size} picture")
        picture.convert("RGBA").save(out, "PNG")


if __name__ == "__main__":
    main()
