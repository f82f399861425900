"""Minimal PNG writer and reader (standard library only).

The writer emits 8-bit RGBA (colour type 6) and 8-bit palette images
(colour type 3, with a tRNS chunk when the palette has transparent
entries).  Output depends only on the pixel data, so regenerating the skin
gives byte-identical files.  The reader decodes what the writer produces
and, for checking purposes, any non-interlaced 8-bit truecolour/palette PNG.
"""

import struct
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"


def _chunk(tag, data):
    return (struct.pack(">I", len(data)) + tag + data
            + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF))


def _filter_rows(raw_rows, bpp):
    """Pick, per row, the cheapest of the None/Sub/Up filters.

    Sub suits horizontal runs, Up suits the vertical gradients of the
    caption band; a cheap sum-of-magnitudes heuristic chooses between them.
    """
    out = bytearray()
    prev = bytes(len(raw_rows[0])) if raw_rows else b""
    for row in raw_rows:
        n = len(row)
        sub = bytes((row[i] - (row[i - bpp] if i >= bpp else 0)) & 0xFF
                    for i in range(n))
        up = bytes((a - b) & 0xFF for a, b in zip(row, prev))
        best, best_cost, best_type = row, None, 0
        for ftype, data in ((0, row), (1, sub), (2, up)):
            cost = sum(v if v < 128 else 256 - v for v in data)
            if best_cost is None or cost < best_cost:
                best, best_cost, best_type = data, cost, ftype
        out.append(best_type)
        out += best
        prev = row
    return bytes(out)


def encode_rgba(width, height, rgba):
    """rgba: bytes of length width*height*4, rows top to bottom."""
    stride = width * 4
    rows = [rgba[y * stride:(y + 1) * stride] for y in range(height)]
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    idat = zlib.compress(_filter_rows(rows, 4), 9)
    return (SIGNATURE + _chunk(b"IHDR", ihdr) + _chunk(b"IDAT", idat)
            + _chunk(b"IEND", b""))


def encode_indexed(width, height, indices, palette, alphas=None):
    """indices: bytes of length width*height; palette: list of (r, g, b);
    alphas: None or a list of alpha values for the leading palette entries
    (entries beyond it are opaque)."""
    if not 1 <= len(palette) <= 256:
        raise ValueError("palette must hold 1..256 colours")
    rows = [indices[y * width:(y + 1) * width] for y in range(height)]
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0)
    plte = b"".join(bytes(c) for c in palette)
    out = SIGNATURE + _chunk(b"IHDR", ihdr) + _chunk(b"PLTE", plte)
    if alphas:
        out += _chunk(b"tRNS", bytes(alphas))
    out += _chunk(b"IDAT", zlib.compress(_filter_rows(rows, 1), 9))
    return out + _chunk(b"IEND", b"")


class DecodedPNG:
    def __init__(self, width, height, colour_type, rgba, palette, trns):
        self.width = width
        self.height = height
        self.colour_type = colour_type
        self.rgba = rgba          # bytes, width*height*4
        self.palette = palette    # list of (r, g, b) or None
        self.trns = trns          # bytes or None

    def pixel(self, x, y):
        i = (y * self.width + x) * 4
        return tuple(self.rgba[i:i + 4])


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def decode(data):
    if data[:8] != SIGNATURE:
        raise ValueError("not a PNG file")
    pos = 8
    ihdr = None
    idat = bytearray()
    palette = None
    trns = None
    seen_end = False
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        tag = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        (crc,) = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(tag + body) & 0xFFFFFFFF != crc:
            raise ValueError("bad CRC in chunk %r" % tag)
        pos += 12 + length
        if tag == b"IHDR":
            ihdr = struct.unpack(">IIBBBBB", body)
        elif tag == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif tag == b"tRNS":
            trns = bytes(body)
        elif tag == b"IDAT":
            idat += body
        elif tag == b"IEND":
            seen_end = True
            break
    if ihdr is None or not seen_end:
        raise ValueError("missing IHDR or IEND")
    width, height, depth, ctype, comp, filt, interlace = ihdr
    if depth != 8 or interlace != 0 or comp != 0 or filt != 0:
        raise ValueError("unsupported PNG layout")
    bpp = {6: 4, 2: 3, 3: 1, 0: 1, 4: 2}[ctype]
    raw = zlib.decompress(bytes(idat))
    stride = width * bpp
    if len(raw) != height * (stride + 1):
        raise ValueError("wrong amount of image data")
    prev = bytearray(stride)
    out = bytearray()
    for y in range(height):
        ftype = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if ftype == 1:
                line[i] = (line[i] + a) & 0xFF
            elif ftype == 2:
                line[i] = (line[i] + b) & 0xFF
            elif ftype == 3:
                line[i] = (line[i] + ((a + b) >> 1)) & 0xFF
            elif ftype == 4:
                line[i] = (line[i] + _paeth(a, b, c)) & 0xFF
            elif ftype != 0:
                raise ValueError("bad filter type %d" % ftype)
        out += line
        prev = line
    n = width * height
    if ctype == 6:
        rgba = bytes(out)
    elif ctype == 2:
        rgba = bytearray()
        for i in range(n):
            rgba += out[i * 3:i * 3 + 3] + b"\xff"
        rgba = bytes(rgba)
    elif ctype == 3:
        if palette is None:
            raise ValueError("palette image without PLTE")
        alpha = list(trns or b"") + [255] * (256 - len(trns or b""))
        lut = [bytes(palette[i]) + bytes([alpha[i]]) if i < len(palette)
               else None for i in range(256)]
        rgba = bytearray()
        for v in out:
            if lut[v] is None:
                raise ValueError("palette index out of range")
            rgba += lut[v]
        rgba = bytes(rgba)
    else:
        raise ValueError("colour type %d not used by the skin" % ctype)
    return DecodedPNG(width, height, ctype, rgba, palette, trns)


def read(path):
    with open(path, "rb") as f:
        return decode(f.read())
