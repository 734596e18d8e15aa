#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files into res/icons/.

Standard library only. Each picture is a list of layers (a shape and a colour) on a 16-unit square; every image size
(16, 24 and 32 pixels, 32-bit with alpha and an AND mask) is rendered from it with 4x4 supersampling. The .ico files
are committed, so the build needs no image tools; run this again only when a picture changes:

    python3 res/make_icons.py
"""

import math
import os
import struct
import sys

SIZES = (16, 24, 32)
SUPERSAMPLE = 4
UNITS = 16.0


# ---------------------------------------------------------------- shapes: functions of a point in icon units


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, outer, inner):
    return lambda x, y: inner * inner <= (x - cx) ** 2 + (y - cy) ** 2 <= outer * outer


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def round_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def line(x0, y0, x1, y1, width):
    """A stroke with round ends."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy or 1e-9
    half = width / 2.0

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half * half
    return inside


def arc(cx, cy, outer, inner, start_deg, end_deg):
    """Part of a ring, angles counter-clockwise from the +x axis with y pointing up."""
    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if not inner * inner <= d2 <= outer * outer:
            return False
        angle = math.degrees(math.atan2(cy - y, x - cx)) % 360.0
        start, end = start_deg % 360.0, end_deg % 360.0
        return start <= angle <= end if start <= end else angle >= start or angle <= end
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(shape, *holes):
    return lambda x, y: shape(x, y) and not any(h(x, y) for h in holes)


def rotated(points, cx, cy, degrees):
    a = math.radians(degrees)
    c, s = math.cos(a), math.sin(a)
    return [(cx + (px - cx) * c - (py - cy) * s, cy + (px - cx) * s + (py - cy) * c) for px, py in points]


def rgb(text, alpha=255):
    text = text.lstrip("#")
    return (int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16), alpha)


# ---------------------------------------------------------------- the pictures

WHITE = rgb("ffffff")
INK = rgb("1a1a1a")


def person(cx, top, body, outline, scale=1.0):
    """Head and shoulders; top is the top of the head."""
    head_r = 2.6 * scale
    head = (cx, top + head_r + 0.4)
    shoulders_top = top + 2 * head_r + 0.9
    width = 5.6 * scale
    return [
        (circle(head[0], head[1], head_r + 0.7), outline),
        (round_rect(cx - width - 0.7, shoulders_top - 0.7, cx + width + 0.7, 15.6, 3.2 * scale + 0.7), outline),
        (circle(head[0], head[1], head_r), body),
        (round_rect(cx - width, shoulders_top, cx + width, 15.0, 3.2 * scale), body),
    ]


def picture_program():
    k = WHITE
    return [
        (circle(8, 8, 7.8), rgb("0b1a3d")),
        (circle(8, 8, 7.0), rgb("2453b3")),
        (arc(8, 8, 7.0, 5.9, 20, 160), rgb("f2c230")),
        (rect(4.4, 3.6, 6.4, 12.4), k),
        (line(6.2, 8.4, 11.2, 3.9, 2.1), k),
        (line(7.4, 7.6, 11.4, 12.3, 2.1), k),
    ]


def picture_map():
    sheet = [(1.0, 3.0), (5.5, 1.5), (10.5, 3.0), (15.0, 1.5), (15.0, 13.0), (10.5, 14.5), (5.5, 13.0), (1.0, 14.5)]
    inner = [(1.9, 3.7), (5.5, 2.5), (10.5, 4.0), (14.1, 2.7), (14.1, 12.3), (10.5, 13.5), (5.5, 12.0), (1.9, 13.3)]
    return [
        (polygon(sheet), rgb("6b4a1b")),
        (polygon(inner), rgb("efdfa8")),
        (ellipse(4.5, 9.5, 2.3, 2.0), rgb("5aa84a")),
        (line(7.0, 3.5, 9.0, 12.5, 1.3), rgb("3a7bd5")),
        (line(10.6, 6.0, 13.2, 8.6, 1.5), rgb("c62828")),
        (line(13.2, 6.0, 10.6, 8.6, 1.5), rgb("c62828")),
        (line(5.5, 2.5, 5.5, 12.0, 0.5), rgb("b89a58")),
        (line(10.5, 4.0, 10.5, 13.5, 0.5), rgb("b89a58")),
    ]


