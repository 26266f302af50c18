#!/usr/bin/env python3
"""Writes the fuzzer's seed corpus: small bitmaps in every supported form, then cut and damaged
copies of them, so that the fuzzer starts next to each of the loader's decisions."""
import os
import struct
import sys

OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "seeds")


def info_header(width, height, bits, compression=0, used=0, size=40):
    header = struct.pack("<IiiHHIIiiII", size, width, height, 1, bits, compression, 0, 2835, 2835,
                         used, 0)
    return header + bytes(size - 40)


def core_header(width, height, bits):
    return struct.pack("<IHHHH", 12, width, height, 1, bits)


def pixels(width, height, bits):
    row = (width * bits + 31) // 32 * 4
    return bytes((x * 37 + y * 11) & 0xFF for y in range(abs(height)) for x in range(row))


def bitmap(dib, palette, width, height, bits, masks=b""):
    head = dib + masks + palette
    body = pixels(width, height, bits)
    offset = 14 + len(head)
    return b"BM" + struct.pack("<IHHI", offset + len(body), 0, 0, offset) + head + body


def grey_palette(count, entry=4):
    return b"".join(bytes([i * 255 // max(count - 1, 1)] * 3) + bytes(entry - 3)
                    for i in range(count))


def valid():
    rgb565 = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
    return {
        "1bit": bitmap(info_header(7, 5, 1), grey_palette(2), 7, 5, 1),
        "4bit": bitmap(info_header(9, 4, 4), grey_palette(16), 9, 4, 4),
        "8bit": bitmap(info_header(5, 5, 8), grey_palette(256), 5, 5, 8),
        "8bit-3colours": bitmap(info_header(5, 3, 8, used=3), grey_palette(3), 5, 3, 8),
        "8bit-core": bitmap(core_header(3, 3, 8), grey_palette(256, 3), 3, 3, 8),
        "16bit-565": bitmap(info_header(4, 3, 16, compression=3), b"", 4, 3, 16, rgb565),
        "24bit": bitmap(info_header(6, 3, 24), b"", 6, 3, 24),
        "24bit-topdown": bitmap(info_header(6, -3, 24), b"", 6, -3, 24),
        "32bit": bitmap(info_header(4, 4, 32), b"", 4, 4, 32),
        "32bit-v5": bitmap(info_header(4, 2, 32, size=124), b"", 4, 2, 32),
    }


def damaged(good):
    base = good["24bit"]

    def patch(data, at, fmt, value):
        return data[:at] + struct.pack(fmt, value) + data[at + struct.calcsize(fmt):]

    return {
        "cut-55": base[:55],
        "cut-half": base[: len(base) // 2],
        "cut-one-short": base[:-1],
        "cut-8bit-palette": good["8bit"][:600],
        "bad-magic": b"MB" + base[2:],
        "dib-size-41": patch(base, 14, "<I", 41),
        "planes-2": patch(base, 26, "<H", 2),
        "bits-7": patch(base, 28, "<H", 7),
        "rle8": patch(good["8bit"], 30, "<I", 1),
        "width-0": patch(base, 18, "<i", 0),
        "absurd-size": patch(patch(base, 18, "<i", 100000), 22, "<i", 100000),
        "min-height": patch(base, 22, "<i", -2**31),
        "offset-in-header": patch(base, 10, "<I", 20),
        "colours-300": patch(good["8bit"], 46, "<I", 300),
    }


def main():
    os.makedirs(OUT, exist_ok=True)
    good = valid()
    for name, data in {**good, **damaged(good)}.items():
        with open(os.path.join(OUT, name + ".bmp"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
