#!/usr/bin/env python3
"""Makes the program's icons and sounds. Deterministic: the same bytes on every run.

    python3 res/make_resources.py
        (writes app.ico, tray_pressed.ico, tray_disabled.ico, pad.ico, menu_*.bmp, about.bmp,
         hotkey.wav, mouse.wav)
"""
import math
import os
import struct
import wave
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def keycap(size, pressed, disabled=False):
    """RGBA rows (top first) of a key cap with a lightning stroke: the program's mark.
    Disabled: the same cap in greys, shown while the bindings are switched off."""
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    m = max(1, size // 16)
    r = size // 5
    face = (40, 110, 200) if not pressed else (20, 70, 150)
    edge = (15, 50, 110)
    if disabled:
        face, edge = (150, 150, 150), (95, 95, 95)
    for y in range(size):
        for x in range(size):
            # rounded square
            cx = min(max(x, m + r), size - 1 - m - r)
            cy = min(max(y, m + r), size - 1 - m - r)
            d = math.hypot(x - cx, y - cy)
            if d <= r:
                border = d > r - max(1, size // 16) or x <= m or y <= m or \
                    x >= size - 1 - m or y >= size - 1 - m
                shade = 0 if pressed else int(30 * (1 - y / size))
                c = edge if border else tuple(min(255, v + shade) for v in face)
                px[y][x] = c + (255,)
    # lightning bolt: a polygon in unit coordinates
    bolt = [(0.58, 0.16), (0.30, 0.56), (0.48, 0.56), (0.40, 0.86), (0.72, 0.42),
            (0.53, 0.42), (0.63, 0.16)]
    poly = [(bx * size, by * size) for bx, by in bolt]
    for y in range(size):
        for x in range(size):
            if inside(poly, x + 0.5, y + 0.5):
                if disabled:
                    px[y][x] = (225, 225, 225, 255)
                else:
                    px[y][x] = (255, 220, 60, 255) if not pressed else (230, 190, 40, 255)
    return px


def inside(poly, x, y):
    n = len(poly)
    c = False
    j = n - 1
    for i in range(n):
        xi, yi = poly[i]
        xj, yj = poly[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            c = not c
        j = i
    return c


def pad_sheet(size):
    """RGBA rows of the drag-and-save pad's mark: a written sheet with an arrow coming down
    onto it."""
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    left, right = int(size * 0.16), int(size * 0.78)
    top, bottom = int(size * 0.10), int(size * 0.92)
    fold = max(2, size // 5)
    edge, paper, ink = (70, 70, 70), (250, 250, 245), (120, 130, 150)
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if x - (right - fold) > y - top:  # the folded corner, cut off
                continue
            border = x in (left, right) or y in (top, bottom) or x - (right - fold) == y - top
            px[y][x] = (edge if border else paper) + (255,)
    step = max(2, size // 8)
    for y in range(top + fold + step // 2, bottom - step // 2, step):
        for x in range(left + max(2, size // 10), right - max(2, size // 10)):
            px[y][x] = ink + (255,)
    # the arrow, down onto the sheet's lower right
    arrow = [(0.70, 0.38), (0.84, 0.38), (0.84, 0.62), (0.97, 0.62), (0.77, 0.90), (0.57, 0.62),
             (0.70, 0.62)]
    poly = [(ax * size, ay * size) for ax, ay in arrow]
    for y in range(size):
        for x in range(size):
            if inside(poly, x + 0.5, y + 0.5):
                px[y][x] = (40, 110, 200, 255)
    return px


def png(px):
    """A PNG file of RGBA rows (top first), compressed at zlib's level 9: the same bytes on every
    run."""
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    h, w = len(px), len(px[0])
    raw = b''.join(b'\0' + b''.join(bytes(c) for c in row) for row in px)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def ico(sizes, pressed, disabled=False, draw=None):
    """An icon file. The 16-pixel image is a bitmap; larger ones are PNG (Windows Vista and
    later, and Wine, take PNG images in icons), a fifth of a bitmap's size in the program."""
    images = []
    for s in sizes:
        px = draw(s) if draw else keycap(s, pressed, disabled)
        if s > 16:
            images.append(png(px))
            continue
        header = struct.pack('<IiiHHIIiiII', 40, s, s * 2, 1, 32, 0, s * s * 4, 0, 0, 0, 0)
        xor = b''.join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
        mask_row = ((s + 31) // 32) * 4
        andmask = bytearray()
        for row in reversed(px):
            bits = bytearray(mask_row)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            andmask += bits
        images.append(header + xor + bytes(andmask))
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(images)


def tone(path, freqs, ms, volume):
    rate = 22050
    n = rate * ms // 1000
    frames = bytearray()
    for i in range(n):
        t = i / rate
        env = min(1.0, i / (rate * 0.004)) * math.exp(-5.0 * i / n)
        f = freqs[min(len(freqs) - 1, i * len(freqs) // n)]
        v = int(volume * 32767 * env * math.sin(2 * math.pi * f * t))
        frames += struct.pack('<h', v)
    with wave.open(path, 'wb') as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(bytes(frames))


# Menu pictures, 13 x 13 (the size of a menu's check-mark area at 96 dpi): '#' dark, '+' the
# accent colour, '.' the menu's face, which LoadImage turns into the system's menu colour.
GLYPHS = {
    'menu_hide_icon': [  # the tray icon struck through
        ".............", ".#...........", "..#.++++++...", "...#+....+...", "...+#....+...",
        "...+.#...+...", "...+..#..+...", "...+...#.+...", "...+....#+...", "...++++++#...",
        "..........#..", "...........#.", "............."],
    'menu_show_window': [  # a window
        ".............", ".###########.", ".#+++++++++#.", ".###########.", ".#.........#.",
        ".#.........#.", ".#.........#.", ".#.........#.", ".#.........#.", ".#.........#.",
        ".###########.", ".............", "............."],
    'menu_lock': [  # a padlock
        ".............", "....#####....", "...#.....#...", "...#.....#...", "...#.....#...",
        "..#########..", "..#+++++++#..", "..#+++#+++#..", "..#+++#+++#..", "..#+++++++#..",
        "..#########..", ".............", "............."],
    'menu_quit': [  # a door with an arrow out of it
        ".............", ".######......", ".#....#......", ".#....#...+..", ".#....#...++.",
        ".#..#.#++++++", ".#....#...++.", ".#....#...+..", ".#....#......", ".######......",
        ".............", ".............", "............."],
    'menu_add': [  # a plus
        ".............", ".............", ".....+++.....", ".....+++.....", ".....+++.....",
        "..+++++++++..", "..+++++++++..", "..+++++++++..", ".....+++.....", ".....+++.....",
        ".....+++.....", ".............", "............."],
    'menu_change': [  # a pencil
        ".............", ".........##..", "........#++#.", ".......#++#..", "......#++#...",
        ".....#++#....", "....#++#.....", "...#++#......", "..#++#.......", "..###........",
        "..##.........", ".............", "............."],
    'menu_delete': [  # a cross
        ".............", ".............", "..##.....##..", "...##...##...", "....##.##....",
        ".....###.....", "....##.##....", "...##...##...", "..##.....##..", ".............",
        ".............", ".............", "............."],
    'menu_find': [  # a magnifier
        ".............", "...####......", "..#....#.....", ".#......#....", ".#......#....",
        ".#......#....", ".#......#....", "..#....#.....", "...#####.....", ".......+++...",
        "........+++..", ".........+++.", "............."],
    'menu_ran': [  # the mark of the binding run last from the hotkey-list menu
        ".............", ".............", "..........#..", ".........##..", "........##...",
        "..#....##....", "..##..##.....", "...####......", "....##.......", ".............",
        ".............", ".............", "............."],
}


def bmp(rows):
    """A 24-bit bitmap file of the glyph."""
    colours = {'#': (40, 40, 40), '+': (40, 110, 200), '.': (192, 192, 192)}
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for ch in row:
            r, g, b = colours[ch]
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    header = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return struct.pack('<2sIHHI', b'BM', 14 + 40 + len(pixels), 0, 0, 54) + header + bytes(pixels)


# The about box's picture, 304 x 271. The box puts its labels and buttons over the lower half:
# the version at (208, 136), the maker at (104, 184), the web address at (80, 200), the buttons
# at y 240 to 265. The program's mark and name stand above them, two thin lines set them apart.
ABOUT_SIZE = (304, 271)
ABOUT_FRAME = (12, 24, 52)
ABOUT_TEXT, ABOUT_SHADOW, ABOUT_LINE = (255, 220, 60), (5, 12, 30), (150, 175, 225)

# 5 x 7 letters for the name in the picture.
FONT = {
    'L': ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    'u': [".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"],
    'm': [".....", ".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#"],
    'e': [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    'k': ["#....", "#....", "#..#.", "#.#..", "##...", "#.#..", "#..#."],
    'V': ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    'o': [".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."],
    'r': [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
    'd': ["....#", "....#", ".##.#", "#..##", "#...#", "#...#", ".####"],
    'a': [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    '2': [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    '0': [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    '9': [".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."],
}


def about_picture():
    """RGB rows, top first."""
    w, h = ABOUT_SIZE
    px = []
    for y in range(h):
        t = y / (h - 1)
        top, bottom = (34, 78, 150), (10, 22, 58)
        c = tuple(int(a + (b - a) * t) for a, b in zip(top, bottom))
        px.append([c] * w)
    # a soft glow behind the mark
    for y in range(h):
        for x in range(w):
            d = math.hypot(x - 62, y - 62) / 90
            if d < 1:
                k = (1 - d) ** 2 * 0.35
                px[y][x] = tuple(int(v + (255 - v) * k * 0.4) for v in px[y][x])
    # the program's mark, 80 pixels, over the picture
    mark = keycap(80, pressed=False)
    for y, row in enumerate(mark):
        for x, (r, g, b, a) in enumerate(row):
            if a:
                px[22 + y][22 + x] = (r, g, b)
    # the name, two pixels a dot, with a shadow
    text, scale, left, top = "LumekVorda2009", 2, 114, 52
    lines = [[False] * w for _ in range(h)]
    for i, ch in enumerate(text):
        glyph = FONT[ch]
        for gy, grow in enumerate(glyph):
            for gx, dot in enumerate(grow):
                if dot == '#':
                    for sy in range(scale):
                        for sx in range(scale):
                            lines[top + gy * scale + sy][left + (i * 6 + gx) * scale + sx] = True
    for y in range(h):
        for x in range(w):
            if lines[y][x]:
                if y + 1 < h and x + 1 < w and not lines[y + 1][x + 1]:
                    px[y + 1][x + 1] = ABOUT_SHADOW
    for y in range(h):
        for x in range(w):
            if lines[y][x]:
                px[y][x] = ABOUT_TEXT
    # the two lines
    for x in range(16, w - 16):
        px[124][x] = ABOUT_LINE
        px[230][x] = ABOUT_LINE
    # a frame of one colour, two pixels wide
    for y in range(h):
        for x in range(w):
            if x < 2 or y < 2 or x >= w - 2 or y >= h - 2:
                px[y][x] = ABOUT_FRAME
    return px


def posterized(px, keep, step=3):
    """The picture with every colour but those kept rounded to multiples of step: few enough
    colours for a palette of 256."""
    def snap(c):
        return c if c in keep else tuple(min(255, (v + step // 2) // step * step) for v in c)
    return [[snap(c) for c in row] for row in px]


def bmp_rle8(px):
    """An 8-bit, run-length encoded bitmap file of RGB rows (top first; at most 256 colours).
    The about picture is mostly long runs of one colour, so this is a tenth of plain RGB."""
    palette = sorted(set(c for row in px for c in row))
    assert len(palette) <= 256, len(palette)
    index = {c: i for i, c in enumerate(palette)}
    data = bytearray()
    for row in reversed(px):
        line = [index[c] for c in row]
        i = 0
        while i < len(line):
            run = 1
            while i + run < len(line) and run < 255 and line[i + run] == line[i]:
                run += 1
            if run >= 3 or len(line) - i < 3:
                data += bytes((run, line[i]))
                i += run
                continue
            # a stretch of differing pixels, up to where a run of three begins
            j = i
            while j < len(line) and j - i < 255 and not (
                    j + 2 < len(line) and line[j] == line[j + 1] == line[j + 2]):
                j += 1
            if j - i < 3:
                for k in range(i, j):
                    data += bytes((1, line[k]))
            else:
                data += bytes((0, j - i)) + bytes(line[i:j]) + (b'\0' if (j - i) % 2 else b'')
            i = j
        data += b'\0\0'  # end of line
    data += b'\0\1'  # end of picture
    h, w = len(px), len(px[0])
    colours = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    header = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 8, 1, len(data), 2835, 2835, len(palette), 0)
    offset = 14 + 40 + len(colours)
    return struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset) + header + colours + bytes(data)


def main():
    for name, rows in GLYPHS.items():
        assert len(rows) == 13 and all(len(r) == 13 for r in rows), name
        with open(os.path.join(HERE, name + '.bmp'), 'wb') as f:
            f.write(bmp(rows))
    with open(os.path.join(HERE, 'about.bmp'), 'wb') as f:
        keep = {ABOUT_FRAME, ABOUT_TEXT, ABOUT_SHADOW, ABOUT_LINE}
        f.write(bmp_rle8(posterized(about_picture(), keep)))
    with open(os.path.join(HERE, 'app.ico'), 'wb') as f:
        f.write(ico([16, 32, 48], pressed=False))
    with open(os.path.join(HERE, 'tray_pressed.ico'), 'wb') as f:
        f.write(ico([16, 32], pressed=True))
    with open(os.path.join(HERE, 'tray_disabled.ico'), 'wb') as f:
        f.write(ico([16, 32], pressed=False, disabled=True))
    with open(os.path.join(HERE, 'pad.ico'), 'wb') as f:
        f.write(ico([16, 32, 48], pressed=False, draw=pad_sheet))
    tone(os.path.join(HERE, 'hotkey.wav'), [880, 1320], 120, 0.5)
    tone(os.path.join(HERE, 'mouse.wav'), [1500], 35, 0.4)


if __name__ == '__main__':
    main()
