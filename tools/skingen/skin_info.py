"""The information panel (209 x 180): its background with the display well, and the date and time
figures the panel sets side by side on that well.

The panel copies the date from (62, 80) and the time from (20, 105), each as wide as its glyphs
and as high as the last glyph, so every glyph of a set has the same height and the widths are
chosen to end both lines at x 188: the date in 13-pixel figures and 11-pixel slashes, the time in
24-pixel figures and 12-pixel colons. "-" has a figure's width so the placeholders line up.
"""

import strokefont
import theme
import widgets
from picture import Picture
from raster import Canvas, mix, rect_outline, rounded_rect

WIDTH, HEIGHT = 209, 180
WELL = (10, 66, 199, 152)  # left, top, right, bottom
DATE_ORIGIN, TIME_ORIGIN = (62, 80), (20, 105)

DATE_HEIGHT, DATE_FIGURE, DATE_SLASH = 20, 13, 11
TIME_HEIGHT, TIME_FIGURE, TIME_COLON = 34, 24, 12

DATE_IDS = dict([(str(d), 225 + d) for d in range(10)] + [("-", 235), ("/", 224)])
TIME_IDS = dict([(str(d), 251 + d) for d in range(10)] + [("-", 250), (":", 261)])

# Sixteen steps from the well to the time's white: the time glyphs' palette.
TIME_PALETTE = [mix(theme.WELL, theme.INK, i / 15.0) for i in range(16)]


def _background():
    canvas = Canvas(WIDTH, HEIGHT, theme.PANEL)
    canvas.fill_rect(0, 0, WIDTH, 1, theme.PANEL_LIGHT)
    canvas.fill_rect(0, HEIGHT - 1, WIDTH, HEIGHT, theme.PANEL_DARK)
    canvas.fill_rect(0, 0, 1, HEIGHT, theme.EDGE)

    widgets.emblem(canvas, 14, 13, 26)
    weight = 2.3
    scale = (15.0 - weight) / strokefont.CAP
    strokefont.paint_text(canvas, "Tavrin", 50 + weight / 2, 18.5 + weight / 2, scale, weight,
                          theme.INK, spacing=3.2)
    canvas.fill_rect(14, 50, WIDTH - 14, 52, theme.ACCENT)

    left, top, right, bottom = WELL
    canvas.paint(rounded_rect(left, top, right, bottom, 5.0), theme.WELL)
    canvas.paint(rect_outline(left + 0.5, top + 0.5, right - 0.5, bottom - 0.5, 4.5, 1.0),
                 (26, 26, 26))
    canvas.paint(widgets.calendar_icon(37.5, 90.0, 0.95), mix(theme.WELL, theme.INK_SOFT, 0.55))
    return canvas


def _glyph(character, width, height, figure_height, weight, ink):
    """One glyph centred in a width x height cell on the well colour. figure_height is the visible
    height of a figure including the stroke."""
    canvas = Canvas(width, height, theme.WELL)
    scale = (figure_height - weight) / strokefont.CAP
    left = (width - strokefont.advance(character) * scale) / 2.0
    top = (height - figure_height) / 2.0 + weight / 2.0
    canvas.paint(strokefont.glyph_shape(character, left, top, scale, weight), ink)
    return canvas


def _glyph_pictures():
    pictures = []
    for character, resource_id in sorted(DATE_IDS.items(), key=lambda item: item[1]):
        width = DATE_SLASH if character == "/" else DATE_FIGURE
        canvas = _glyph(character, width, DATE_HEIGHT, 15.0, 2.0, theme.INK_SOFT)
        pictures.append(Picture(resource_id, canvas, 'date glyph "%s" (line at 62,80)' % character,
                                "grey8"))
    for character, resource_id in sorted(TIME_IDS.items(), key=lambda item: item[1]):
        width = TIME_COLON if character == ":" else TIME_FIGURE
        canvas = _glyph(character, width, TIME_HEIGHT, 26.0, 3.4, theme.INK)
        pictures.append(Picture(resource_id, canvas, 'time glyph "%s" (line at 20,105)' % character,
                                "pal4", palette=TIME_PALETTE))
    return pictures


def pictures():
    return [Picture(10026, _background(), "information panel background", "rgb8")] \
        + _glyph_pictures()
