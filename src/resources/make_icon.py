#!/usr/bin/env python3
"""Writes korvan.ico: the program's own icon at 16, 32 and 48 pixels, drawn here (standard library).

The picture: a blue rounded square holding a white "K", with a green dot at the lower right for
"renewed". Each size is drawn from the same shapes with 4x4 supersampling, as a 32-bit image with
alpha and its AND mask.

    make_icon.py OUTPUT.ico
"""
import struct
import sys

SIZES = (16, 32, 48)
BLUE = (0x1F, 0x5F, 0xBF)
WHITE = (0xFF, 0xFF, 0xFF)
GREEN = (0x2E, 0xB8, 0x4F)


def inside_rounded_square(x, y, radius):
    """x, y in 0..1; the square spans 0.04..0.96."""
    low, high = 0.04, 0.96
    if not (low <= x <= high and low <= y <= high):
        return False
    cx = min(max(x, low + radius), high - radius)
    cy = min(max(y, low + radius), high - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def near_segment(x, y, ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    px, py = ax + t * dx, ay + t * dy
    return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2


def colour_at(x, y):
    """RGBA of the picture at a point, y growing downwards; None outside."""
    if (x - 0.76) ** 2 + (y - 0.76) ** 2 <= 0.17 ** 2:
        if (x - 0.76) ** 2 + (y - 0.76) ** 2 >= 0.12 ** 2:
            return WHITE
        return GREEN
    if not inside_rounded_square(x, y, 0.18):
        return None
    stroke = 0.15
    if (near_segment(x, y, 0.30, 0.20, 0.30, 0.80, stroke) or
            near_segment(x, y, 0.34, 0.52, 0.68, 0.20, stroke) or
            near_segment(x, y, 0.40, 0.46, 0.62, 0.66, stroke)):
        return WHITE
    return BLUE


def render(size):
    """Rows top to bottom of (r, g, b, a)."""
    samples = 4
    rows = []
    for row in range(size):
        pixels = []
        for column in range(size):
            total = [0, 0, 0]
            covered = 0
            for sy in range(samples):
                for sx in range(samples):
                    colour = colour_at((column + (sx + 0.5) / samples) / size, (row + (sy + 0.5) / samples) / size)
                    if colour:
                        covered += 1
                        for channel in range(3):
                            total[channel] += colour[channel]
            if covered:
                pixels.append(tuple(value // covered for value in total) + (255 * covered // samples ** 2,))
            else:
                pixels.append((0, 0, 0, 0))
        rows.append(pixels)
    return rows


def icon_image(size):
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for pixels in reversed(rows) for (r, g, b, a) in pixels)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for pixels in reversed(rows):
        line = bytearray(mask_stride)
        for column, pixel in enumerate(pixels):
            if pixel[3] == 0:
                line[column // 8] |= 0x80 >> (column % 8)
        mask += line
    return header + colour + bytes(mask)


def main():
    images = [icon_image(size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, image in zip(SIZES, images):
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(sys.argv[1], "wb") as out:
        out.write(directory + entries + b"".join(images))


if __name__ == "__main__":
    main()
