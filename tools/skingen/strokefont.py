"""The skin's own lettering: a monoline font drawn as strokes with round ends, in design units where
capitals and figures stand 16 high (y 0 at the top, baseline at 16) and small letters 11.

Each glyph is (advance width, list of strokes); a stroke is a list of points, a single point being
a dot.
"""

import raster
from raster import arc

CAP = 16.0


def _glyphs():
    g = {}
    # Figures: 10 wide, drawn on rounded forms so they stay open at small sizes.
    g["0"] = (10, [arc(5, 5, 5, 180, 360) + arc(5, 11, 5, 0, 180) + [(0, 5)]])
    g["1"] = (10, [[(2.2, 3.4), (5.8, 0), (5.8, 16)]])
    g["2"] = (10, [arc(5, 5, 5, 190, 380) + [(0.2, 16), (10, 16)]])
    g["3"] = (10, [[(0.8, 0), (9.6, 0), (4.6, 6.4)] + arc(5, 11, 5, -94, 150)])
    g["4"] = (10, [[(7.4, 16), (7.4, 0), (0, 11.2), (10, 11.2)]])
    g["5"] = (10, [[(9.4, 0), (1.3, 0), (0.9, 7.6)] + arc(5, 10.9, 5.1, -140, 150)])
    g["6"] = (10, [[(8.2, 0), (1.3, 8.6)], arc(5, 11, 5, 0, 360, 60)])
    g["7"] = (10, [[(0, 0), (10, 0), (3.2, 16)]])
    g["8"] = (10, [arc(5, 3.9, 3.9, 0, 360, 48), arc(5, 11.4, 4.6, 0, 360, 56)])
    g["9"] = (10, [arc(5, 5, 5, 0, 360, 60), [(8.7, 7.4), (1.8, 16)]])
    g["-"] = (10, [[(2.4, 8.6), (7.6, 8.6)]])
    g[":"] = (4, [[(2, 4.6)], [(2, 12.4)]])
    g["/"] = (8, [[(7.2, 0), (0.8, 16)]])
    # Capitals used on buttons and in the name.
    g["T"] = (10, [[(0, 0), (10, 0)], [(5, 0), (5, 16)]])
    g["O"] = (11, [arc(5.5, 5.5, 5.5, 180, 360) + arc(5.5, 10.5, 5.5, 0, 180) + [(0, 5.5)]])
    g["P"] = (9, [[(0, 16), (0, 0), (4.6, 0)] + arc(4.6, 4.3, 4.3, -90, 90) + [(0, 8.6)]])
    g["E"] = (8.6, [[(8.6, 0), (0, 0), (0, 16), (8.6, 16)], [(0, 8), (7.2, 8)]])
    g["N"] = (10, [[(0, 16), (0, 0), (10, 16), (10, 0)]])
    # Small letters of the name.
    g["a"] = (9.6, [arc(4.7, 10.6, 4.8, 0, 360, 56), [(9.5, 5.6), (9.5, 16)]])
    g["v"] = (9.6, [[(0, 5), (4.8, 16), (9.6, 5)]])
    g["r"] = (6.6, [[(0, 5), (0, 16)], arc(5.2, 10.6, 5.2, 180, 265) + [(6.6, 5.2)]])
    g["i"] = (0, [[(0, 5), (0, 16)], [(0, 0.8)]])
    g["n"] = (9, [[(0, 5), (0, 16)], arc(4.5, 9.6, 4.5, 180, 360) + [(9, 16)]])
    return g


GLYPHS = _glyphs()
# Pairs set closer than their plain advances.
KERNING = {("T", "a"): -2.2}


def advance(character):
    return GLYPHS[character][0]


def text_width(text, spacing):
    """Width in design units of text set with the given gap between glyphs (no stroke width)."""
    total = 0.0
    for i, c in enumerate(text):
        total += advance(c)
        if i + 1 < len(text):
            total += spacing + KERNING.get((c, text[i + 1]), 0.0)
    return total


def glyph_shape(character, left, top, scale, weight):
    """The strokes of one glyph as a shape, its design origin at (left, top) in pixels."""
    strokes = GLYPHS[character][1]
    # Dots are set a little heavier than lines, or they look lighter than the strokes around them.
    return raster.union(*[raster.stroke([(left + x * scale, top + y * scale) for x, y in s],
                                        weight * (1.4 if len(s) == 1 else 1.0))
                          for s in strokes])


def paint_text(canvas, text, left, top, scale, weight, colour, spacing=3.0):
    x = left
    for i, c in enumerate(text):
        canvas.paint(glyph_shape(c, x, top, scale, weight), colour)
        x += advance(c) * scale
        if i + 1 < len(text):
            x += (spacing + KERNING.get((c, text[i + 1]), 0.0)) * scale
