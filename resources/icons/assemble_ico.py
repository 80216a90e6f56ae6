#!/usr/bin/env python3
"""Assembles a Windows .ico from PNG images, each at 4-bit, 8-bit and 32-bit colour.

ImageMagick quantizes the palette images but writes any image with transparency as 32-bit, so
the icon directory, the palette bitmaps and their transparency masks are put together here.
Usage: assemble_ico.py OUT.ico IMAGE.png...   (ImageMagick's convert must be on the PATH)
"""
import struct
import subprocess
import sys


def run(*args):
    return subprocess.run(args, check=True, stdout=subprocess.PIPE).stdout


def size_of(png):
    w, h = run("identify", "-format", "%w %h", png).split()
    return int(w), int(h)


def and_mask(alpha, width, height):
    """1 bit per pixel, 1 where the pixel is transparent; rows bottom-up, padded to 4 bytes."""
    stride = ((width + 31) // 32) * 4
    rows = []
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            if alpha[y * width + x] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
    return b"".join(rows)


def palette_image(png, colours, width, height, alpha):
    # Transparent pixels are black in the colour part, so that screen AND mask XOR colour leaves
    # the screen showing through.
    bmp = run("convert", png, "-background", "black", "-alpha", "remove", "-alpha", "off",
              "+dither", "-colors", str(colours), "-type", "Palette", "-compress", "none", "BMP3:-")
    offset = struct.unpack_from("<I", bmp, 10)[0]
    header = bytearray(bmp[14:54])
    bits, compression = struct.unpack_from("<HI", header, 14)
    if compression != 0:
        raise SystemExit(f"{png}: ImageMagick wrote a compressed bitmap, which icons cannot hold")
    expected = 4 if colours <= 16 else 8
    if bits > expected:
        raise SystemExit(f"{png}: ImageMagick wrote {bits}-bit colour instead of {expected}-bit")
    palette = bmp[54:offset]
    pixels = bmp[offset:]
    mask = and_mask(alpha, width, height)
    struct.pack_into("<i", header, 8, height * 2)
    struct.pack_into("<I", header, 20, len(pixels) + len(mask))
    return bytes(header) + palette + pixels + mask, len(palette) // 4 if bits <= 4 else 0, bits


def true_colour_image(png, width, height, alpha):
    rgba = run("convert", png, "-depth", "8", "RGBA:-")
    rows = []
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b, a = rgba[(y * width + x) * 4:(y * width + x) * 4 + 4]
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    mask = and_mask(alpha, width, height)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask, 0, 32


def main():
    out, pngs = sys.argv[1], sys.argv[2:]
    images = []
    for png in pngs:
        width, height = size_of(png)
        alpha = run("convert", png, "-alpha", "extract", "-depth", "8", "GRAY:-")
        for colours in (16, 256):
            images.append((width, height) + palette_image(png, colours, width, height, alpha))
        images.append((width, height) + true_colour_image(png, width, height, alpha))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for width, height, body, palette_count, bits in images:
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, palette_count % 256, 0, 1, bits,
                               len(body), offset + len(data))
        data += body
    with open(out, "wb") as f:
        f.write(directory + entries + data)


if __name__ == "__main__":
    main()