def picture_type():
    tag = [(1.0, 8.0), (6.0, 2.0), (15.0, 2.0), (15.0, 14.0), (6.0, 14.0)]
    inner = [(2.4, 8.0), (6.6, 3.1), (13.9, 3.1), (13.9, 12.9), (6.6, 12.9)]
    return [
        (polygon(tag), rgb("7a3a00")),
        (polygon(inner), rgb("f08c1a")),
        (circle(6.3, 8.0, 1.6), rgb("7a3a00")),
        (circle(6.3, 8.0, 0.9), WHITE),
        (rect(9.0, 6.0, 12.6, 7.0), rgb("fff1d6")),
        (rect(9.0, 9.0, 12.6, 10.0), rgb("fff1d6")),
    ]


def picture_address():
    return [
        (circle(8, 8, 7.6), rgb("0d3b73")),
        (circle(8, 8, 6.8), rgb("2e86de")),
        (ellipse(5.6, 6.0, 2.4, 1.8), rgb("4caf50")),
        (ellipse(10.6, 10.8, 2.2, 2.0), rgb("4caf50")),
        (minus(ellipse(8, 8, 3.2, 6.8), ellipse(8, 8, 2.4, 6.0)), rgb("e8f1fb")),
        (rect(1.2, 7.6, 14.8, 8.4), rgb("e8f1fb")),
        (rect(8 - 0.4, 1.2, 8 + 0.4, 14.8), rgb("e8f1fb")),
    ]


def hourglass(frame, sand):
    glass = rgb("dff3ff")
    return [
        (round_rect(2.5, 0.8, 13.5, 3.0, 0.8), frame),
        (round_rect(2.5, 13.0, 13.5, 15.2, 0.8), frame),
        (polygon([(3.6, 3.0), (12.4, 3.0), (8.9, 8.0), (12.4, 13.0), (3.6, 13.0), (7.1, 8.0)]), rgb("3d3d3d")),
        (polygon([(4.8, 3.6), (11.2, 3.6), (8.2, 8.0), (11.2, 12.4), (4.8, 12.4), (7.8, 8.0)]), glass),
        (polygon([(6.3, 5.6), (9.7, 5.6), (8.0, 8.0)]), sand),
        (polygon([(8.0, 9.2), (10.9, 12.4), (5.1, 12.4)]), sand),
    ]


def picture_game_waiting():
    return hourglass(rgb("8d5a16"), rgb("f2b632"))


def picture_game_running():
    blade = rgb("dde3ea")
    edge = rgb("4a5560")
    hilt = rgb("8a5a24")
    return [
        (line(2.2, 2.2, 12.0, 12.0, 3.0), edge),
        (line(13.8, 2.2, 4.0, 12.0, 3.0), edge),
        (line(2.2, 2.2, 12.0, 12.0, 1.6), blade),
        (line(13.8, 2.2, 4.0, 12.0, 1.6), blade),
        (line(9.4, 13.6, 13.6, 9.4, 2.0), hilt),
        (line(2.4, 9.4, 6.6, 13.6, 2.0), hilt),
        (line(12.2, 12.2, 14.6, 14.6, 2.0), rgb("c62828")),
        (line(3.8, 12.2, 1.4, 14.6, 2.0), rgb("c62828")),
    ]


