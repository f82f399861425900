#!/usr/bin/env python3
"""Draws the launcher's skin images and writes them as res/skin/<id>.png.

    python3 tools/skin/make_skin.py [--out DIR] [ID ...]

Everything is drawn from code with the standard library only, so the
artwork can be changed and regenerated on any machine, and two runs give
byte-identical files.  Ids, sizes, pixel formats and frame layouts are the
ones the loader and the skinned controls slice by; see IMAGES at the end.

Constraints the drawing obeys:
  * the loader turns fully transparent pixels into the key colour magenta
    and the controls treat magenta as "see-through", so no image contains
    an opaque magenta pixel;
  * the caption band is a purely vertical gradient, so the caption-bar
    buttons (opaque palette images) can repeat it exactly and sit on the
    stretched frame without seams;
  * the nine-part frames have a 3-2-1 transparent staircase in both top
    corners, which the frame turns into rounded window corners.
"""

import math
import os
import sys
from collections import Counter

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import pngio  # noqa: E402
from raster import (Canvas, clamp01, gradient, intersect, mix,  # noqa: E402
                    sd_arc, sd_circle, sd_polygon, sd_ring, sd_round_rect,
                    sd_segment, subtract, translate, union)

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__))))
DEFAULT_OUT = os.path.join(ROOT, "res", "skin")

# ------------------------------------------------------------------ palette

WHITE = (255, 255, 255)
OUTLINE = (24, 60, 112)          # one-pixel window outline
CAPTION_HILITE = (96, 160, 228)  # first row under the outline
CAPTION_TOP = (60, 128, 208)
CAPTION_BOTTOM = (33, 90, 168)
FRAME_BORDER = (33, 90, 168)     # side/bottom bands of the main window
BODY = (244, 247, 251)           # dialog body
MAIN_BODY = (236, 241, 247)      # behind the game pages
ACCENT = (255, 160, 40)          # warm accent used sparingly
CLOSE_RED = (226, 52, 48)
CLOSE_RED_DARK = (168, 30, 28)

CAPTION_HEIGHT = 30
STATES = ("normal", "hover", "pressed", "disabled")


def caption_colour(y):
    """Colour of caption row y (0..29); independent of x by design."""
    if y <= 0:
        return OUTLINE
    if y == 1:
        return CAPTION_HILITE
    return mix(CAPTION_TOP, CAPTION_BOTTOM, (y - 2) / float(CAPTION_HEIGHT - 3))


def frame_pixel(x, y, w, h, kind):
    """(role, colour) of pixel (x, y) of a skinned window of size w x h.

    kind "main" has blue side and bottom bands around the page area,
    kind "small" a light body; "square" is the small look without the
    rounded top corners.  Roles: clear, outline, caption, border, body.
    """
    if kind != "square" and y < 3:
        if x < 3 - y or x >= w - 3 + y:
            return "clear", None
    if y == 0 or y == h - 1:
        return "outline", OUTLINE
    if kind != "square" and ((y == 1 and x in (2, w - 3))
                             or (y == 2 and x in (1, w - 2))):
        return "outline", OUTLINE
    if x == 0 or x == w - 1:
        return "outline", OUTLINE
    if y < CAPTION_HEIGHT:
        return "caption", caption_colour(y)
    if kind == "main":
        if x <= 3 or x >= w - 4 or y >= h - 4:
            return "border", FRAME_BORDER
        return "body", MAIN_BODY
    return "body", BODY


def paint_frame_background(canvas, ox, fw, fh, at_right):
    """Fill one button frame with the caption band exactly as the window
    shows it behind the button; returns the set of pixels a hover
    highlight may touch (not the outline, not the transparent corner)."""
    big = 2000
    interior = set()
    for y in range(fh):
        for x in range(fw):
            wx = (big - fw + x) if at_right else (200 + x)
            role, colour = frame_pixel(wx, y, big, big, "main")
            if role == "clear":
                canvas.clear(ox + x, y)
            else:
                canvas.put(ox + x, y, colour)
                if role == "caption":
                    interior.add((ox + x, y))
    return interior


