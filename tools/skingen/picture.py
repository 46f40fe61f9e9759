"""One skin picture: its resource id, where the viewer uses it, its PNG format and its pixels, and
the conversion of those pixels into the samples of that format."""

import png_writer
from png_writer import GREY, PALETTE, RGB, RGBA

# Format name -> (colour type, bit depth).
FORMATS = {
    "rgb8": (RGB, 8),
    "rgb16": (RGB, 16),
    "pal2": (PALETTE, 2),
    "pal4": (PALETTE, 4),
    "pal8": (PALETTE, 8),
    "grey8": (GREY, 8),
    "rgba8": (RGBA, 8),
}


class Picture:
    def __init__(self, resource_id, canvas, use, fmt, interlaced=False, palette=None):
        """palette: for palette formats, the colours pixels are mapped to (nearest); without it the
        picture's own colours form the palette and must fit."""
        if fmt not in FORMATS:
            raise ValueError("unknown format " + fmt)
        self.id = resource_id
        self.canvas = canvas
        self.use = use
        self.format = fmt
        self.interlaced = interlaced
        self.palette = palette

    @property
    def width(self):
        return self.canvas.width

    @property
    def height(self):
        return self.canvas.height

    def file_name(self):
        return "%d.png" % self.id

    def encode(self):
        colour_type, depth = FORMATS[self.format]
        rows8 = [[tuple(int(round(c)) for c in px) for px in row] for row in self.canvas.rgb]
        palette = None
        if colour_type == RGB and depth == 16:
            pixels = [[tuple(int(round(c * 257)) for c in px) for px in row]
                      for row in self.canvas.rgb]
        elif colour_type == RGB:
            pixels = rows8
        elif colour_type == RGBA:
            pixels = [[px + (int(round(a * 255)),) for px, a in zip(row, alpha)]
                      for row, alpha in zip(rows8, self.canvas.coverage)]
        elif colour_type == GREY:
            if any(px[0] != px[1] or px[1] != px[2] for row in rows8 for px in row):
                raise ValueError("picture %d is not grey" % self.id)
            pixels = [[(px[0],) for px in row] for row in rows8]
        else:
            palette, pixels = self._indexed(rows8, 1 << depth)
        return png_writer.encode(self.width, self.height, pixels, colour_type, depth, palette,
                                 interlaced=self.interlaced)

    def _indexed(self, rows8, capacity):
        if self.palette is None:
            palette = sorted({px for row in rows8 for px in row})
        else:
            palette = [tuple(int(round(c)) for c in entry) for entry in self.palette]
        if len(palette) > capacity:
            raise ValueError("picture %d needs %d colours, its format holds %d"
                             % (self.id, len(palette), capacity))
        nearest = {}

        def index_of(px):
            if px not in nearest:
                nearest[px] = min(range(len(palette)), key=lambda i: (
                    sum((a - b) ** 2 for a, b in zip(px, palette[i])), i))
            return nearest[px]

        return palette, [[(index_of(px),) for px in row] for row in rows8]
