#!/usr/bin/env python3
"""Checks the generated skin images in res/skin.

Run with either
    python3 -m pytest tools/skin
    python3 tools/skin/test_skin.py

The checks cover what the loader and the skinned controls rely on: ids,
sizes, PNG colour types, frame layouts, the transparent corner staircases
that give the skinned windows their rounded top corners, the soft ends of
the progress images, the alpha channel of the login backdrop, the absence
of opaque magenta (the key colour), and that the committed files are
exactly what the generator produces.
"""

import os
import struct
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import make_skin  # noqa: E402
import pngio  # noqa: E402

SKIN_DIR = os.path.join(os.path.dirname(os.path.dirname(HERE)), "res", "skin")

# id: (width, height, format, frames)
EXPECTED = {
    129: (1005, 569, "rgba", 1),
    131: (30, 51, "indexed-clear", 1),
    132: (132, 28, "indexed-clear", 4),
    133: (228, 23, "rgba", 4),
    134: (30, 51, "indexed-clear", 1),
    135: (108, 28, "indexed", 4),
    136: (108, 28, "indexed", 4),
    137: (108, 28, "indexed", 4),
    138: (108, 27, "indexed", 4),
    139: (176, 28, "indexed", 4),
    140: (567, 22, "indexed", 3),
    141: (39, 13, "rgba", 3),
    142: (14, 16, "indexed", 1),
    148: (108, 27, "indexed", 4),
    149: (108, 27, "indexed", 4),
    150: (316, 28, "indexed", 4),
    151: (316, 28, "indexed", 4),
    152: (390, 21, "rgba", 1),
    153: (390, 21, "rgba", 1),
    162: (284, 150, "indexed", 1),
}
CAPTION_BUTTONS = (135, 136, 137, 138, 139, 148, 149, 150, 151)

_cache = {}


def img(image_id):
    if image_id not in _cache:
        _cache[image_id] = pngio.read(os.path.join(SKIN_DIR, "%d.png" % image_id))
    return _cache[image_id]


def transparent_set(d, x0=0, w=None):
    w = d.width - x0 if w is None else w
    return {(x - x0, y) for y in range(d.height) for x in range(x0, x0 + w)
            if d.pixel(x, y)[3] == 0}


def staircase(w):
    """Expected transparent pixels: 3, 2, 1 from each outer top edge."""
    s = set()
    for y, n in enumerate((3, 2, 1)):
        for i in range(n):
            s.add((i, y))
            s.add((w - 1 - i, y))
    return s


def lum(p):
    return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]


def frame_pixels(d, f, frames):
    fw = d.width // frames
    return [d.pixel(x, y) for y in range(d.height)
            for x in range(f * fw, (f + 1) * fw)]


def mean_lum(pixels):
    px = [p for p in pixels if p[3] > 0]
    return sum(lum(p) for p in px) / len(px)


# ------------------------------------------------------------------ tests

def test_all_images_present_with_sizes_and_formats():
    for image_id, (w, h, fmt, frames) in EXPECTED.items():
        path = os.path.join(SKIN_DIR, "%d.png" % image_id)
        assert os.path.isfile(path), path
        with open(path, "rb") as f:
            data = f.read()
        width, height, depth, ctype = struct.unpack(">IIBB", data[16:26])
        assert (width, height) == (w, h), image_id
        assert depth == 8, image_id
        d = img(image_id)
        if fmt == "rgba":
            assert ctype == 6, image_id
        else:
            assert ctype == 3, image_id
            assert d.palette and len(d.palette) <= 256, image_id
            alphas = set(d.trns or b"")
            if fmt == "indexed-clear":
                assert 0 in alphas, image_id
            else:
                assert not alphas - {255}, image_id
            # palette images only hold fully opaque or fully clear pixels
            assert {d.rgba[i] for i in range(3, len(d.rgba), 4)} <= {0, 255}
        assert w % frames == 0, image_id