# ------------------------------------------------------------------ glyphs
# Each glyph draws itself centred on (cx, cy) in the given colour/alpha.

def glyph_close(c, cx, cy, col, alpha):
    s = 4.0
    c.fill(union(sd_segment(cx - s, cy - s, cx + s, cy + s, 1.7),
                 sd_segment(cx - s, cy + s, cx + s, cy - s, 1.7)), col, alpha)


def _box_outline(x0, y0, x1, y1):
    # one-pixel sides, a two-pixel top edge like a title bar
    return subtract(sd_round_rect(x0, y0, x1, y1, 0.01),
                    sd_round_rect(x0 + 1, y0 + 2, x1 - 1, y1 - 1, 0.01))


def glyph_maximize(c, cx, cy, col, alpha):
    x0, y0 = int(cx - 5), int(cy - 5)
    c.fill(_box_outline(x0, y0, x0 + 10, y0 + 10), col, alpha)


def glyph_restore(c, cx, cy, col, alpha):
    x0, y0 = int(cx - 5), int(cy - 5)
    back = subtract(_box_outline(x0 + 3, y0 - 1, x0 + 11, y0 + 7),
                    sd_round_rect(x0, y0 + 2, x0 + 8, y0 + 10, 0.01))
    c.fill(back, col, alpha)
    c.fill(_box_outline(x0, y0 + 2, x0 + 8, y0 + 10), col, alpha)


def glyph_minimize(c, cx, cy, col, alpha):
    x0, y0 = int(cx - 5), int(cy + 3)
    c.fill(sd_round_rect(x0, y0, x0 + 10, y0 + 2, 0.01), col, alpha)


def glyph_boss(c, cx, cy, col, alpha):
    # a necktie: the "boss key" that hides every window at once
    knot = sd_polygon([(cx - 2.6, cy - 7.5), (cx + 2.6, cy - 7.5),
                       (cx + 1.5, cy - 4.6), (cx - 1.5, cy - 4.6)])
    blade = sd_polygon([(cx - 1.6, cy - 3.6), (cx + 1.6, cy - 3.6),
                        (cx + 3.7, cy + 4.6), (cx, cy + 7.8),
                        (cx - 3.7, cy + 4.6)])
    c.fill(union(knot, blade), col, alpha)


def _speaker(cx, cy):
    return sd_polygon([(cx - 6.5, cy - 2.5), (cx - 3.5, cy - 2.5),
                       (cx + 0.5, cy - 6.0), (cx + 0.5, cy + 6.0),
                       (cx - 3.5, cy + 2.5), (cx - 6.5, cy + 2.5)])


def glyph_sound_on(c, cx, cy, col, alpha):
    c.fill(_speaker(cx - 1, cy), col, alpha)
    c.fill(sd_arc(cx + 0.5, cy, 3.6, 1.4, 0.0, math.radians(48)), col, alpha)
    c.fill(sd_arc(cx + 0.5, cy, 6.8, 1.4, 0.0, math.radians(50)), col, alpha)


def glyph_sound_muted(c, cx, cy, col, alpha):
    c.fill(_speaker(cx - 1, cy), col, alpha)
    s, mx = 2.6, cx + 5.0
    c.fill(union(sd_segment(mx - s, cy - s, mx + s, cy + s, 1.5),
                 sd_segment(mx - s, cy + s, mx + s, cy - s, 1.5)), col, alpha)


def glyph_chevron(c, cx, cy, col, alpha):
    c.fill(sd_polygon([(cx - 3, cy - 1.5), (cx + 3, cy - 1.5),
                       (cx, cy + 1.8)]), col, alpha)


