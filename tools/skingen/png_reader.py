"""PNG decoding for the formats the skin uses, to check written files and to lay them out on the
contact sheet from what is really on disk. Gives 8-bit (r, g, b) rows the way the viewer's decoder
sees them: 16-bit samples keep their high byte, grey is spread to all three channels, palette
indices are looked up, alpha is reported separately.
"""

import struct
import zlib

from png_writer import ADAM7_PASSES, CHANNELS, PALETTE, GREY, RGB, RGBA

SIGNATURE = b"\x89PNG\r\n\x1a\n"


class PngError(ValueError):
    pass


def read_chunks(data):
    if not data.startswith(SIGNATURE):
        raise PngError("no PNG signature")
    pos = len(SIGNATURE)
    chunks = []
    while pos < len(data):
        if pos + 8 > len(data):
            raise PngError("truncated chunk header")
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 4:pos + 8 + length]
        if len(body) != length + 4 or pos + 12 + length > len(data):
            raise PngError("truncated chunk")
        (crc,) = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(body) & 0xFFFFFFFF != crc:
            raise PngError("bad CRC in %r" % kind)
        chunks.append((kind, body[4:]))
        pos += 12 + length
    return chunks


def header(data):
    """(width, height, bit depth, colour type, interlaced) from the IHDR chunk."""
    kind, body = read_chunks(data)[0]
    if kind != b"IHDR":
        raise PngError("IHDR is not first")
    width, height, depth, colour_type, _, _, interlace = struct.unpack(">IIBBBBB", body)
    return width, height, depth, colour_type, interlace == 1


def _unfilter(raw, pos, rows, row_bytes, step):
    out = []
    previous = bytearray(row_bytes)
    for _ in range(rows):
        kind = raw[pos]
        line = bytearray(raw[pos + 1:pos + 1 + row_bytes])
        if len(line) != row_bytes:
            raise PngError("image data too short")
        pos += 1 + row_bytes
        for i in range(row_bytes):
            a = line[i - step] if i >= step else 0
            b = previous[i]
            c = previous[i - step] if i >= step else 0
            if kind == 0:
                predictor = 0
            elif kind == 1:
                predictor = a
            elif kind == 2:
                predictor = b
            elif kind == 3:
                predictor = (a + b) // 2
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                predictor = a if pa <= pb and pa <= pc else b if pb <= pc else c
            else:
                raise PngError("unknown filter %d" % kind)
            line[i] = (line[i] + predictor) & 0xFF
        out.append(bytes(line))
        previous = line
    return out, pos


def _samples(line, count, depth):
    if depth == 8:
        return list(line[:count])
    if depth == 16:
        return [line[2 * i] << 8 | line[2 * i + 1] for i in range(count)]
    per_byte = 8 // depth
    mask = (1 << depth) - 1
    return [(line[i // per_byte] >> (8 - depth * (i % per_byte + 1))) & mask for i in range(count)]


def decode(data):
    """Returns (width, height, rows of (r, g, b), rows of alpha or None, raw sample rows)."""
    chunks = read_chunks(data)
    width, height, depth, colour_type, interlaced = header(data)
    palette = None
    alpha_of_index = {}
    for kind, body in chunks:
        if kind == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif kind == b"tRNS" and colour_type == PALETTE:
            alpha_of_index = dict(enumerate(body))
    raw = zlib.decompress(b"".join(body for kind, body in chunks if kind == b"IDAT"))
    channels = CHANNELS[colour_type]
    step = max(1, channels * depth // 8)

    samples = [[None] * width for _ in range(height)]
    passes = ADAM7_PASSES if interlaced else ((0, 0, 1, 1),)
    pos = 0
    for x0, y0, dx, dy in passes:
        columns = len(range(x0, width, dx))
        lines = len(range(y0, height, dy))
        if columns == 0 or lines == 0:
            continue
        row_bytes = (columns * channels * depth + 7) // 8
        decoded, pos = _unfilter(raw, pos, lines, row_bytes, step)
        for k, line in enumerate(decoded):
            values = _samples(line, columns * channels, depth)
            y = y0 + k * dy
            for j in range(columns):
                samples[y][x0 + j * dx] = tuple(values[j * channels:(j + 1) * channels])
    if pos != len(raw):
        raise PngError("extra image data")

    def eight(v):
        return v >> 8 if depth == 16 else v if depth == 8 else v * 255 // ((1 << depth) - 1)

    rgb, alpha = [], [] if colour_type == RGBA or alpha_of_index else None
    for row in samples:
        if colour_type == PALETTE:
            if any(px[0] >= len(palette) for px in row):
                raise PngError("palette index out of range")
            rgb.append([palette[px[0]] for px in row])
            if alpha is not None:
                alpha.append([alpha_of_index.get(px[0], 255) for px in row])
        elif colour_type == GREY:
            rgb.append([(eight(px[0]),) * 3 for px in row])
        elif colour_type == RGB:
            rgb.append([tuple(eight(v) for v in px) for px in row])
        else:
            rgb.append([tuple(eight(v) for v in px[:3]) for px in row])
            alpha.append([eight(px[3]) for px in row])
    return width, height, rgb, alpha, samples