def picture_idle_player():
    layers = person(7.0, 0.6, rgb("e08a2e"), rgb("6b3a0a"))
    layers += [
        (circle(12.4, 12.4, 3.4), rgb("333333")),
        (circle(12.4, 12.4, 2.6), rgb("fff4c2")),
        (line(12.4, 12.4, 12.4, 10.6, 0.8), rgb("333333")),
        (line(12.4, 12.4, 13.8, 12.4, 0.8), rgb("333333")),
    ]
    return layers


def picture_root_waiting():
    return [
        (line(9.8, 9.8, 14.6, 14.6, 3.2), rgb("4a2c0a")),
        (line(9.8, 9.8, 14.4, 14.4, 2.0), rgb("a0692a")),
        (circle(6.5, 6.5, 5.8), rgb("2b2b2b")),
        (circle(6.5, 6.5, 4.6), rgb("bfe3ff")),
        (arc(6.5, 6.5, 3.8, 3.0, 100, 170), WHITE),
    ]


def picture_root_games():
    stone = rgb("9aa0a6")
    dark = rgb("3b3f44")
    body = [(2.0, 4.0), (4.0, 4.0), (4.0, 2.0), (6.5, 2.0), (6.5, 4.0), (9.5, 4.0), (9.5, 2.0), (12.0, 2.0),
            (12.0, 4.0), (14.0, 4.0), (14.0, 15.0), (2.0, 15.0)]
    inner = [(2.9, 4.9), (4.9, 4.9), (4.9, 2.9), (5.6, 2.9), (5.6, 4.9), (10.4, 4.9), (10.4, 2.9), (11.1, 2.9),
             (11.1, 4.9), (13.1, 4.9), (13.1, 14.1), (2.9, 14.1)]
    return [
        (polygon(body), dark),
        (polygon(inner), stone),
        (union(round_rect(6.2, 9.0, 9.8, 15.0, 1.6), rect(6.2, 11.0, 9.8, 15.0)), rgb("5b3716")),
        (rect(4.0, 6.5, 5.4, 8.3), dark),
        (rect(10.6, 6.5, 12.0, 8.3), dark),
        (line(3.0, 11.0, 5.0, 11.0, 0.4), rgb("7d8389")),
        (line(11.0, 12.5, 13.0, 12.5, 0.4), rgb("7d8389")),
    ]


def picture_status():
    return [
        (round_rect(4.0, 0.5, 12.0, 15.5, 2.0), rgb("1f1f1f")),
        (round_rect(4.8, 1.3, 11.2, 14.7, 1.5), rgb("3c3c3c")),
        (circle(8, 3.9, 1.8), rgb("e53935")),
        (circle(8, 8.0, 1.8), rgb("fdd835")),
        (circle(8, 12.1, 1.8), rgb("43a047")),
    ]


def picture_root_users():
    back = person(10.6, 0.4, rgb("5c8fd6"), rgb("1b3a66"), 0.8)
    front = person(6.2, 2.6, rgb("2f6fc9"), rgb("10284d"), 0.9)
    return back + front


def picture_user(body, outline):
    return person(8.0, 0.5, body, outline)


def picture_sign():
    bubble = union(round_rect(0.8, 1.5, 15.2, 11.2, 3.0), polygon([(3.5, 10.0), (7.5, 10.0), (2.5, 15.2)]))
    inner = union(round_rect(1.7, 2.4, 14.3, 10.3, 2.3), polygon([(4.4, 9.5), (6.4, 9.5), (3.8, 12.8)]))
    return [
        (bubble, rgb("5e4b00")),
        (inner, rgb("fff3b0")),
        (rect(4.0, 4.6, 12.0, 5.5), rgb("8a7200")),
        (rect(4.0, 7.0, 10.0, 7.9), rgb("8a7200")),
    ]