def _hall_glyphs(c, cx, cy, col, alpha, grid_col):
    # 2 x 2 tile grid ("hall") and a game pad side by side
    gx, gy = cx - 15.5, cy - 6
    for i in range(2):
        for j in range(2):
            x0 = gx + i * 7
            y0 = gy + j * 7
            c.fill(sd_round_rect(x0, y0, x0 + 5, y0 + 5, 1.3), grid_col, alpha)
    px, py = cx + 7.5, cy + 0.5
    body = union(sd_round_rect(px - 8.5, py - 5, px + 8.5, py + 2.5, 3.5),
                 sd_circle(px - 5.5, py + 2.2, 3.2),
                 sd_circle(px + 5.5, py + 2.2, 3.2))
    holes = union(sd_round_rect(px - 7.0, py - 1.9, px - 2.6, py - 0.9, 0.01),
                  sd_round_rect(px - 5.3, py - 3.6, px - 4.3, py + 0.8, 0.01),
                  sd_circle(px + 3.2, py - 0.7, 1.05),
                  sd_circle(px + 5.8, py - 2.3, 1.05))
    c.fill(subtract(body, holes), col, alpha)


def glyph_hall_hidden(c, cx, cy, col, alpha):
    _hall_glyphs(c, cx, cy, col, alpha, col)


def glyph_hall_shown(c, cx, cy, col, alpha):
    grid = col if col != WHITE else ACCENT
    _hall_glyphs(c, cx, cy, col, alpha, grid)


# ------------------------------------------------------------ button strips

def caption_strip(fw, fh, glyph, at_right=False, close=False, toggled=False,
                  glyph_dx=0.0):
    """Four-frame caption-bar button: normal, hover, pressed, disabled."""
    strip = Canvas(fw * 4, fh)
    for f, state in enumerate(STATES):
        ox = f * fw
        interior = paint_frame_background(strip, ox, fw, fh, at_right)

        def inside(x, y, interior=interior):
            return (x, y) in interior
        plate = sd_round_rect(ox + 2, 2, ox + fw - 2, fh - 2, 3.5)
        rim = subtract(plate, sd_round_rect(ox + 3, 3, ox + fw - 3, fh - 3, 2.5))
        if close and state == "hover":
            for (x, y) in sorted(interior):
                strip.over(y * strip.w + x, CLOSE_RED, 1.0)
        elif close and state == "pressed":
            for (x, y) in sorted(interior):
                strip.over(y * strip.w + x, CLOSE_RED_DARK, 1.0)
        else:
            if toggled and state != "disabled":
                strip.fill(plate, WHITE, 0.16, mask=inside)
            if state == "hover":
                strip.fill(plate, WHITE, 0.20, mask=inside)
                strip.fill(rim, WHITE, 0.22, mask=inside)
            elif state == "pressed":
                strip.fill(plate, (0, 16, 48), 0.30, mask=inside)
                strip.fill(rim, (0, 16, 48), 0.25, mask=inside)
        cx = ox + fw / 2.0 + glyph_dx
        cy = fh / 2.0 + 0.5
        if state == "pressed":
            glyph(strip, cx + 1, cy + 1, WHITE, 1.0)
        elif state == "disabled":
            glyph(strip, cx, cy, (178, 196, 222), 0.75)
        else:
            glyph(strip, cx, cy, WHITE, 1.0)
    return strip


def push_button_strip():
    """57 x 23 general push button; the program writes the black caption."""
    fw, fh = 57, 23
    strip = Canvas(fw * 4, fh)
    looks = {
        "normal": ((120, 150, 192), (255, 255, 255), (222, 231, 243)),
        "hover": ((92, 158, 232), (255, 255, 255), (238, 247, 255)),
        "pressed": ((44, 94, 162), (190, 208, 234), (216, 228, 245)),
        "disabled": ((192, 197, 205), (241, 242, 244), (233, 235, 238)),
    }
    for f, state in enumerate(STATES):
        ox = f * fw
        border, top, bottom = looks[state]
        outer = sd_round_rect(ox, 0, ox + fw, fh, 3.5)
        inner = sd_round_rect(ox + 1, 1, ox + fw - 1, fh - 1, 2.5)
        strip.fill(outer, border)
        strip.fill(inner, lambda x, y, t=top, b=bottom:
                   mix(t, b, clamp01((y - 1) / float(fh - 3))))
        if state in ("normal", "hover"):
            # soft glass line along the top edge
            strip.fill(sd_round_rect(ox + 2, 1, ox + fw - 2, 2, 0.5), WHITE, 0.9)
        if state == "hover":
            strip.fill(subtract(inner, sd_round_rect(ox + 2, 2, ox + fw - 2,
                                                     fh - 2, 1.5)),
                       (156, 208, 255), 0.45)
        if state == "pressed":
            # inner shadow under the top edge
            strip.fill(sd_round_rect(ox + 1, 1, ox + fw - 1, 3, 1.0),
                       (40, 70, 120), 0.25)
    return strip


