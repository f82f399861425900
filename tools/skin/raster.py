"""Small anti-aliased rasteriser for the skin artwork.

Shapes are signed distance functions (negative inside, in pixels); the
coverage of a pixel is taken from the distance at its centre, which gives
one pixel of smooth edge without supersampling.  The canvas keeps
premultiplied floating point RGBA so that layers compose like in any paint
program.
"""

import math


def clamp01(v):
    return 0.0 if v < 0.0 else (1.0 if v > 1.0 else v)


def mix(c1, c2, t):
    """Linear blend of two colours (tuples of equal length)."""
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


def gradient(stops, t):
    """Piecewise-linear colour ramp; stops: [(pos, colour), ...] sorted."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 0.0)
    return stops[-1][1]


# ---------------------------------------------------------------- shapes

def sd_circle(cx, cy, r):
    def f(x, y):
        return math.hypot(x - cx, y - cy) - r
    f.bbox = (cx - r, cy - r, cx + r, cy + r)
    return f


def sd_round_rect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r

    def f(x, y):
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r
    f.bbox = (x0, y0, x1, y1)
    return f


def sd_segment(ax, ay, bx, by, w):
    """Capsule of total width w around the segment a-b."""
    ex, ey = bx - ax, by - ay
    ee = ex * ex + ey * ey or 1e-12
    h = w / 2.0

    def f(x, y):
        px, py = x - ax, y - ay
        t = clamp01((px * ex + py * ey) / ee)
        return math.hypot(px - ex * t, py - ey * t) - h
    f.bbox = (min(ax, bx) - h, min(ay, by) - h, max(ax, bx) + h, max(ay, by) + h)
    return f


def sd_polygon(points):
    pts = list(points)
    n = len(pts)

    def f(x, y):
        d = (x - pts[0][0]) ** 2 + (y - pts[0][1]) ** 2
        s = 1.0
        j = n - 1
        for i in range(n):
            vix, viy = pts[i]
            vjx, vjy = pts[j]
            ex, ey = vjx - vix, vjy - viy
            wx, wy = x - vix, y - viy
            ee = ex * ex + ey * ey or 1e-12
            t = clamp01((wx * ex + wy * ey) / ee)
            bx, by = wx - ex * t, wy - ey * t
            d = min(d, bx * bx + by * by)
            c1 = y >= viy
            c2 = y < vjy
            c3 = ex * wy > ey * wx
            if (c1 and c2 and c3) or (not c1 and not c2 and not c3):
                s = -s
            j = i
        return s * math.sqrt(d)
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    f.bbox = (min(xs), min(ys), max(xs), max(ys))
    return f


def sd_arc(cx, cy, r, w, axis_angle, half_aperture):
    """Stroke of width w along a circular arc of radius r, symmetric about
    the direction axis_angle (radians, y pointing down), spanning
    +-half_aperture around it, with round caps."""
    ax, ay = math.cos(axis_angle), math.sin(axis_angle)
    sn, cs = math.sin(half_aperture), math.cos(half_aperture)
    h = w / 2.0

    def f(x, y):
        px, py = x - cx, y - cy
        # frame where the axis is +v and the perpendicular is u
        v = px * ax + py * ay
        u = abs(-px * ay + py * ax)
        if cs * u > sn * v:
            return math.hypot(u - sn * r, v - cs * r) - h
        return abs(math.hypot(u, v) - r) - h
    f.bbox = (cx - r - h, cy - r - h, cx + r + h, cy + r + h)
    return f


def sd_ring(cx, cy, r, w):
    h = w / 2.0

    def f(x, y):
        return abs(math.hypot(x - cx, y - cy) - r) - h
    f.bbox = (cx - r - h, cy - r - h, cx + r + h, cy + r + h)
    return f


def union(*shapes):
    def f(x, y):
        return min(s(x, y) for s in shapes)
    f.bbox = (min(s.bbox[0] for s in shapes), min(s.bbox[1] for s in shapes),
              max(s.bbox[2] for s in shapes), max(s.bbox[3] for s in shapes))
    return f


def subtract(shape, *holes):
    def f(x, y):
        d = shape(x, y)
        for hole in holes:
            d = max(d, -hole(x, y))
        return d
    f.bbox = shape.bbox
    return f


def intersect(a, b):
    def f(x, y):
        return max(a(x, y), b(x, y))
    f.bbox = (max(a.bbox[0], b.bbox[0]), max(a.bbox[1], b.bbox[1]),
              min(a.bbox[2], b.bbox[2]), min(a.bbox[3], b.bbox[3]))
    return f


def translate(shape, dx, dy):
    def f(x, y):
        return shape(x - dx, y - dy)
    b = shape.bbox
    f.bbox = (b[0] + dx, b[1] + dy, b[2] + dx, b[3] + dy)
    return f


# ---------------------------------------------------------------- canvas

class Canvas:
    """RGBA image with premultiplied float channels (colour 0..255,
    alpha 0..1)."""

    def __init__(self, width, height, colour=None):
        self.w = width
        self.h = height
        n = width * height
        if colour is None:
            self.r = [0.0] * n
            self.g = [0.0] * n
            self.b = [0.0] * n
            self.a = [0.0] * n
        else:
            a = colour[3] if len(colour) > 3 else 1.0
            self.r = [colour[0] * a] * n
            self.g = [colour[1] * a] * n
            self.b = [colour[2] * a] * n
            self.a = [a] * n

    # -- raw pixel access (straight colour) --
    def put(self, x, y, colour, alpha=1.0):
        i = y * self.w + x
        self.r[i] = colour[0] * alpha
        self.g[i] = colour[1] * alpha
        self.b[i] = colour[2] * alpha
        self.a[i] = alpha

    def get(self, x, y):
        i = y * self.w + x
        a = self.a[i]
        if a <= 0.0:
            return (0.0, 0.0, 0.0, 0.0)
        return (self.r[i] / a, self.g[i] / a, self.b[i] / a, a)

    def clear(self, x, y):
        self.put(x, y, (0, 0, 0), 0.0)

    def over(self, i, colour, alpha):
        """Composite a straight colour with the given alpha over pixel i."""
        if alpha <= 0.0:
            return
        k = 1.0 - alpha
        self.r[i] = colour[0] * alpha + self.r[i] * k
        self.g[i] = colour[1] * alpha + self.g[i] * k
        self.b[i] = colour[2] * alpha + self.b[i] * k
        self.a[i] = alpha + self.a[i] * k

    # -- drawing --
    def fill(self, shape, paint, alpha=1.0, mask=None):
        """Fill an SDF shape.  paint is a colour tuple or a function
        (x, y) -> colour; mask(x, y) -> bool restricts the pixels touched."""
        x0, y0, x1, y1 = shape.bbox
        xa = max(0, int(math.floor(x0)) - 1)
        ya = max(0, int(math.floor(y0)) - 1)
        xb = min(self.w, int(math.ceil(x1)) + 1)
        yb = min(self.h, int(math.ceil(y1)) + 1)
        const = None if callable(paint) else paint
        for y in range(ya, yb):
            cy = y + 0.5
            for x in range(xa, xb):
                if mask is not None and not mask(x, y):
                    continue
                cov = 0.5 - shape(x + 0.5, cy)
                if cov <= 0.0:
                    continue
                if cov > 1.0:
                    cov = 1.0
                colour = const if const is not None else paint(x, y)
                self.over(y * self.w + x, colour, cov * alpha)

    def fill_rect(self, x0, y0, x1, y1, paint, alpha=1.0):
        """Fill whole pixels [x0, x1) x [y0, y1)."""
        const = None if callable(paint) else paint
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                colour = const if const is not None else paint(x, y)
                self.over(y * self.w + x, colour, alpha)

    def blit(self, src, dx, dy):
        """Copy src (replacing pixels) with its top-left at (dx, dy)."""
        for y in range(src.h):
            for x in range(src.w):
                i = y * src.w + x
                j = (y + dy) * self.w + (x + dx)
                self.r[j] = src.r[i]
                self.g[j] = src.g[i]
                self.b[j] = src.b[i]
                self.a[j] = src.a[i]

    def to_rgba8(self):
        out = bytearray(self.w * self.h * 4)
        for i in range(self.w * self.h):
            a = self.a[i]
            ai = int(a * 255.0 + 0.5)
            if ai <= 0:
                continue  # fully transparent: colour bytes stay 0
            if ai > 255:
                ai = 255
            inv = 1.0 / a
            o = i * 4
            out[o] = min(255, max(0, int(self.r[i] * inv + 0.5)))
            out[o + 1] = min(255, max(0, int(self.g[i] * inv + 0.5)))
            out[o + 2] = min(255, max(0, int(self.b[i] * inv + 0.5)))
            out[o + 3] = ai
        return bytes(out)
