#!/usr/bin/env python3
"""Draws the installer's icon: a dark-blue tile with an open white book and a
green bookmark, as a 16-colour icon group of a 32x32 and a 16x16 image.

Usage: make_icon.py OUT.ico
"""
import struct
import sys

# The 16-colour palette (the classic VGA colours), as (r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
NAVY, BLUE, WHITE, GREY, GREEN, BLACK = 4, 12, 15, 7, 2, 0


def draw(size):
    """Returns rows (top first) of palette indexes."""
    s = size / 32.0
    img = [[NAVY] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if y < size // 2 and (x + y) % 2 == 0 and size == 32:
                img[y][x] = BLUE if y < 6 else NAVY
    # The two pages of the book.
    top, bottom = int(8 * s), int(25 * s)
    for y in range(top, bottom):
        sag = int(abs((y - top) - 0) * 0)  # flat pages
        for x in range(int(4 * s), int(28 * s)):
            img[y][x] = WHITE
        img[y][int(16 * s) - 1] = GREY  # the spine
    # Lines of text on the pages.
    for y in range(int(11 * s), int(23 * s), max(1, int(3 * s))):
        for x in list(range(int(6 * s), int(13 * s))) + list(range(int(18 * s), int(26 * s))):
            img[y][x] = GREY
    # A green bookmark hanging from the right page.
    for y in range(int(6 * s), int(28 * s)):
        for x in range(int(22 * s), int(24 * s) + 1):
            img[y][x] = GREEN
    # Outline of the pages.
    for x in range(int(4 * s), int(28 * s)):
        img[top][x] = BLACK
        img[bottom - 1][x] = BLACK
    return img


def image_bytes(size):
    img = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    xor = b''
    for row in reversed(img):  # bottom-up
        packed = bytes((row[x] << 4) | row[x + 1] for x in range(0, size, 2))
        xor += packed + b'\0' * ((4 - len(packed) % 4) % 4)
    mask_row = ((size + 31) // 32) * 4
    andmask = b'\0' * (mask_row * size)  # fully opaque
    return header + palette + xor + andmask


def main():
    images = [(32, image_bytes(32)), (16, image_bytes(16))]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