def tab_strip():
    """Three 189 x 22 tab faces: normal, hot, current.  The tab sits at
    y = 3 of the caption band; pixels outside the rounded shape repeat the
    band so the (opaque) image blends in.  The title is drawn in black by
    the program from x = 16, the close mark over x = 176..188."""
    fw, fh, top = 189, 22, 3
    strip = Canvas(fw * 3, fh)
    looks = [
        ((40, 88, 160), (200, 218, 242), (178, 200, 232), (66, 116, 188)),
        ((52, 108, 186), (236, 244, 255), (208, 226, 250), (40, 110, 210)),
        ((28, 74, 140), (255, 255, 255), (234, 241, 251), ACCENT),
    ]
    for f, (border, c_top, c_bottom, icon) in enumerate(looks):
        ox = f * fw
        for y in range(fh):
            for x in range(fw):
                strip.put(ox + x, y, caption_colour(top + y))
        strip.fill(sd_round_rect(ox, 0, ox + fw, fh, 4.0), border)
        strip.fill(sd_round_rect(ox + 1, 1, ox + fw - 1, fh - 1, 3.0),
                   lambda x, y, a=c_top, b=c_bottom:
                   mix(a, b, clamp01((y - 1) / float(fh - 3))))
        if f == 2:
            strip.fill(sd_round_rect(ox + 1, 1, ox + fw - 1, 3, 1.0), ACCENT)
        # small ring mark in front of the title
        strip.fill(sd_ring(ox + 8.5, 11.5, 3.2, 1.7), icon)
        strip.fill(sd_circle(ox + 8.5, 11.5, 1.0), icon)
    return strip


def tab_close_strip():
    """13 x 13 close mark of the hot tab: normal, hovered, pressed."""
    strip = Canvas(39, 13)
    for f in range(3):
        ox = f * 13
        cx, cy = ox + 6.5, 6.5
        if f == 0:
            s, col = 3.0, (96, 108, 126)
        else:
            strip.fill(sd_circle(cx, cy, 6.2),
                       CLOSE_RED if f == 1 else CLOSE_RED_DARK)
            s, col = 2.6, WHITE
        strip.fill(union(sd_segment(cx - s, cy - s, cx + s, cy + s, 1.6),
                         sd_segment(cx - s, cy + s, cx + s, cy - s, 1.6)), col)
    return strip


def link_icon():
    """14 x 16 "add another account" icon; it stands on the caption band
    (window rows 7..22), which it repeats as its opaque background."""
    w, h, top = 14, 16, 7
    c = Canvas(w, h)
    for y in range(h):
        for x in range(w):
            c.put(x, y, caption_colour(top + y))
    c.fill(sd_circle(5.5, 4.8, 2.9), WHITE)
    shoulders = intersect(sd_circle(5.5, 15.2, 5.8),
                          sd_round_rect(-1, 8.0, 14, 14.0, 0.01))
    c.fill(shoulders, WHITE)
    # a band of caption colour separates the plus sign from the figure
    halo = union(sd_round_rect(9.0, 7.0, 13.0, 15.0, 1.0),
                 sd_round_rect(7.0, 9.0, 15.0, 13.0, 1.0))
    c.fill(halo, lambda x, y: caption_colour(top + y))
    c.fill(union(sd_round_rect(10.0, 8.0, 12.0, 14.0, 0.01),
                 sd_round_rect(8.0, 10.0, 14.0, 12.0, 0.01)), ACCENT)
    return c


