#!/usr/bin/env python3
"""Builds res/qwill.ico from the PNG drawings beside this script: 16-colour palette images
with a 1-bit transparency mask (an eighth of the size of 32-bit images)."""
import struct, subprocess, sys, os

here = os.path.dirname(os.path.abspath(__file__))

def pixels(png, size):
    # quantised so that the palette holds every colour
    raw = subprocess.run(['convert', png, '+dither', '-colors', '15', '-depth', '8', 'rgba:-'],
                         check=True, capture_output=True).stdout
    return [raw[i:i + 4] for i in range(0, size * size * 4, 4)]

def image(png, size):
    px = pixels(png, size)
    palette = [b'\0\0\0']
    index = {}
    rows, mask = [], []
    for y in range(size - 1, -1, -1):  # bottom-up
        row, bits = bytearray(), 0
        mrow = bytearray()
        for x in range(size):
            r, g, b, a = px[y * size + x]
            if a < 128:
                row.append(0)
                bits = bits << 1 | 1
            else:
                key = bytes((b, g, r))
                if key not in index:
                    index[key] = len(palette)
                    palette.append(key)
                row.append(index[key])
                bits <<= 1
            if x % 8 == 7:
                mrow.append(bits)
                bits = 0
        if size % 8:
            mrow.append(bits << (8 - size % 8))
        packed = bytes(row[i] << 4 | row[i + 1] for i in range(0, size, 2))
        rows.append(packed + b'\0' * (-len(packed) % 4))
        mask.append(bytes(mrow) + b'\0' * (-len(mrow) % 4))
    assert len(palette) <= 16, png
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    colours = b''.join(c + b'\0' for c in palette) + b'\0' * 4 * (16 - len(palette))
    return header + colours + b''.join(rows) + b''.join(mask)

sizes = [16, 32, 48]
images = [image(os.path.join(here, f'icon{s}.png'), s) for s in sizes]
out = struct.pack('<HHH', 0, 1, len(sizes))
offset = 6 + 16 * len(sizes)
for s, data in zip(sizes, images):
    out += struct.pack('<BBBBHHII', s, s, 16, 0, 1, 4, len(data), offset)
    offset += len(data)
out += b''.join(images)
with open(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'qwill.ico'), 'wb') as f:
    f.write(out)