def test_no_opaque_magenta():
    for image_id in EXPECTED:
        d = img(image_id)
        rgba = d.rgba
        for i in range(0, len(rgba), 4):
            assert not (rgba[i] == 255 and rgba[i + 1] == 0
                        and rgba[i + 2] == 255 and rgba[i + 3] == 255), \
                (image_id, (i // 4) % d.width, (i // 4) // d.width)


def test_nine_part_backgrounds_have_top_staircases_only():
    for image_id in (131, 134):
        assert transparent_set(img(image_id)) == staircase(30), image_id


def test_close_strip_has_staircase_at_top_right_of_each_frame():
    d = img(132)
    expect = {p for p in staircase(33) if p[0] > 16}
    for f in range(4):
        assert transparent_set(d, f * 33, 33) == expect, f


def test_opaque_palette_images_have_no_transparency():
    for image_id, (_, _, fmt, _) in EXPECTED.items():
        if fmt == "indexed":
            assert not transparent_set(img(image_id)), image_id


def test_progress_images_have_soft_round_ends():
    for image_id in (152, 153):
        d = img(image_id)
        for x0 in (0, d.width - 12):
            alphas = [d.pixel(x, y)[3] for y in range(d.height)
                      for x in range(x0, x0 + 12)]
            assert 0 in alphas, image_id
            assert any(0 < a < 255 for a in alphas), image_id
            assert 255 in alphas, image_id
        assert d.pixel(0, 0)[3] == 0 and d.pixel(d.width - 1, 0)[3] == 0
        assert d.pixel(d.width // 2, d.height // 2)[3] == 255
        # the straight middle part is opaque from top to bottom of the bar
        mid = [d.pixel(d.width // 2, y)[3] for y in range(2, d.height - 2)]
        assert min(mid) == 255, image_id


def test_login_background_has_real_alpha():
    d = img(129)
    counts = {"clear": 0, "partial": 0, "opaque": 0}
    for i in range(3, len(d.rgba), 4):
        a = d.rgba[i]
        counts["clear" if a == 0 else "opaque" if a == 255 else "partial"] += 1
    assert counts["clear"] > 0
    assert counts["partial"] > 5000      # soft shadow all around
    assert counts["opaque"] > 0.8 * d.width * d.height
    assert len({d.rgba[i] for i in range(3, len(d.rgba), 4)}) > 40
    for x, y in ((0, 0), (d.width - 1, 0), (0, d.height - 1),
                 (d.width - 1, d.height - 1)):
        assert d.pixel(x, y)[3] < 255
    assert d.pixel(d.width // 2, d.height // 2)[3] == 255


def test_button_states_are_distinguishable():
    strips = list(CAPTION_BUTTONS) + [132, 133]
    for image_id in strips:
        d = img(image_id)
        frames = [frame_pixels(d, f, 4) for f in range(4)]
        for a in range(4):
            for b in range(a + 1, 4):
                changed = sum(1 for p, q in zip(frames[a], frames[b])
                              if sum(abs(p[k] - q[k]) for k in range(4)) > 24)
                assert changed >= 12, (image_id, a, b, changed)
        normal, hover, pressed, disabled = [mean_lum(f) for f in frames]
        if image_id != 132:  # the close button turns red instead
            assert hover > normal > pressed, image_id
        assert pressed < normal, image_id
        if image_id != 133:
            # white glyph in the live states, a dimmed one when disabled
            assert max(lum(p) for p in frames[0]) > 250, image_id
            assert max(lum(p) for p in frames[3]) < 235, image_id
    d = img(133)

    def sat(pixels):
        px = [p for p in pixels if p[3] == 255]
        return sum(max(p[:3]) - min(p[:3]) for p in px) / float(len(px))
    assert sat(frame_pixels(d, 3, 4)) < 0.5 * sat(frame_pixels(d, 0, 4))


def test_tab_and_close_mark_states_differ():
    for image_id in (140, 141):
        d = img(image_id)
        frames = [frame_pixels(d, f, 3) for f in range(3)]
        assert len({tuple(f) for f in frames}) == 3, image_id
    d = img(141)
    assert d.pixel(0, 0)[3] == 0 and d.pixel(6, 6)[3] == 255


def test_caption_pieces_match_the_frame():
    """Opaque caption-bar images repeat the caption band pixel for pixel,
    so they sit on the stretched frame without a visible edge."""
    frame = img(134)
    band = [frame.pixel(10, y) for y in range(30)]
    assert band == [img(131).pixel(10, y) for y in range(30)]
    for image_id in CAPTION_BUTTONS:
        d = img(image_id)
        fw = d.width // 4
        for f in range(4):
            for y in range(d.height):
                assert d.pixel(f * fw, y) == band[y], (image_id, f, y)
                assert d.pixel(f * fw + fw - 1, y) == band[y], (image_id, f, y)
    icon = img(142)
    for y in list(range(0, 8)) + [14, 15]:
        assert icon.pixel(0, y) == band[7 + y], y
        assert icon.pixel(icon.width - 1, y) == band[7 + y], y
    tabs = img(140)
    for f in range(3):
        assert tabs.pixel(f * 189, 0) == band[3]
        assert tabs.pixel(f * 189 + 188, 21) == band[24]
    close = img(132)
    for f in range(4):
        for y in range(28):
            for x in range(24, 33):
                if close.pixel(f * 33 + x, y)[3] == 0:
                    continue
                if f == 0 or x == 32 or y == 0:
                    assert close.pixel(f * 33 + x, y) == \
                        frame.pixel(x - 3, y), (f, x, y)


def test_generator_reproduces_committed_files():
    with tempfile.TemporaryDirectory() as tmp:
        assert make_skin.main(["--out", tmp]) == 0
        for image_id in EXPECTED:
            name = "%d.png" % image_id
            with open(os.path.join(tmp, name), "rb") as f:
                fresh = f.read()
            with open(os.path.join(SKIN_DIR, name), "rb") as f:
                committed = f.read()
            assert fresh == committed, name + " is stale: rerun make_skin.py"
        assert make_skin.main(["--out", tmp, "133"]) == 0
        with open(os.path.join(tmp, "133.png"), "rb") as f:
            assert f.read() == open(os.path.join(SKIN_DIR, "133.png"), "rb").read()


def test_decoder_handles_every_filter_type():
    # hand-filtered 3 x 2 RGBA image using Average and Paeth rows
    w, h = 3, 2
    pix = [[(10, 20, 30, 255), (200, 100, 50, 128), (0, 255, 7, 0)],
           [(1, 2, 3, 4), (250, 240, 230, 220), (9, 99, 199, 255)]]
    raw = bytearray()
    prev = [0] * (w * 4)
    for y, ftype in ((0, 3), (1, 4)):
        row = [v for p in pix[y] for v in p]
        raw.append(ftype)
        for i, v in enumerate(row):
            a = row[i - 4] if i >= 4 else 0
            b = prev[i]
            c = prev[i - 4] if i >= 4 else 0
            pred = (a + b) // 2 if ftype == 3 else pngio._paeth(a, b, c)
            raw.append((v - pred) & 0xFF)
        prev = row

    def chunk(tag, body):
        return (struct.pack(">I", len(body)) + tag + body
                + struct.pack(">I", zlib.crc32(tag + body) & 0xFFFFFFFF))
    data = (pngio.SIGNATURE
            + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw)))
            + chunk(b"IEND", b""))
    d = pngio.decode(data)
    assert [[d.pixel(x, y) for x in range(w)] for y in range(h)] == pix


def test_encoders_round_trip():
    rgba = bytes((x * 37 + y * 11 + k * 5) & 0xFF
                 for y in range(5) for x in range(7) for k in range(4))
    assert pngio.decode(pngio.encode_rgba(7, 5, rgba)).rgba == rgba
    pal = [(0, 0, 0), (255, 255, 255), (12, 34, 56)]
    idx = bytes((x + y) % 3 for y in range(4) for x in range(6))
    d = pngio.decode(pngio.encode_indexed(6, 4, idx, pal, [0]))
    for y in range(4):
        for x in range(6):
            v = idx[y * 6 + x]
            assert d.pixel(x, y) == pal[v] + ((0,) if v == 0 else (255,))


if __name__ == "__main__":
    failed = 0
    for name, fn in sorted(globals().items()):
        if name.startswith("test_") and callable(fn):
            try:
                fn()
                print("ok    " + name)
            except AssertionError as e:
                failed += 1
                print("FAIL  %s: %s" % (name, e))
    sys.exit(1 if failed else 0)
