#!/usr/bin/env python3
"""Seeds for the script fuzzer: the action blocks of every movie under a folder.

Usage: script_seeds.py MOVIES_DIR OUT_DIR

Each DoAction and DoInitAction block (of the root and of its sprites) becomes one input in the
fuzzer's framing: a byte with the movie's version (low bits, counted from 5) and the way to run
it (high bits: frame script, function body, init actions), then the action bytes.
"""

import hashlib
import lzma
import os
import struct
import sys
import zlib


def movie_body(data):
    signature, version = data[:3], data[3]
    if signature == b"FWS":
        return version, data[8:]
    if signature == b"CWS":
        return version, zlib.decompressobj().decompress(data[8:])
    if signature == b"ZWS":
        props, body = data[12:17], data[17:]
        filters = [lzma._decode_filter_properties(lzma.FILTER_LZMA1, props)]
        return version, lzma.LZMADecompressor(lzma.FORMAT_RAW, filters=filters).decompress(body)
    return None, b""


def tags(body, pos):
    while pos + 2 <= len(body):
        code_length = struct.unpack_from("<H", body, pos)[0]
        pos += 2
        code, length = code_length >> 6, code_length & 0x3F
        if length == 0x3F:
            if pos + 4 > len(body):
                return
            length = struct.unpack_from("<I", body, pos)[0]
            pos += 4
        yield code, body[pos:pos + length]
        if code == 0:
            return
        pos += length


def action_blocks(body, pos):
    for code, content in tags(body, pos):
        if code == 12:
            yield content
        elif code == 59:
            yield content[2:]
        elif code == 39:
            yield from action_blocks(content, 4)


def main():
    source, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    written = 0
    for folder, _, files in os.walk(source):
        for name in files:
            if not name.endswith(".swf"):
                continue
            with open(os.path.join(folder, name), "rb") as f:
                version, body = movie_body(f.read())
            if version is None or len(body) < 2:
                continue
            rect_bits = body[0] >> 3
            header = (5 + 4 * rect_bits + 7) // 8 + 4  # the stage rectangle, rate and frame count
            selector = max(0, min(version, 10) - 5)
            for block in action_blocks(body, header):
                for mode in range(3):
                    seed = bytes([selector | (mode << 4)]) + (block[:-1] if block.endswith(b"\0") else block)
                    digest = hashlib.sha1(seed).hexdigest()
                    with open(os.path.join(out, digest), "wb") as f:
                        f.write(seed)
                    written += 1
    print(f"{written} seeds written to {out}")


if __name__ == "__main__":
    main()