# ------------------------------------------------------------ backgrounds

def nine_part(kind):
    w, h = 30, 51
    c = Canvas(w, h)
    for y in range(h):
        for x in range(w):
            role, colour = frame_pixel(x, y, w, h, kind)
            if role == "clear":
                c.clear(x, y)
            else:
                c.put(x, y, colour)
    return c


def close_strip():
    """33 x 28 close button at the window's top right corner; it repeats
    the frame's outline and staircase so it merges with the corner."""
    return caption_strip(33, 28, glyph_close, at_right=True, close=True,
                         glyph_dx=-0.5)


def add_account_background():
    """284 x 150 popup background drawn 1:1 (caption 30, border 3)."""
    w, h = 284, 150
    c = Canvas(w, h)
    for y in range(h):
        for x in range(w):
            role, colour = frame_pixel(x, y, w, h, "square")
            if role == "body":
                colour = mix((247, 249, 252), (234, 239, 246),
                             clamp01((y - 30) / float(h - 32)))
            c.put(x, y, colour)
    return c


def progress_track():
    w, h = 390, 21
    c = Canvas(w, h)
    c.fill(sd_round_rect(0, 0, w, h, h / 2.0), (160, 174, 194))
    c.fill(sd_round_rect(1, 1, w - 1, h - 1, h / 2.0 - 1),
           lambda x, y: mix((206, 214, 226), (240, 243, 248),
                            clamp01((y - 1) / float(h - 3))))
    return c


def progress_fill():
    w, h = 390, 21
    c = Canvas(w, h)
    c.fill(sd_round_rect(1, 1, w - 1, h - 1, h / 2.0 - 1), (26, 102, 196))
    c.fill(sd_round_rect(2, 2, w - 2, h - 2, h / 2.0 - 2),
           lambda x, y: gradient([(0.0, (110, 192, 255)), (0.5, (58, 150, 240)),
                                  (1.0, (36, 116, 214))],
                                 clamp01((y - 2) / float(h - 5))))
    c.fill(sd_round_rect(6, 3, w - 6, 8.5, 2.7), WHITE, 0.28)
    return c


# ------------------------------------------------------------ login backdrop

def _wordmark(c, x, base, size, col, alpha, mask):
    """'VexoQuon' in a geometric stroke face; size is the x-height."""
    s = size
    sw = 0.17 * s

    def seg(ax, ay, bx, by):
        return sd_segment(x + ax * s, base + ay * s, x + bx * s, base + by * s, sw)

    def arc(cx, cy, r, axis, half):
        return sd_arc(x + cx * s, base + cy * s, r * s, sw, axis, half)

    def ring(cx, cy, r):
        return sd_ring(x + cx * s, base + cy * s, r * s, sw)

    glyphs = []
    adv = 0.0

    def add(shapes, width):
        nonlocal adv
        glyphs.append([translate(sh, adv * s, 0) for sh in shapes])
        adv += width + 0.32

    add([seg(0, -1.42, 0.52, 0), seg(0.52, 0, 1.04, -1.42)], 1.04)
    add([arc(0.5, -0.5, 0.5, math.radians(180 + 28), math.radians(150)),
         seg(0.02, -0.5, 0.98, -0.5)], 1.0)
    add([seg(0, -1, 0.9, 0), seg(0.9, -1, 0, 0)], 0.9)
    add([ring(0.5, -0.5, 0.5)], 1.0)
    add([ring(0.71, -0.71, 0.71), seg(0.92, -0.36, 1.42, 0.08)], 1.42)
    add([seg(0, -1, 0, -0.5), arc(0.5, -0.5, 0.5, math.radians(90),
                                  math.radians(90)), seg(1, -1, 1, 0)], 1.0)
    add([ring(0.5, -0.5, 0.5)], 1.0)
    add([seg(0, -1, 0, 0), arc(0.5, -0.5, 0.5, math.radians(-90),
                               math.radians(90)), seg(1, -0.5, 1, 0)], 1.0)
    for shapes in glyphs:
        c.fill(union(*shapes), col, alpha, mask=mask)


