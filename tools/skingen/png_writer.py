"""PNG encoding with zlib: grey, RGB, palette and RGBA at the bit depths the skin uses, optionally
Adam7-interlaced. Only the critical chunks (and tRNS) are written, with no time stamps or text, so
the same pixels always give the same file.
"""

import struct
import zlib

GREY, RGB, PALETTE, RGBA = 0, 2, 3, 6
CHANNELS = {GREY: 1, RGB: 3, PALETTE: 1, RGBA: 4}
ADAM7_PASSES = ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2),
                (0, 1, 1, 2))
ALL_FILTERS = (0, 1, 2, 3, 4)


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def _pack_row(samples, depth):
    """Samples (flat, one per channel) to bytes: sub-byte depths packed from the high bit."""
    if depth == 8:
        return bytes(samples)
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    out = bytearray()
    per_byte = 8 // depth
    for i in range(0, len(samples), per_byte):
        byte = 0
        group = samples[i:i + per_byte]
        for k, s in enumerate(group):
            byte |= s << (8 - depth * (k + 1))
        out.append(byte)
    return bytes(out)


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _filtered(row, previous, step, kinds):
    """The row under each of the given filters; the one with the smallest sum of signed bytes as
    absolute values wins (the usual heuristic), ties going to the lower filter number."""
    candidates = []
    for kind in kinds:
        out = bytearray([kind])
        for i, x in enumerate(row):
            a = row[i - step] if i >= step else 0
            b = previous[i]
            c = previous[i - step] if i >= step else 0
            predictor = (0, a, b, (a + b) // 2, _paeth(a, b, c))[kind]
            out.append((x - predictor) & 0xFF)
        cost = sum(v if v < 128 else 256 - v for v in out[1:])
        candidates.append((cost, kind, bytes(out)))
    return min(candidates)[2]


def _image_data(rows, colour_type, depth, kinds):
    """Filtered scan lines of one (sub-)image; rows hold flat sample lists."""
    step = max(1, CHANNELS[colour_type] * depth // 8)
    packed = [_pack_row(r, depth) for r in rows]
    previous = bytes(len(packed[0])) if packed else b""
    out = bytearray()
    for row in packed:
        out += _filtered(row, previous, step, kinds)
        previous = row
    return bytes(out)


def encode(width, height, pixels, colour_type, depth, palette=None, transparency=None,
           interlaced=False, filters=ALL_FILTERS):
    """pixels: height rows of width tuples of samples (one per channel: a palette index, a grey
    level, R G B or R G B A, each at the given depth). palette: list of (r, g, b) for palette
    pictures. transparency: the tRNS payload, if any."""
    channels = CHANNELS[colour_type]
    if len(pixels) != height or any(len(r) != width for r in pixels):
        raise ValueError("pixel rows do not match the picture size")
    limit = (1 << depth) - 1
    for row in pixels:
        for px in row:
            if len(px) != channels or any(not 0 <= s <= limit for s in px):
                raise ValueError("sample out of range for %d-bit samples" % depth)

    def flat(row_pixels):
        return [s for px in row_pixels for s in px]

    if interlaced:
        data = bytearray()
        for x0, y0, dx, dy in ADAM7_PASSES:
            sub = [flat(pixels[y][x0::dx]) for y in range(y0, height, dy)]
            if sub and sub[0]:
                data += _image_data(sub, colour_type, depth, filters)
        data = bytes(data)
    else:
        data = _image_data([flat(r) for r in pixels], colour_type, depth, filters)

    out = b"\x89PNG\r\n\x1a\n"
    out += _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0,
                                      1 if interlaced else 0))
    if colour_type == PALETTE:
        if not palette or len(palette) > (1 << depth):
            raise ValueError("palette of %d entries for %d-bit indices"
                             % (len(palette or []), depth))
        out += _chunk(b"PLTE", bytes(c for entry in palette for c in entry))
    if transparency:
        out += _chunk(b"tRNS", bytes(transparency))
    out += _chunk(b"IDAT", zlib.compress(data, 9))
    out += _chunk(b"IEND", b"")
    return out
