#!/usr/bin/env python3
"""Writes the small picture files the picture tests read. Run from this folder."""
import struct
import zlib


def bmp24(w, h, pixels):
    stride = (w * 3 + 3) & ~3
    rows = b""
    for y in range(h - 1, -1, -1):
        row = b"".join(bytes((b, g, r)) for (r, g, b) in pixels[y])
        rows += row + b"\0" * (stride - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 3780, 3780, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(rows), 0, 0, 54)
    return head + info + rows


def bmp8(w, h, palette, indices):
    stride = (w + 3) & ~3
    rows = b""
    for y in range(h - 1, -1, -1):
        row = bytes(indices[y])
        rows += row + b"\0" * (stride - len(row))
    pal = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(rows), 0, 0, len(palette), 0)
    off = 14 + 40 + len(pal)
    return struct.pack("<2sIHHI", b"BM", off + len(rows), 0, 0, off) + info + pal + rows


def png_rgba(w, h, pixels):
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in pixels)
    def chunk(t, d):
        return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def lzw_literal(indices, min_code=2):
    # Every pixel as a literal code after a clear code: valid data whose code size never grows.
    clear, eoi, size = 1 << min_code, (1 << min_code) + 1, min_code + 1
    codes = []
    for i in indices:
        codes += [clear, i]
    codes.append(eoi)
    bits, n, out = 0, 0, bytearray()
    for c in codes:
        bits |= c << n
        n += size
        while n >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            n -= 8
    if n:
        out.append(bits & 0xFF)
    data = bytearray([min_code])
    for i in range(0, len(out), 255):
        part = out[i:i + 255]
        data += bytes([len(part)]) + part
    return bytes(data + b"\0")


def gif_two_frames():
    # Global map: 0 black, 1 red, 2 blue, 3 white. Frame 1: 4x4 red, 10 cs, no disposal.
    # Frame 2: 2x2 at (1,1), blue with a transparent top-left pixel, 25 cs, restore to background.
    g = b"GIF89a" + struct.pack("<HHBBB", 4, 4, 0x81, 0, 0)
    g += bytes((0, 0, 0, 255, 0, 0, 0, 0, 255, 255, 255, 255))
    g += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + struct.pack("<H", 0) + b"\0"
    g += b"\x21\xF9\x04" + bytes((1 << 2,)) + struct.pack("<H", 10) + b"\0\0"
    g += b"\x2C" + struct.pack("<HHHHB", 0, 0, 4, 4, 0) + lzw_literal([1] * 16)
    g += b"\x21\xF9\x04" + bytes(((2 << 2) | 1,)) + struct.pack("<H", 25) + b"\3\0"
    g += b"\x2C" + struct.pack("<HHHHB", 1, 1, 2, 2, 0) + lzw_literal([3, 2, 2, 2])
    return g + b"\x3B"


def tiff_rgb(w, h, pixels):
    data = b"".join(bytes(p) for row in pixels for p in row)
    entries = [(256, 3, 1, w), (257, 3, 1, h), (258, 3, 3, 0), (259, 3, 1, 1), (262, 3, 1, 2),
               (273, 4, 1, 0), (277, 3, 1, 3), (278, 3, 1, h), (279, 4, 1, len(data))]
    ifd_off = 8
    ifd_size = 2 + 12 * len(entries) + 4
    bps_off = ifd_off + ifd_size
    data_off = bps_off + 6
    out = b"II" + struct.pack("<HI", 42, ifd_off) + struct.pack("<H", len(entries))
    for tag, typ, count, value in entries:
        if tag == 258:
            value = bps_off
        if tag == 273:
            value = data_off
        if typ == 3 and count == 1:
            out += struct.pack("<HHIHH", tag, typ, count, value, 0)
        else:
            out += struct.pack("<HHII", tag, typ, count, value)
    return out + struct.pack("<I", 0) + struct.pack("<HHH", 8, 8, 8) + data


def wmf(inch):
    recs = b""
    def rec(func, *params):
        return struct.pack("<IH", 3 + len(params), func) + struct.pack("<%dh" % len(params), *params)
    recs += rec(0x020B, 0, 0)               # SETWINDOWORG y, x
    recs += rec(0x020C, 100, 200)           # SETWINDOWEXT y, x
    recs += rec(0x02FC, 0, 0x00FF, 0, 0)    # CREATEBRUSHINDIRECT solid red (style, colour lo, hi, hatch)
    recs += rec(0x012D, 0)                  # SELECTOBJECT 0
    recs += rec(0x041B, 100, 200, 0, 0)     # RECTANGLE bottom, right, top, left
    recs += rec(0x0000)                     # EOF
    header = struct.pack("<HHHIHIH", 1, 9, 0x0300, 9 + len(recs) // 2, 1, 7, 0)
    box = (0, 0, 200, 100)
    words = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, *box, inch, 0)
    checksum = 0
    for i in range(0, 20, 2):
        checksum ^= struct.unpack_from("<H", words, i)[0]
    return words + struct.pack("<H", checksum) + header + recs


R, G, B, W, K = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255), (0, 0, 0)
files = {
    "rgb4x3.bmp": bmp24(4, 3, [[R, G, B, W], [K, R, G, B], [W, K, R, G]]),
    "pal3x2.bmp": bmp8(3, 2, [R, G, B], [[0, 1, 2], [2, 1, 0]]),
    "rgba3x2.png": png_rgba(3, 2, [[(255, 0, 0, 255), (0, 255, 0, 128), (0, 0, 255, 0)],
                                   [(1, 2, 3, 255), (4, 5, 6, 255), (7, 8, 9, 255)]]),
    "two-frames.gif": gif_two_frames(),
    "rgb2x2.tif": tiff_rgb(2, 2, [[R, G], [B, W]]),
    "rect.wmf": wmf(1440),
    "rect-inch0.wmf": wmf(0),
}
for name, data in files.items():
    with open(name, "wb") as f:
        f.write(data)