def login_background():
    """1005 x 569 free-form login window with a real alpha channel.

    The login page is laid over it (its own background keyed out), so the
    picture is a card: a blue brand panel on the left and a calm light
    panel on the right where the page puts its form.  A soft drop shadow
    and rounded corners come from partial alpha."""
    W, H = 1005, 569
    x0, y0, x1, y1, rad = 12, 10, 993, 553, 12.0
    card = sd_round_rect(x0, y0, x1, y1, rad)
    shadow = sd_round_rect(x0 + 2, y0 + 5, x1 - 2, y1 + 4, rad + 2)
    split = 600

    def boundary(y):
        # gentle S-curve between the two panels
        return split + 26.0 * math.cos(math.pi * (y - y0) / (y1 - y0))

    c = Canvas(W, H)
    hero_stops = [(0.0, (58, 132, 220)), (0.55, (34, 88, 176)),
                  (1.0, (24, 54, 124))]
    hero_ramp = [gradient(hero_stops, i / 255.0) for i in range(256)]
    for y in range(H):
        cy = y + 0.5
        edge_row = y < y0 + rad + 2 or y > y1 - rad - 2
        bx = boundary(y)
        panel = mix((250, 251, 253), (238, 242, 248), clamp01((y - y0) / 540.0))
        for x in range(W):
            cx = x + 0.5
            if edge_row or x < x0 + 2 or x > x1 - 3:
                cov = clamp01(0.5 - card(cx, cy))
            else:
                cov = 1.0
            if cov < 1.0:
                d = shadow(cx, cy)
                sh = 0.34 * (1.0 - clamp01(d / 14.0)) ** 2 if d > -14 else 0.34
            else:
                sh = 0.0
            if cov <= 0.0 and sh <= 0.0:
                continue
            if cx < bx - 0.5:
                t = (cx * 0.55 + cy) / (split * 0.55 + H)
                col = hero_ramp[int(clamp01(t) * 255)]
            elif cx > bx + 0.5:
                col = panel
                # the blue panel's edge shades the light one a little
                dist = cx - bx
                if dist < 18:
                    col = mix(col, (196, 210, 230), 0.35 * (1 - dist / 18.0) ** 2)
            else:
                t = (cx * 0.55 + cy) / (split * 0.55 + H)
                col = mix(hero_ramp[int(clamp01(t) * 255)], panel,
                          cx - (bx - 0.5))
            i = y * W + x
            a = cov + sh * (1.0 - cov)
            c.r[i] = col[0] * cov
            c.g[i] = col[1] * cov
            c.b[i] = col[2] * cov
            c.a[i] = a

    def in_hero(x, y):
        return x + 0.5 < boundary(y) - 0.5 and card(x + 0.5, y + 0.5) < -0.5

    # light and orbit decoration
    c.fill(sd_circle(150, 150, 260), WHITE, 0.05, mask=in_hero)
    c.fill(sd_circle(110, 520, 190), WHITE, 0.06, mask=in_hero)
    c.fill(sd_circle(520, 40, 130), WHITE, 0.05, mask=in_hero)
    c.fill(sd_ring(470, 330, 150, 1.6), WHITE, 0.16, mask=in_hero)
    c.fill(sd_ring(470, 330, 205, 1.2), WHITE, 0.10, mask=in_hero)
    c.fill(sd_ring(470, 330, 95, 2.0), WHITE, 0.12, mask=in_hero)
    c.fill(sd_circle(470 + 150 * math.cos(-2.4), 330 + 150 * math.sin(-2.4),
                     6.0), ACCENT, 0.95, mask=in_hero)
    c.fill(sd_circle(470 + 205 * math.cos(2.75), 330 + 205 * math.sin(2.75),
                     4.0), WHITE, 0.8, mask=in_hero)
    c.fill(sd_circle(470 + 95 * math.cos(0.6), 330 + 95 * math.sin(0.6),
                     3.5), WHITE, 0.6, mask=in_hero)
    # scattered game tiles along the bottom left
    tiles = [(52, 430, 0.10), (96, 430, 0.16), (96, 474, 0.08),
             (140, 474, 0.13), (140, 386, 0.06), (184, 474, 0.07),
             (52, 474, 0.05), (228, 430, 0.04), (184, 430, 0.09)]
    for tx, ty, ta in tiles:
        c.fill(sd_round_rect(tx, ty, tx + 36, ty + 36, 7), WHITE, ta,
               mask=in_hero)
    c.fill(sd_round_rect(140, 430, 176, 466, 7), ACCENT, 0.9, mask=in_hero)
    # logo: a ring with an orbiting spark, then the name
    lx, ly = 78, 78
    c.fill(sd_circle(lx, ly, 30), WHITE, 0.14, mask=in_hero)
    c.fill(sd_ring(lx, ly, 17, 6.0), WHITE, mask=in_hero)
    c.fill(sd_segment(lx + 9, ly + 9, lx + 19, ly + 19, 6.0), WHITE,
           mask=in_hero)
    c.fill(sd_circle(lx + 17 * math.cos(-2.2), ly + 17 * math.sin(-2.2), 4.6),
           ACCENT, mask=in_hero)
    _wordmark(c, 126, 95, 24, WHITE, 1.0, in_hero)
    # thin accent rule under the name
    c.fill(sd_round_rect(128, 112, 176, 115, 1.5), ACCENT, 0.95, mask=in_hero)
    return c