def picture_configure():
    teeth = []
    for i in range(8):
        tooth = rotated([(6.9, 0.4), (9.1, 0.4), (9.5, 3.4), (6.5, 3.4)], 8, 8, i * 45)
        teeth.append(polygon(tooth))
    gear = union(circle(8, 8, 5.6), *teeth)
    body = union(circle(8, 8, 4.8), *[polygon(rotated([(7.3, 1.3), (8.7, 1.3), (9.0, 3.8), (7.0, 3.8)], 8, 8, i * 45))
                                      for i in range(8)])
    return [
        (gear, rgb("2f3337")),
        (body, rgb("9ea7b0")),
        (circle(8, 8, 2.7), rgb("2f3337")),
        (circle(8, 8, 1.9), rgb("e6e9ec")),
    ]


def picture_refresh():
    green = rgb("2e9e44")
    dark = rgb("145222")
    head = [(13.6, 2.2), (14.6, 8.4), (8.8, 6.6)]
    return [
        (arc(8, 8, 7.2, 3.6, 50, 350), dark),
        (polygon([(p[0] + d[0], p[1] + d[1]) for p, d in zip(head, [(0.3, -1.0), (0.8, 0.8), (-1.1, 0.2)])]), dark),
        (arc(8, 8, 6.4, 4.4, 55, 345), green),
        (polygon(head), green),
    ]


def picture_help():
    white = WHITE
    return [
        (circle(8, 8, 7.8), rgb("0d3b73")),
        (circle(8, 8, 7.0), rgb("1e6fd9")),
        (arc(8, 6.0, 3.3, 1.6, -70, 180), white),
        (line(9.2, 8.6, 8.0, 9.6, 1.7), white),
        (rect(7.15, 9.2, 8.85, 10.6), white),
        (circle(8, 12.6, 1.1), white),
    ]


def picture_quit():
    white = WHITE
    return [
        (circle(8, 8, 7.8), rgb("6e0f0f")),
        (circle(8, 8, 7.0), rgb("d32f2f")),
        (arc(8, 8.6, 4.6, 3.0, 125, 415), white),
        (line(8, 2.8, 8, 8.2, 1.7), white),
    ]


def picture_launch():
    outline = [(3.0, 1.0), (15.0, 8.0), (3.0, 15.0)]
    inner = [(4.1, 3.0), (12.8, 8.0), (4.1, 13.0)]
    return [
        (polygon(outline), rgb("0f4d1c")),
        (polygon(inner), rgb("34b34f")),
        (polygon([(4.1, 3.0), (12.8, 8.0), (4.1, 8.0)]), rgb("5fd27a")),
    ]


def picture_ok():
    return [
        (circle(8, 8, 7.8), rgb("145222")),
        (circle(8, 8, 7.0), rgb("2e9e44")),
        (union(line(4.3, 8.3, 7.0, 11.0, 2.0), line(7.0, 11.0, 11.9, 5.2, 2.0)), WHITE),
    ]


def picture_cancel():
    return [
        (circle(8, 8, 7.8), rgb("6e0f0f")),
        (circle(8, 8, 7.0), rgb("d32f2f")),
        (union(line(5.2, 5.2, 10.8, 10.8, 2.0), line(10.8, 5.2, 5.2, 10.8, 2.0)), WHITE),
    ]


PICTURES = {
    128: ("program", picture_program),
    143: ("map", picture_map),
    144: ("type", picture_type),
    145: ("address", picture_address),
    146: ("game_waiting", picture_game_waiting),
    147: ("idle_player", picture_idle_player),
    148: ("root_waiting", picture_root_waiting),
    149: ("root_games", picture_root_games),
    150: ("game_running", picture_game_running),
    151: ("status", picture_status),
    152: ("user_idle", lambda: picture_user(rgb("8796ab"), rgb("2f3a4a"))),
    153: ("root_users", picture_root_users),
    154: ("user_running", lambda: picture_user(rgb("e6a41e"), rgb("6a4500"))),
    165: ("configure", picture_configure),
    166: ("refresh", picture_refresh),
    167: ("help", picture_help),
    168: ("quit", picture_quit),
    170: ("launch", picture_launch),
    171: ("ok", picture_ok),
    172: ("cancel", picture_cancel),
    180: ("sign", picture_sign),
    181: ("user_active", lambda: picture_user(rgb("35b14d"), rgb("0e4a1b"))),
}


