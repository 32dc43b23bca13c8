#!/usr/bin/env python3
"""Draws the Kastrell artwork and writes the program's icons and the sample scheme.

Run:  python3 res/art/draw_art.py   (it writes below the repository root)

Everything is drawn here from simple shapes, pixel by pixel, so the output is the
same bytes on every run. Each picture is 32 x 32, 24-bit colour with a 1-bit mask.

A picture is built from layers. A layer is a shape (a test on pixel centres) and a
paint: the shape's edge pixels get the dark outline, its inside a top-to-bottom
gradient with a light rim on the upper left. A later layer covers earlier ones, and
its outline then separates the two.
"""
import os
import struct
from collections import namedtuple

SIZE = 32
CENTRE = 15.5  # continuous centre; the middle pixel of a symmetric shape is 15

Paint = namedtuple("Paint", "top bottom rim")  # an outlined, shaded body
Stain = namedtuple("Stain", "colour")  # colours what lies beneath, inside its outline

OUTLINE = (42, 27, 18)
RUST = Paint((250, 190, 120), (200, 96, 30), (255, 226, 180))
SKY = Paint((120, 190, 245), (35, 100, 190), (200, 232, 255))
WOOD = Paint((150, 98, 56), (98, 60, 32), (186, 134, 88))
GLASS = Paint((250, 252, 255), (214, 232, 244), (255, 255, 255))
SAND = Stain((240, 178, 48))


# --- shapes: functions of a pixel centre (x, y) that say whether it is inside ---

def polygon(*points):
    def inside(x, y):
        hit = False
        for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
            if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                hit = not hit
        return hit
    return inside


def box(left, top, right, bottom, cut=0):
    """A rectangle with its corners cut off by `cut` pixels."""
    return polygon((left + cut, top), (right - cut, top), (right, top + cut),
                   (right, bottom - cut), (right - cut, bottom), (left + cut, bottom),
                   (left, bottom - cut), (left, top + cut))


def ring(cx, cy, inner, outer, gap=None):
    """An annulus; `gap(dx, dy)` removes a part of it."""
    def inside(x, y):
        dx, dy = x - cx, y - cy
        return inner ** 2 <= dx * dx + dy * dy <= outer ** 2 and not (gap and gap(dx, dy))
    return inside


def union(*shapes):
    return lambda x, y: any(shape(x, y) for shape in shapes)


def moved(shape, dx, dy):
    return lambda x, y: shape(x - dx, y - dy)


def mirrored(shape):
    """Left-right mirror about the picture's centre."""
    return lambda x, y: shape(2 * CENTRE - x, y)


def transposed(shape):
    return lambda x, y: shape(y, x)


# --- the artwork's parts, each placed with its key point at the origin or centre ---

# The arrow's tip is pixel (0, 0).
ARROW = polygon((0, -0.5), (0, 21), (5, 16.5), (9, 24.5), (12.5, 23), (8.5, 15), (15, 15))


def hourglass(left, top, width, height):
    """Wooden caps and a glass with sand run mostly into the lower bulb."""
    right, bottom, mid_x, mid_y = left + width, top + height, left + width / 2, top + height / 2
    cap = max(2, round(height / 8))
    inset = max(2, round(width / 9))
    neck = max(1.5, width / 8)
    glass = polygon((left + inset, top), (right - inset, top),
                    (right - inset, top + cap + 1), (mid_x + neck, mid_y),
                    (right - inset, bottom - cap - 1), (right - inset, bottom),
                    (left + inset, bottom), (left + inset, bottom - cap - 1),
                    (mid_x - neck, mid_y), (left + inset, top + cap + 1))
    sand = union(polygon((left, mid_y - height / 6), (right, mid_y - height / 6),
                         (mid_x, mid_y + 1)),
                 box(mid_x - 0.5, mid_y - 1, mid_x + 0.5, bottom),
                 polygon((left, bottom), (mid_x, bottom - height / 3), (right, bottom)))
    return [(glass, GLASS), (sand, SAND),
            (box(left, top, right, top + cap + 1, 1), WOOD),
            (box(left, bottom - cap - 1, right, bottom, 1), WOOD)]


QUESTION = union(
    ring(0, 0, 2, 6.5, gap=lambda dx, dy: dx < 0 and dy > -1.5),
    box(-2, 3.5, 2, 9.5),
    box(-2, 11.5, 2, 15.5, 0.5))


def double_arrow(head, shaft):
    """Vertical double arrow through the centre, tips on rows 1 and 29."""
    c, base = CENTRE, 1 + head
    return polygon((c, 1), (c + head, base), (c + shaft, base), (c + shaft, 31 - base),
                   (c + head, 31 - base), (c, 30), (c - head, 31 - base),
                   (c - shaft, 31 - base), (c - shaft, base), (c - head, base))


def diagonal_arrow():
    """Double arrow from the upper left to the lower right, through the centre."""
    return polygon((3, 3), (13, 3), (9.5, 6.5), (25, 22), (28, 18), (28, 28),
                   (18, 28), (22, 25), (6.5, 9.5), (3, 13))