# ------------------------------------------------------------ output

def quantise(rgba, width, height, allow_clear):
    """Map RGBA pixels to a palette of at most 256 entries.

    Images with few colours keep them exactly.  Larger ones keep the
    caption colours exactly (buttons must match the stretched caption
    band) and approximate the rest by median cut."""
    n = width * height
    px = []
    for i in range(n):
        a = rgba[i * 4 + 3]
        if a == 0:
            if not allow_clear:
                raise ValueError("transparent pixel in an opaque palette image")
            px.append(None)
        elif a != 255:
            raise ValueError("partial alpha in a palette image")
        else:
            px.append(tuple(rgba[i * 4:i * 4 + 3]))
    counts = Counter(p for p in px if p is not None)
    has_clear = any(p is None for p in px)
    slots = 256 - (1 if has_clear else 0)
    if len(counts) <= slots:
        colours = sorted(counts, key=lambda col: (-counts[col], col))
        mapping = {col: col for col in colours}
    else:
        keep = {tuple(int(v + 0.5) for v in caption_colour(y))
                for y in range(CAPTION_HEIGHT)}
        keep = sorted(col for col in keep if col in counts)
        rest = sorted(col for col in counts if col not in set(keep))
        boxes = [rest]
        while len(boxes) < slots - len(keep):
            boxes.sort(key=lambda b: (-len(b), b[0]))
            box = boxes[0]
            if len(box) < 2:
                break
            spans = [max(col[k] for col in box) - min(col[k] for col in box)
                     for k in range(3)]
            k = spans.index(max(spans))
            box = sorted(box, key=lambda col: (col[k], col))
            half = len(box) // 2
            boxes[0:1] = [box[:half], box[half:]]
        reps = []
        for box in boxes:
            total = sum(counts[col] for col in box)
            reps.append(tuple(int(sum(col[k] * counts[col] for col in box)
                                  / float(total) + 0.5) for k in range(3)))
        colours = keep + sorted(set(reps) - set(keep))
        mapping = {}
        for col in counts:
            mapping[col] = min(colours, key=lambda p: (
                (p[0] - col[0]) ** 2 + (p[1] - col[1]) ** 2
                + (p[2] - col[2]) ** 2, p))
        used = Counter()
        for col, k in counts.items():
            used[mapping[col]] += k
        colours = sorted(set(mapping.values()),
                         key=lambda col: (-used[col], col))
    palette = ([(0, 0, 0)] if has_clear else []) + list(colours)
    index = {col: i for i, col in enumerate(palette)}
    if has_clear:
        index = {col: i for i, col in enumerate(palette) if i > 0}
    out = bytearray(n)
    for i, p in enumerate(px):
        out[i] = 0 if p is None else index[mapping[p]]
    alphas = [0] if has_clear else None
    return bytes(out), palette, alphas


