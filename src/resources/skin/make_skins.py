#!/usr/bin/env python3
"""Writes the program's thirty-three skins, skin01.she .. skin33.she, into the given directory.

A skin is ASCII text: the line ".SHE", a version line, a name, then one "key RRGGBB" line per colour.
The skins walk the colour wheel; skin 3 is the one the program attaches.
"""
import colorsys
import pathlib
import sys

KEYS = (
    # key, lightness, saturation: the role of each colour decides how light and how vivid it is
    ("window", 0.93, 0.30),
    ("control", 0.88, 0.30),
    ("text", 0.16, 0.55),
    ("button", 0.74, 0.45),
    ("buttonlight", 0.88, 0.45),
    ("buttonshadow", 0.46, 0.45),
    ("buttontext", 0.10, 0.60),
    ("edit", 0.985, 0.40),
    ("edittext", 0.10, 0.50),
)
COUNT = 33


def colour(hue, lightness, saturation):
    red, green, blue = colorsys.hls_to_rgb(hue, lightness, saturation)
    return "%02X%02X%02X" % (round(red * 255), round(green * 255), round(blue * 255))


def skin_text(number):
    hue = ((number - 1) * 360 / COUNT + 200) % 360 / 360
    lines = [".SHE", "version 1", "name Korvan %d" % number]
    lines += ["%s %s" % (key, colour(hue, lightness, saturation)) for key, lightness, saturation in KEYS]
    return "\n".join(lines) + "\n"


def main():
    out = pathlib.Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    for number in range(1, COUNT + 1):
        path = out / ("skin%02d.she" % number)
        text = skin_text(number).encode("ascii")
        if not path.exists() or path.read_bytes() != text:
            path.write_bytes(text)


if __name__ == "__main__":
    main()
