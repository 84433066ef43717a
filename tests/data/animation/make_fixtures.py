#!/usr/bin/env python3
"""Writes the animated GIF files of the animation tests and, with ImageMagick's convert, the
frames an independent reader composes from them (raw 8-bit RGBA, the frames one after another).
Run from this folder."""
import shutil
import struct
import subprocess


def lzw_literal(indices, min_code):
    # Every pixel as a literal code after a clear code: valid data whose code size never grows
    # (as in ../pictures/make_fixtures.py, which writes its own files when imported).
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


# 0 red, 1 green, 2 blue, 3 yellow, 4 magenta, 5 cyan, 6 black, 7 grey (the transparent index)
PALETTE = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0), (255, 0, 255), (0, 255, 255), (0, 0, 0),
           (128, 128, 128)]
T = 7


def header(w, h):
    g = b"GIF89a" + struct.pack("<HHBBB", w, h, 0x82, 0, 0)
    g += b"".join(bytes(c) for c in PALETTE)
    return g + b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + struct.pack("<H", 0) + b"\0"


def frame(x, y, w, h, rows, delay, disposal, transparent):
    g = b"\x21\xF9\x04" + bytes(((disposal << 2) | (1 if transparent else 0),)) + struct.pack("<H", delay)
    g += bytes((T if transparent else 0, 0))
    g += b"\x2C" + struct.pack("<HHHHB", x, y, w, h, 0)
    if w == 0 or h == 0:
        return g + bytes((3, 0))
    assert len(rows) == h and all(len(r) == w for r in rows)
    return g + lzw_literal([i for r in rows for i in r], 3)


def anim3():
    # Delays 0, 1 and 5000 hundredths. Frame 0 stays (disposal 1), frame 1 is restored to the
    # background (disposal 2), frames 1 and 2 have transparent pixels.
    g = header(8, 6)
    g += frame(0, 0, 8, 6, [[6] * 8] + [[0] * 4 + [1] * 4 for _ in range(5)], 0, 1, False)
    g += frame(2, 1, 4, 3, [[2, T, 2, T], [T, 2, T, 2], [2, 2, 2, 2]], 1, 2, True)
    g += frame(1, 2, 5, 3, [[3, 3, T, 4, 4], [T, 3, 3, T, 4], [5, T, 5, T, 5]], 5000, 1, True)
    return g + b"\x3B"


def restore_previous():
    # Frame 1 is replaced by what was under it (disposal 3) before frame 2 is drawn.
    g = header(6, 4)
    g += frame(0, 0, 6, 4, [[5] * 6 for _ in range(4)], 10, 1, False)
    g += frame(1, 1, 3, 2, [[4, 4, 4], [4, T, 4]], 10, 3, True)
    g += frame(3, 0, 2, 3, [[2, T], [2, 2], [T, 2]], 10, 1, True)
    g += frame(0, 2, 2, 2, [[6, 6], [6, 6]], 10, 2, False)
    return g + b"\x3B"


def empty_tail(content_frames):
    # content_frames 4x4 frames, then two empty ones.
    g = header(4, 4)
    for i in range(content_frames):
        g += frame(0, 0, 4, 4, [[i] * 4 for _ in range(4)], 20, 1, False)
    g += frame(0, 0, 0, 0, [], 20, 1, False) * 2
    return g + b"\x3B"


FILES = {
    "anim3.gif": anim3(),
    "restore-previous.gif": restore_previous(),
    "empty-tail.gif": empty_tail(3),
    "one-frame-empty-tail.gif": empty_tail(1),
}
COALESCED = ["anim3.gif", "restore-previous.gif"]

if __name__ == "__main__":
    for name, data in FILES.items():
        with open(name, "wb") as f:
            f.write(data)
    convert = shutil.which("convert", path="/usr/bin:/bin")
    for name in COALESCED:
        if convert:
            subprocess.run([convert, name, "-coalesce", "-depth", "8", "rgba:" + name[:-4] + ".coalesced.rgba"],
                           check=True)
