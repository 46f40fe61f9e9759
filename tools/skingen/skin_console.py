"""The control panel under the picture: its three background slices, the six buttons in their three
looks (play also in its pause look), and the position slider's track, fill, thumb and event mark.

Panel-relative positions of the controls fix what each picture must show around its face.
"""

import raster
import theme
import widgets
from picture import Picture
from raster import Canvas, grey, rounded_rect

LEFT_WIDTH = 248  # covers the button groups; the slider starts at x 249
FILL_WIDTH = 8
RIGHT_WIDTH = 16
SEPARATORS = (100, 184)  # between stop and the date buttons, and before previous / next

SLIDER_X, SLIDER_Y, SLIDER_HEIGHT = 249, 26, 30
THUMB_WIDTH = 15
TRACK_WIDTH = 64
GROOVE_TOP, GROOVE_BOTTOM = 12, 18  # the event mark (y 11, 8 high) straddles it
MARK_WIDTH, MARK_HEIGHT = 4, 8

# (name, x, y, size, resource ids of the normal, pressed and disabled looks, icon)
BUTTONS = (
    ("play", 23, 11, 40, (10015, 10016, 10017), "play"),
    ("pause", 23, 11, 40, (10034, 10035, 10033), "pause"),
    ("stop", 67, 18, 26, (10018, 10019, 10020), "stop"),
    ("previous date", 107, 17, 30, (10009, 10010, 10011), "previous date"),
    ("next date", 140, 17, 30, (10012, 10013, 10014), "next date"),
    ("previous recording", 198, 22, 22, (10003, 10004, 10005), "previous"),
    ("next recording", 220, 22, 22, (10006, 10007, 10008), "next"),
)


def _panel(width, top=0, height=theme.CONSOLE_HEIGHT, sixteen_bit=False):
    """A piece of the panel background starting at panel row top. With sixteen_bit the canvas keeps
    the full-precision levels (stored as 16-bit samples); otherwise the 8-bit levels a decoder
    yields, which pictures over the panel must reproduce."""
    canvas = Canvas(width, height)
    if sixteen_bit:
        canvas.fill_rows(lambda y: grey(theme.console_level16(top + y) / 257.0))
    else:
        canvas.fill_rows(lambda y: theme.console_colour(top + y))
    return canvas


def _background_pictures():
    left = _panel(LEFT_WIDTH, sixteen_bit=True)
    for x in SEPARATORS:
        left.fill_rect(x, 14, x + 1, 51, grey(24))
        left.fill_rect(x + 1, 14, x + 2, 51, grey(62))
    right = _panel(RIGHT_WIDTH, sixteen_bit=True)
    right.fill_rect(RIGHT_WIDTH - 1, 1, RIGHT_WIDTH, theme.CONSOLE_HEIGHT, theme.PANEL_DARK)
    fill = _panel(FILL_WIDTH, sixteen_bit=True)
    return [
        Picture(223, left, "control panel, left slice (buttons' ground)", "rgb16"),
        Picture(221, fill, "control panel, middle (stretched across)", "rgb16"),
        Picture(222, right, "control panel, right slice", "rgb16"),
    ]


def _icon(kind, c, size):
    if kind == "play":
        return widgets.play_icon(c, c, size * 0.42)
    if kind == "pause":
        return widgets.pause_icon(c, c, size * 0.38)
    if kind == "stop":
        return widgets.stop_icon(c, c, size * 0.36)
    if kind in ("previous date", "next date"):
        return widgets.calendar_step_icon(c, c + 0.5, kind == "next date")
    return widgets.skip_icon(c, c, size * 0.42, kind == "next")


def _button_pictures():
    pictures = []
    for name, x, y, size, ids, icon in BUTTONS:
        for look, resource_id in zip(widgets.LOOKS, ids):
            canvas = _panel(size, top=y, height=size)
            if icon in ("previous date", "next date"):
                ink = widgets.square_face(canvas, look)
            else:
                ink = widgets.round_face(canvas, look, primary=name in ("play", "pause"))
            shape = _icon(icon, size / 2.0, size).moved(0, widgets.pressed_shift(look))
            canvas.paint(shape, ink)
            pictures.append(Picture(resource_id, canvas, "%s button, %s (%dx%d at %d,%d)"
                                    % (name, look, size, size, x, y), "rgb8"))
    return pictures


def _groove(canvas, colour):
    canvas.paint(rounded_rect(3, GROOVE_TOP, TRACK_WIDTH - 3, GROOVE_BOTTOM, 3.0), colour)


def _slider_pictures():
    track = _panel(TRACK_WIDTH, top=SLIDER_Y, height=SLIDER_HEIGHT)
    _groove(track, theme.GROOVE)
    fill = _panel(TRACK_WIDTH, top=SLIDER_Y, height=SLIDER_HEIGHT)
    _groove(fill, theme.ACCENT)

    thumb = _panel(THUMB_WIDTH, top=SLIDER_Y, height=SLIDER_HEIGHT)
    knob = rounded_rect(0.5, 4.0, THUMB_WIDTH - 0.5, 25.0, 4.0)
    thumb.paint(knob, theme.KNOB_RIM)
    thumb.paint(knob.offset(-1.0), theme.KNOB)
    middle = THUMB_WIDTH / 2.0
    thumb.paint(raster.stroke([(middle, 10.5), (middle, 18.5)], 2.0), theme.ACCENT)

    mark = Canvas(MARK_WIDTH, MARK_HEIGHT, theme.EVENT)
    mark.fill_rect(0, 0, 1, MARK_HEIGHT, theme.EVENT_EDGE)
    mark.fill_rect(MARK_WIDTH - 1, 0, MARK_WIDTH, MARK_HEIGHT, theme.EVENT_EDGE)
    return [
        Picture(10027, track, "position slider track (three slices, right of the thumb)", "rgb8"),
        Picture(295, fill, "position slider fill (three slices, left of the thumb)", "rgb8"),
        Picture(10031, thumb, "position slider thumb (alpha: the knob)", "rgba8"),
        Picture(10030, mark, "event mark on the position slider (y 11)", "pal2"),
    ]


def pictures():
    return _background_pictures() + _button_pictures() + _slider_pictures()