def encode(canvas, fmt):
    rgba = canvas.to_rgba8()
    for i in range(0, len(rgba), 4):
        if rgba[i + 3] == 255 and rgba[i] == 255 and rgba[i + 1] == 0 \
                and rgba[i + 2] == 255:
            raise ValueError("opaque magenta pixel")
    if fmt == "rgba":
        return pngio.encode_rgba(canvas.w, canvas.h, rgba)
    indices, palette, alphas = quantise(rgba, canvas.w, canvas.h,
                                        fmt == "indexed-clear")
    return pngio.encode_indexed(canvas.w, canvas.h, indices, palette, alphas)


# id: (builder, format, expected size)
IMAGES = {
    129: (login_background, "rgba", (1005, 569)),
    131: (lambda: nine_part("small"), "indexed-clear", (30, 51)),
    132: (close_strip, "indexed-clear", (132, 28)),
    133: (push_button_strip, "rgba", (228, 23)),
    134: (lambda: nine_part("main"), "indexed-clear", (30, 51)),
    135: (lambda: caption_strip(27, 28, glyph_maximize), "indexed", (108, 28)),
    136: (lambda: caption_strip(27, 28, glyph_minimize), "indexed", (108, 28)),
    137: (lambda: caption_strip(27, 28, glyph_restore), "indexed", (108, 28)),
    138: (lambda: caption_strip(27, 27, glyph_boss), "indexed", (108, 27)),
    139: (lambda: caption_strip(44, 28, glyph_chevron, glyph_dx=17.0),
          "indexed", (176, 28)),
    140: (tab_strip, "indexed", (567, 22)),
    141: (tab_close_strip, "rgba", (39, 13)),
    142: (link_icon, "indexed", (14, 16)),
    148: (lambda: caption_strip(27, 27, glyph_sound_muted), "indexed",
          (108, 27)),
    149: (lambda: caption_strip(27, 27, glyph_sound_on), "indexed", (108, 27)),
    150: (lambda: caption_strip(79, 28, glyph_hall_hidden), "indexed",
          (316, 28)),
    151: (lambda: caption_strip(79, 28, glyph_hall_shown, toggled=True),
          "indexed", (316, 28)),
    152: (progress_track, "rgba", (390, 21)),
    153: (progress_fill, "rgba", (390, 21)),
    162: (add_account_background, "indexed", (284, 150)),
}


def build(image_id):
    builder, fmt, size = IMAGES[image_id]
    canvas = builder()
    if (canvas.w, canvas.h) != size:
        raise ValueError("image %d is %dx%d, expected %dx%d"
                         % (image_id, canvas.w, canvas.h, size[0], size[1]))
    return encode(canvas, fmt)


def main(argv):
    out = DEFAULT_OUT
    ids = []
    args = list(argv)
    while args:
        a = args.pop(0)
        if a == "--out" and args:
            out = args.pop(0)
        elif a.isdigit() and int(a) in IMAGES:
            ids.append(int(a))
        else:
            sys.stderr.write(__doc__)
            return 2
    ids = ids or sorted(IMAGES)
    os.makedirs(out, exist_ok=True)
    for image_id in ids:
        data = build(image_id)
        with open(os.path.join(out, "%d.png" % image_id), "wb") as f:
            f.write(data)
        print("%d.png  %d bytes" % (image_id, len(data)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
