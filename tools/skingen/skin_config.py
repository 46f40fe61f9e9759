"""The volume and brightness panel (209 x 140): background, the two sliders (one thumb, a track
each), the two "standard" buttons and the open button in its three looks.

The sliders are 151 x 16 at (40, 22) and (40, 56) and draw their track at its natural size, so each
track is the full 151 x 16; the thumb travels 0..140 and its centre 5..145.
"""

import raster
import strokefont
import theme
import widgets
from picture import Picture
from raster import Canvas, grey, mix, rounded_rect

WIDTH, HEIGHT = 209, 140
SLIDER_WIDTH, SLIDER_HEIGHT = 151, 16
THUMB_WIDTH = 11
VOLUME_BUTTON = (14, 22, 17, 15)  # x, y, width, height
BRIGHTNESS_BUTTON = (14, 56, 16, 16)
OPEN_BUTTON = (57, 97, 102, 28)


def _background():
    canvas = Canvas(WIDTH, HEIGHT, theme.PANEL)
    canvas.fill_rect(0, 0, WIDTH, 1, theme.PANEL_LIGHT)
    canvas.fill_rect(0, HEIGHT - 1, WIDTH, HEIGHT, theme.PANEL_DARK)
    canvas.fill_rect(0, 0, 1, HEIGHT, theme.EDGE)
    canvas.fill_rect(14, 84, WIDTH - 14, 85, grey(26))
    canvas.fill_rect(14, 85, WIDTH - 14, 86, grey(54))
    return canvas


def _two_bit_palette(ink):
    """Panel, ink and two steps between: enough for a small icon's soft edge."""
    return [mix(theme.PANEL, ink, t) for t in (0.0, 1.0 / 3.0, 2.0 / 3.0, 1.0)]


def _standard_buttons(background):
    x, y, w, h = VOLUME_BUTTON
    speaker = background.crop(x, y, w, h)
    speaker.paint(widgets.speaker_icon(1.0, 0.0), theme.INK_SOFT)
    x, y, w, h = BRIGHTNESS_BUTTON
    sun = background.crop(x, y, w, h)
    sun.paint(widgets.sun_icon(w / 2.0, h / 2.0), theme.INK_SOFT)
    palette = _two_bit_palette(theme.INK_SOFT)
    return [
        Picture(290, speaker, "standard volume button (17x15 at 14,22)", "pal2", palette=palette),
        Picture(289, sun, "standard brightness button (16x16 at 14,56)", "pal2", palette=palette),
    ]


def _open_buttons(background):
    x, y, w, h = OPEN_BUTTON
    pictures = []
    for look, resource_id in zip(widgets.LOOKS, (10021, 10022, 10023)):
        canvas = background.crop(x, y, w, h)
        ink = widgets.pill_face(canvas, look)
        face = widgets.face_colours(look)[0]
        dy = widgets.pressed_shift(look)
        weight = 1.8
        scale = (10.0 - weight) / strokefont.CAP
        text_width = strokefont.text_width("OPEN", 3.4) * scale
        left = (w - (18 + 8 + text_width)) / 2.0
        canvas.paint(widgets.folder_icon(left, 7 + dy), ink)
        canvas.paint(raster.stroke([(left + 1.2, 12.4 + dy), (left + 16.8, 12.4 + dy)], 1.2), face)
        strokefont.paint_text(canvas, "OPEN", left + 26 + weight / 2, 9 + dy + weight / 2, scale,
                              weight, ink, spacing=3.4)
        pictures.append(Picture(resource_id, canvas, "open button, %s (102x28 at 57,97)" % look,
                                "rgb8"))
    return pictures


def _track_ground():
    return Canvas(SLIDER_WIDTH, SLIDER_HEIGHT, theme.PANEL)


def _slider_pictures():
    centre_from, centre_to = THUMB_WIDTH // 2, SLIDER_WIDTH - THUMB_WIDTH // 2

    volume = _track_ground()
    wedge = raster.polygon([(centre_from, 11.5), (centre_to, 11.5), (centre_to, 3.5)]).offset(0.5)

    def loudness(x, _y):
        return mix(grey(84), theme.ACCENT, (x - centre_from) / float(centre_to - centre_from))

    volume.paint(wedge, loudness)

    brightness = _track_ground()
    groove = rounded_rect(centre_from - 1, 5.0, centre_to + 1, 11.0, 3.0)
    brightness.paint(groove.offset(1.0), grey(74))

    def light(x, _y):
        share = raster.clamp((x - centre_from) / float(centre_to - centre_from), 0.0, 1.0)
        return grey(8 + 242 * share)

    brightness.paint(groove, light)

    thumb = Canvas(THUMB_WIDTH, SLIDER_HEIGHT, theme.PANEL)
    knob = rounded_rect(0.5, 0.5, THUMB_WIDTH - 0.5, SLIDER_HEIGHT - 0.5, 3.0)
    thumb.paint(knob, theme.KNOB_RIM)
    thumb.paint(knob.offset(-1.0), theme.KNOB)
    grip = raster.stroke([(THUMB_WIDTH / 2.0, 5.0), (THUMB_WIDTH / 2.0, 11.0)], 1.4)
    thumb.paint(grip, grey(150))
    return [
        Picture(291, thumb, "volume and brightness slider thumb", "grey8"),
        Picture(403, volume, "volume slider track (151x16 at 40,22)", "rgb8"),
        Picture(10001, brightness, "brightness slider track (151x16 at 40,56)", "grey8"),
    ]


def pictures():
    background = _background()
    return ([Picture(10024, background, "volume and brightness panel background", "rgb8")]
            + _slider_pictures() + _standard_buttons(background) + _open_buttons(background))