def hand():
    """A hand pointing up; the index finger's tip is on row 0, columns 4 to 7."""
    finger_and_palm = union(box(4, -0.5, 9, 16, 1.5), box(4, 14, 23, 27, 2))
    thumb = polygon((5, 14), (5, 24), (3, 23), (0, 18.5), (0, 15.5), (1.5, 14))
    fingers = [box(8.5 + 4.5 * i, 8 + i, 13.5 + 4.5 * i, 17.5, 1.5) for i in range(3)]
    cuff = box(6, 25, 21, 31, 0.5)
    return [(finger_and_palm, RUST), (thumb, RUST)] + [(f, RUST) for f in fingers] + [(cuff, SKY)]


# --- rendering ---

def render(layers):
    """Paints the layers in order; returns rows of (r, g, b) or None for transparent."""
    pixels = [[None] * SIZE for _ in range(SIZE)]
    for shape, paint in layers:
        mask = [[shape(x + 0.5, y + 0.5) for x in range(SIZE)] for y in range(SIZE)]
        rows = [y for y in range(SIZE) if any(mask[y])]
        if not rows:
            continue

        def inside(x, y):
            return 0 <= x < SIZE and 0 <= y < SIZE and mask[y][x]

        for y in rows:
            for x in range(SIZE):
                if not mask[y][x]:
                    continue
                if isinstance(paint, Stain):
                    if pixels[y][x] not in (None, OUTLINE):
                        pixels[y][x] = paint.colour
                    continue
                # Edges by the four direct neighbours: a one-pixel line even on diagonals.
                edge = not all(inside(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                if edge:
                    pixels[y][x] = OUTLINE
                elif not inside(x - 1, y - 1) or not inside(x - 2, y) or not inside(x, y - 2):
                    pixels[y][x] = paint.rim
                else:
                    t = (y - rows[0]) / max(1, rows[-1] - rows[0])
                    pixels[y][x] = tuple(round(a + (b - a) * t) for a, b in zip(paint.top, paint.bottom))
    return pixels


def image_bytes(pixels):
    """BITMAPINFOHEADER, colour rows and mask rows, both bottom-up as the format wants."""
    colour = b"".join(bytes(c for p in row for c in (p or (0, 0, 0))[::-1])  # BGR
                      for row in reversed(pixels))
    mask = b"".join(sum((1 << (31 - x)) for x in range(SIZE) if row[x] is None).to_bytes(4, "big")
                    for row in reversed(pixels))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 24, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


def icon_file(pixels, hotspot=None):
    """An .ico, or a .cur when a hot spot is given (the entry then holds it)."""
    data = image_bytes(pixels)
    kind, word1, word2 = (1, 1, 24) if hotspot is None else (2, *hotspot)
    if hotspot is not None and pixels[hotspot[1]][hotspot[0]] is None:
        raise ValueError(f"hot spot {hotspot} is on a transparent pixel")
    return (struct.pack("<HHH", 0, kind, 1)
            + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, word1, word2, len(data), 22)
            + data)


def write(path, content):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(content)


def main():
    os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
    pictures = {  # as the cursors show them
        "normal": [(ARROW, RUST)],
        "help": [(ARROW, RUST), (moved(QUESTION, 22.5, 8), SKY)],
        "working": [(ARROW, RUST)] + hourglass(16, 13, 14, 18),
        "busy": hourglass(6, 1, 20, 30),
    }
    # The cursor keeps its tip on the hot spot; the lone arrow sits centred in its icon.
    icons = dict(pictures, normal=[(moved(ARROW, 9, 4), RUST)])
    for name, file in (("normal", "normal-select"), ("help", "help-select"),
                       ("busy", "busy"), ("working", "working")):
        write(f"res/art/{file}.ico", icon_file(render(icons[name])))

    centre = (15, 15)
    vertical = double_arrow(8, 2.5)
    move = union(double_arrow(5, 2.5), transposed(double_arrow(5, 2.5)))
    scheme = [  # file, registry value name, layers, hot spot; in the scheme list's order
        ("Kastrell.cur", "Arrow", pictures["normal"], (0, 0)),
        ("qilo.cur", "Help", pictures["help"], (0, 0)),
        ("tervox.cur", "AppStarting", pictures["working"], (0, 0)),
        ("zun.cur", "Wait", pictures["busy"], centre),
        ("lonat.cur", "SizeNS", [(vertical, RUST)], centre),
        ("brin.cur", "SizeWE", [(transposed(vertical), RUST)], centre),
        ("vad1.cur", "SizeNWSE", [(diagonal_arrow(), RUST)], centre),
        ("vad2.cur", "SizeNESW", [(mirrored(diagonal_arrow()), RUST)], centre),
        ("krot.cur", "SizeAll", [(move, RUST)], centre),
        ("pamu.cur", "Hand", hand(), (6, 0)),
    ]
    for file, _, layers, hotspot in scheme:
        write(f"examples/Kastrell/{file}", icon_file(render(layers), hotspot))
    script = [f"{file}={file}" for file, *_ in scheme] + [f"{value}={file}" for file, value, *_ in scheme]
    write("examples/Kastrell/install.txt", "".join(line + "\r\n" for line in script).encode("ascii"))


if __name__ == "__main__":
    main()
