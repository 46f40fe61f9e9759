"""The main window's frame around the panels, the chart strip's bezel and the start-up picture.

Main window: the left strip (21 wide) is stretched to the picture area's height; the right-hand
column between the information panel (ends at y 180) and the volume panel is the top piece, the
fill tiled downwards and the bottom piece. Pieces are uniform along the direction in which they
are stretched or tiled, so any stretch mode gives the same result.

Chart (90 high): the black plot is copied at (20, 7), (width - 45) x 72, so the bezel is 20 pixels
on the left, 25 on the right, 7 above and 11 below; the left and right slices carry the side rims
and the stretched middle the top and bottom rims.
"""

import theme
from picture import Picture
from raster import Canvas, grey

COLUMN_WIDTH = 209
LEFT_STRIP_WIDTH = 21

CHART_HEIGHT = 90
CHART_LEFT, CHART_RIGHT, CHART_FILL = 20, 25, 8
PLOT_TOP, PLOT_BOTTOM = 7, 79  # rows 7..78 are the plot
RIM = grey(70)

STARTUP_WIDTH, STARTUP_HEIGHT = 280, 73


def _column_piece(height, colour_of_row):
    canvas = Canvas(COLUMN_WIDTH, height)
    canvas.fill_rows(colour_of_row)
    canvas.fill_rect(0, 0, 1, height, theme.EDGE)
    return canvas


def _main_pictures():
    shade = (grey(16), grey(21), grey(25), grey(28))
    top = _column_piece(8, lambda y: shade[y] if y < len(shade) else theme.CHASSIS)
    fill = _column_piece(4, lambda y: theme.CHASSIS)
    bottom = _column_piece(8, lambda y: grey(24) if y == 7 else theme.CHASSIS)
    left = Canvas(LEFT_STRIP_WIDTH, 32, theme.CHASSIS)
    left.fill_rect(0, 0, 1, 32, grey(36))
    left.fill_rect(LEFT_STRIP_WIDTH - 1, 0, LEFT_STRIP_WIDTH, 32, theme.EDGE)
    return [
        Picture(218, top, "right column below the information panel, at y 180", "grey8"),
        Picture(219, fill, "right column fill, tiled downwards", "grey8"),
        Picture(220, bottom, "right column above the volume panel", "grey8"),
        Picture(284, left, "left strip, stretched to 21 x (height - 155)", "grey8"),
    ]


def _chart_piece(width, with_rims):
    canvas = Canvas(width, CHART_HEIGHT, theme.CHASSIS)
    canvas.fill_rect(0, 0, width, 1, grey(34))
    if with_rims:
        canvas.fill_rect(0, PLOT_TOP - 1, width, PLOT_TOP, RIM)
        canvas.fill_rect(0, PLOT_BOTTOM, width, PLOT_BOTTOM + 1, RIM)
    return canvas


def _chart_pictures():
    # The side slices carry only the side rims; the top and bottom rims run along the middle.
    left = _chart_piece(CHART_LEFT, with_rims=False)
    left.fill_rect(CHART_LEFT - 1, PLOT_TOP - 1, CHART_LEFT, PLOT_BOTTOM + 1, RIM)
    right = _chart_piece(CHART_RIGHT, with_rims=False)
    right.fill_rect(0, PLOT_TOP - 1, 1, PLOT_BOTTOM + 1, RIM)
    right.fill_rect(CHART_RIGHT - 1, 1, CHART_RIGHT, CHART_HEIGHT, theme.PANEL_DARK)
    fill = _chart_piece(CHART_FILL, with_rims=True)
    return [
        Picture(359, left, "chart bezel, left slice", "pal8"),
        Picture(360, fill, "chart bezel, middle (stretched across)", "pal8"),
        Picture(361, right, "chart bezel, right slice", "pal8"),
    ]


def _startup_picture():
    """The start-up picture is plain white: it fills its box on the empty picture area, which the
    player paints white too. Still an 8-bit palette picture, and the skin's one interlaced one."""
    canvas = Canvas(STARTUP_WIDTH, STARTUP_HEIGHT, theme.WHITE)
    return Picture(285, canvas, "start-up picture on the white picture area", "pal8",
                   interlaced=True, palette=[theme.WHITE])


def pictures():
    return _main_pictures() + _chart_pictures() + [_startup_picture()]
