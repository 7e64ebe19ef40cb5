#!/usr/bin/env python3
"""Plain PBM (P1) to PNG, each pixel scaled up, for looking at reference pictures."""
import struct
import sys
import zlib


def pbm2png(src, dst, scale=4):
    tok = open(src).read().split()
    assert tok[0] == 'P1'
    w, h = int(tok[1]), int(tok[2])
    bits = ''.join(tok[3:])
    rows = b''
    for y in range(h):
        row = bytes(0 if bits[y * w + x // scale] == '1' else 255 for x in range(w * scale))
        rows += (b'\x00' + row) * scale

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w * scale, h * scale, 8, 0, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(rows, 9)) + chunk(b'IEND', b'')
    open(dst, 'wb').write(png)


if __name__ == '__main__':
    for f in sys.argv[1:]:
        pbm2png(f, f[:-4] + '.png')