# ---------------------------------------------------------------- rendering and the .ico format


def render(layers, size):
    """Rows top-down of straight (not premultiplied) RGBA pixels."""
    scale = UNITS / size
    pixels = []
    offsets = [(i + 0.5) / SUPERSAMPLE for i in range(SUPERSAMPLE)]
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for oy in offsets:
                for ox in offsets:
                    x, y = (px + ox) * scale, (py + oy) * scale
                    r = g = b = a = 0.0
                    for shape, colour in layers:
                        if shape(x, y):
                            ca = colour[3] / 255.0
                            r = colour[0] * ca + r * (1 - ca)
                            g = colour[1] * ca + g * (1 - ca)
                            b = colour[2] * ca + b * (1 - ca)
                            a = ca + a * (1 - ca)
                    acc[0] += r
                    acc[1] += g
                    acc[2] += b
                    acc[3] += a
            n = SUPERSAMPLE * SUPERSAMPLE
            alpha = acc[3] / n
            if alpha > 0:
                colour = tuple(int(round(min(255.0, c / n / alpha))) for c in acc[:3])
            else:
                colour = (0, 0, 0)
            row.append(colour + (int(round(alpha * 255)),))
        pixels.append(row)
    return pixels


def ico_image(pixels):
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        line_bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            # Drawn without alpha (a 24-bit image list), a pixel is either the colour or the background.
            if a < 128:
                line_bits[x // 8] |= 0x80 >> (x % 8)
        mask += line_bits
    return header + bytes(colour) + bytes(mask)


def ico_file(images):
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    blobs = []
    for size, blob in images:
        dim = size if size < 256 else 0
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


# ---------------------------------------------------------------- the configuration dialog's picture


PICTURE_SIZE = (125, 46)


def config_picture():
    """Rows top-down of RGB pixels: the program's icon over a night-blue band crossed by two sine waves, the wave
    of the About box's ticker."""
    width, height = PICTURE_SIZE
    icon = render(picture_program(), 32)
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            t = y / (height - 1)
            colour = [int(10 + 20 * t), int(18 + 30 * t), int(40 + 60 * t)]
            for amplitude, phase, shade in ((12, 0.0, (150, 150, 150)), (8, 1.7, (60, 110, 180))):
                wave = height / 2 + amplitude * math.sin(x * 0.5 * math.pi / 90 * 4 + phase)
                d = abs(y - wave)
                if d < 1.6:
                    k = 1.0 - d / 1.6
                    colour = [int(c * (1 - k) + s * k) for c, s in zip(colour, shade)]
            ix, iy = x - 8, y - 7
            if 0 <= ix < 32 and 0 <= iy < 32:
                r, g, b, a = icon[iy][ix]
                k = a / 255.0
                colour = [int(c * (1 - k) + s * k) for c, s in zip(colour, (r, g, b))]
            row.append(tuple(colour))
        rows.append(row)
    return rows


def bmp_file(rows):
    """A 24-bit bottom-up BMP."""
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line_bytes = bytearray()
        for r, g, b in row:
            line_bytes += bytes((b, g, r))
        line_bytes += bytes(stride - len(line_bytes))
        pixels += line_bytes
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + bytes(pixels)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = os.path.join(here, "icons")
    os.makedirs(folder, exist_ok=True)
    for ident, (name, draw) in sorted(PICTURES.items()):
        layers = draw()
        images = [(size, ico_image(render(layers, size))) for size in SIZES]
        path = os.path.join(folder, "%d_%s.ico" % (ident, name))
        with open(path, "wb") as f:
            f.write(ico_file(images))
        print(path)
    path = os.path.join(folder, "176_config_picture.bmp")
    with open(path, "wb") as f:
        f.write(bmp_file(config_picture()))
    print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
