#!/usr/bin/env python3
"""Renders the skin images into two PNGs for eyeballing:

    python3 tools/skin/preview.py [--dir res/skin] [--out /tmp]

  skin_sheet.png   every image enlarged on a checkerboard (alpha visible)
  skin_mockup.png  the images put together the way the windows use them:
                   loaded like the program does (transparent -> magenta
                   key, partial alpha over white), nine-part frames
                   stretched, caption buttons in each of their four states,
                   tabs, a message box, a progress dialog, the add-account
                   popup and the login backdrop over a desktop colour.
Text is not rendered; grey bars mark where the program writes it.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import pngio  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_DIR = os.path.join(os.path.dirname(os.path.dirname(HERE)), "res", "skin")
KEY = None  # a keyed (transparent) pixel after loading


class Img:
    def __init__(self, w, h, fill=(0, 0, 0)):
        self.w, self.h = w, h
        self.px = [fill] * (w * h)

    def get(self, x, y):
        return self.px[y * self.w + x]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h and c is not KEY:
            self.px[y * self.w + x] = c

    def to_png(self):
        out = bytearray()
        for c in self.px:
            out += bytes(c) + b"\xff"
        return pngio.encode_rgba(self.w, self.h, bytes(out))


def load_keyed(dec):
    """Flatten like the skin loader: alpha 0 -> key, partial alpha blended
    over white with integer arithmetic."""
    img = Img(dec.width, dec.height)
    for y in range(dec.height):
        for x in range(dec.width):
            r, g, b, a = dec.pixel(x, y)
            if a == 255:
                c = (r, g, b)
            elif a == 0:
                c = KEY
            else:
                c = tuple((a * (v - 255) + 65025) // 255 for v in (r, g, b))
            img.px[y * img.w + x] = c
    return img


def blit(dst, src, dx, dy, sx=0, sy=0, sw=None, sh=None, dw=None, dh=None):
    """Nearest-neighbour stretch of a source rectangle, key transparent."""
    sw = src.w - sx if sw is None else sw
    sh = src.h - sy if sh is None else sh
    dw = sw if dw is None else dw
    dh = sh if dh is None else dh
    if sw <= 0 or sh <= 0 or dw <= 0 or dh <= 0:
        return
    for y in range(dh):
        yy = sy + y * sh // dh
        for x in range(dw):
            dst.set(dx + x, dy + y, src.get(sx + x * sw // dw, yy))


def frame(dst, skin, x, y, w, h, border=4, caption=30, corner_bg=None):
    """Nine-part stretched skin with the 9 x 9 corner region cut out."""
    bw, bh, B, C = skin.w, skin.h, border, caption
    win = Img(w, h)
    blit(win, skin, 0, 0, 0, 0, B, C)
    blit(win, skin, B, 0, B, 0, bw - 2 * B, C, w - 2 * B, C)
    blit(win, skin, w - B, 0, bw - B, 0, B, C)
    blit(win, skin, 0, C, 0, C, B, bh - C - B, B, h - C - B)
    blit(win, skin, w - B, C, bw - B, C, B, bh - C - B, B, h - C - B)
    blit(win, skin, B, C, B, C, bw - 2 * B, bh - C - B, w - 2 * B, h - C - B)
    blit(win, skin, 0, h - B, 0, bh - B, B, B)
    blit(win, skin, B, h - B, B, bh - B, bw - 2 * B, B, w - 2 * B, B)
    blit(win, skin, w - B, h - B, bw - B, bh - B, B, B)
    cut = set()
    for r in range(min(9, bh)):
        for c in range(min(9, bw)):
            if skin.get(c, r) is KEY:
                cut.add((c, r))
            if skin.get(bw - 1 - c, r) is KEY:
                cut.add((w - 1 - c, r))
        rr = bh - 9 + r
        for c in range(min(9, bw)):
            if skin.get(c, rr) is KEY:
                cut.add((c, h - bh + rr))
            if skin.get(bw - 1 - c, rr) is KEY:
                cut.add((w - 1 - c, h - bh + rr))
    for yy in range(h):
        for xx in range(w):
            if (xx, yy) not in cut:
                dst.set(x + xx, y + yy, win.get(xx, yy))
    return cut


def button(dst, strip, frame_index, x, y, frames=4):
    fw = strip.w // frames
    blit(dst, strip, x, y, frame_index * fw, 0, fw, strip.h)


def text_bar(dst, x, y, w, h, colour):
    for yy in range(y, y + h):
        for xx in range(x, x + w):
            dst.set(xx, yy, colour)


def checker(w, h, cell=8):
    img = Img(w, h)
    for y in range(h):
        for x in range(w):
            img.px[y * w + x] = ((204, 204, 204) if ((x // cell + y // cell) & 1)
                                 else (250, 250, 250))
    return img


def sheet(decoded):
    order = sorted(decoded)
    scale = {129: 1}
    cells = []
    for i in order:
        d = decoded[i]
        s = scale.get(i, 3 if d.width < 300 else 2)
        cells.append((i, d, s))
    width = 1180
    x, y, row_h = 10, 10, 0
    placed = []
    for i, d, s in cells:
        w, h = d.width * s, d.height * s
        if x + w > width - 10:
            x, y, row_h = 10, y + row_h + 14, 0
        placed.append((i, d, s, x, y))
        x += w + 14
        row_h = max(row_h, h)
    img = checker(width, y + row_h + 10)
    for i, d, s, px, py in placed:
        for yy in range(d.height * s):
            for xx in range(d.width * s):
                r, g, b, a = d.pixel(xx // s, yy // s)
                bg = img.get(px + xx, py + yy)
                img.set(px + xx, py + yy, tuple(
                    (v * a + bgv * (255 - a) + 127) // 255
                    for v, bgv in zip((r, g, b), bg)))
    return img


def mockup(decoded):
    k = {i: load_keyed(d) for i, d in decoded.items()}
    W, H = 1100, 20 + 4 * (70 + 16) + 10 + 180 + 569 + 20
    desk = (92, 110, 128)
    img = Img(W, H, desk)
    dark = (30, 30, 30)
    white = (255, 255, 255)

    # main window, one caption bar per button state
    mw, mh = 1060, 70
    for state in range(4):
        ox, oy = 20, 20 + state * (mh + 16)
        frame(img, k[134], ox, oy, mw, mh)
        cx = mw
        for sid, dx in ((132, 33), (135, 60), (136, 87), (138, 114),
                        (149 if state != 2 else 148, 141), (139, 185),
                        (150 if state % 2 == 0 else 151, 264)):
            if sid in k:
                button(img, k[sid], state, ox + cx - dx, oy)
        text_bar(img, ox + cx - 185 + 10, oy + 8, 24, 12, white)  # "系统"
        if 142 in k:
            blit(img, k[142], ox + cx - 360 + 3, oy + 7)
        text_bar(img, ox + cx - 360 + 20, oy + 9, 70, 11, white)
        text_bar(img, ox + 25, oy + 9, 60, 11, white)            # title
        if 140 in k:
            for t, f in enumerate((2, 1, 0)):
                button(img, k[140], f, ox + 120 + 189 * t, oy + 3, frames=3)
                text_bar(img, ox + 136 + 189 * t, oy + 10, 90, 10, dark)
            if 141 in k:
                button(img, k[141], min(state, 2), ox + 296 + 189, oy + 3,
                       frames=3)

    # message box (small dialog, two push buttons)
    by = 20 + 4 * (mh + 16) + 10
    frame(img, k[131], 20, by, 300, 160)
    button(img, k[132], 0, 20 + 300 - 33, by)
    text_bar(img, 45, by + 9, 50, 11, white)
    text_bar(img, 60, by + 62, 220, 11, dark)
    for n, f in enumerate((0, 1)):
        bx = 20 + (150 - 10 - 57 if n == 0 else 150 + 10)
        button(img, k[133], f, bx, by + 160 - 30 - 23)
        text_bar(img, bx + 17, by + 160 - 30 - 23 + 6, 24, 11, dark)

    # progress dialog with the two bar images at 50 % and 85 %
    frame(img, k[131], 340, by, 440, 160)
    button(img, k[132], 1, 340 + 440 - 33, by)
    text_bar(img, 365, by + 9, 80, 11, white)
    for row, pos in enumerate((50, 85)):
        px, py = 365, by + 50 + row * 34
        blit(img, k[152], px, py)
        f = int(390 / 100.0 * pos)
        h1 = f // 2
        blit(img, k[153], px, py, 0, 0, h1, 21)
        blit(img, k[153], px + h1, py, 390 - (f - h1), 0, f - h1, 21)
    for n, f in enumerate((2, 3)):
        button(img, k[133], f, 340 + 440 - 140 + n * 65, by + 120)

    # add-account popup, drawn 1:1
    frame(img, k[162], 800, by, 284, 150, border=3)
    text_bar(img, 808, by + 9, 70, 11, white)
    text_bar(img, 830, by + 55, 150, 11, dark)
    button(img, k[133], 0, 800 + 70, by + 110)
    button(img, k[133], 1, 800 + 157, by + 110)

    # login backdrop with real alpha over the desktop colour
    ly = by + 180
    d = decoded[129]
    for y in range(d.height):
        for x in range(d.width):
            r, g, b, a = d.pixel(x, y)
            bg = img.get(40 + x, ly + y)
            img.set(40 + x, ly + y, tuple(
                (v * a + bgv * (255 - a) + 127) // 255
                for v, bgv in zip((r, g, b), bg)))
    return img


def main(argv):
    src, out = DEFAULT_DIR, "/tmp"
    args = list(argv)
    while args:
        a = args.pop(0)
        if a == "--dir":
            src = args.pop(0)
        elif a == "--out":
            out = args.pop(0)
    decoded = {}
    for name in sorted(os.listdir(src)):
        if name.endswith(".png") and name[:-4].isdigit():
            decoded[int(name[:-4])] = pngio.read(os.path.join(src, name))
    for name, img in (("skin_sheet.png", sheet(decoded)),
                      ("skin_mockup.png", mockup(decoded))):
        path = os.path.join(out, name)
        with open(path, "wb") as f:
            f.write(img.to_png())
        print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
