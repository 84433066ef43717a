#!/usr/bin/env python3
"""Prints the reference tables of code pages from Python's codecs, for the code-page table test.

Usage: reference.py CODEPAGE...
For each code page:
  cp <number> <single|double>
  d <bytes in hex> <code point in hex>     every byte (single) or lead/trail pair (double) that
                                            decodes strictly to exactly one character
  e <code point in hex> <bytes in hex>     (double only) every BMP character that encodes strictly
A single-byte codec encodes exactly the inverse of its decoding table, so no "e" lines are printed
for those. An unknown code page prints "missing <number>".
"""
import codecs
import sys

NAMES = {10000: "mac_roman", 1361: "johab"}
DOUBLE = {932, 936, 949, 950, 1361}


def main():
    out = []
    for arg in sys.argv[1:]:
        cp = int(arg)
        name = NAMES.get(cp, "cp%d" % cp)
        try:
            codecs.lookup(name)
        except LookupError:
            out.append("missing %d" % cp)
            continue
        double = cp in DOUBLE
        out.append("cp %d %s" % (cp, "double" if double else "single"))
        for b in range(256):
            try:
                s = bytes([b]).decode(name)
            except UnicodeDecodeError:
                continue
            if len(s) == 1:
                out.append("d %02X %04X" % (b, ord(s)))
        if not double:
            continue
        for lead in range(0x80, 0x100):
            try:
                bytes([lead]).decode(name)
                continue  # a character of its own
            except UnicodeDecodeError:
                pass
            for trail in range(256):
                try:
                    s = bytes([lead, trail]).decode(name)
                except UnicodeDecodeError:
                    continue
                if len(s) == 1:
                    out.append("d %02X%02X %04X" % (lead, trail, ord(s)))
        for c in range(0x10000):
            if 0xD800 <= c <= 0xDFFF:
                continue
            try:
                b = chr(c).encode(name)
            except UnicodeEncodeError:
                continue
            out.append("e %04X %s" % (c, b.hex().upper()))
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
