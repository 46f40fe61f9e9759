"""Drawing pieces shared by several pictures: button faces in their three looks, the icons on them,
and the emblem.

Every button picture is drawn over a copy of what lies under the button in its panel, because the
viewer copies pictures without blending: the corners around a round face must show the panel.
"""

import math

import raster
import theme
from raster import circle, polygon, ring, rounded_rect, stroke

NORMAL, PRESSED, DISABLED = "normal", "pressed", "disabled"
LOOKS = (NORMAL, PRESSED, DISABLED)


def face_colours(look, primary=False):
    """(face, rim, icon) colours of a button in the given look."""
    if look == DISABLED:
        return theme.BODY_OFF, theme.BODY_OFF_RIM, theme.INK_OFF
    if look == PRESSED:
        return theme.ACCENT_DEEP, theme.ACCENT, theme.INK
    if primary:
        return theme.ACCENT, theme.ACCENT_LIGHT, theme.INK
    return theme.BODY, theme.BODY_RIM, theme.INK


def paint_face(canvas, shape, rim_shape, look, primary=False):
    face, rim, icon = face_colours(look, primary)
    canvas.paint(shape, face)
    canvas.paint(rim_shape, rim)
    return icon


def round_face(canvas, look, primary=False):
    """A round face filling the canvas; returns the icon colour for the look."""
    size = canvas.width
    c = size / 2.0
    r = c - 0.5
    return paint_face(canvas, circle(c, c, r), ring(c, c, r - 0.5, 1.0), look, primary)


def square_face(canvas, look, radius=6.0):
    w, h = canvas.width, canvas.height
    return paint_face(canvas, rounded_rect(0.5, 0.5, w - 0.5, h - 0.5, radius),
                      raster.rect_outline(1.0, 1.0, w - 1.0, h - 1.0, radius - 0.5, 1.0), look)


def pill_face(canvas, look):
    w, h = canvas.width, canvas.height
    r = h / 2.0 - 0.5
    return paint_face(canvas, rounded_rect(0.5, 0.5, w - 0.5, h - 0.5, r),
                      raster.rect_outline(1.0, 1.0, w - 1.0, h - 1.0, r - 0.5, 1.0), look)


def pressed_shift(look):
    """Icons of the pressed look sit one pixel lower, so the press is felt as well as seen."""
    return 1.0 if look == PRESSED else 0.0


# --- Icons, in the coordinates of the picture they are drawn into --------------------------------


def play_icon(cx, cy, size):
    """A right-pointing triangle of the given height, nudged right so it looks centred."""
    h = size / 2.0
    x = cx - h * 0.62
    return polygon([(x, cy - h), (x, cy + h), (x + h * 1.8, cy)]).offset(0.4)


def pause_icon(cx, cy, size):
    h = size / 2.0
    bar = size * 0.27
    gap = size * 0.16
    return raster.union(rounded_rect(cx - gap - bar, cy - h, cx - gap, cy + h, 1.0),
                        rounded_rect(cx + gap, cy - h, cx + gap + bar, cy + h, 1.0))


def stop_icon(cx, cy, size):
    h = size / 2.0
    return rounded_rect(cx - h, cy - h, cx + h, cy + h, 1.5)


def skip_icon(cx, cy, size, forward):
    """A triangle against a bar: to the next (forward) or previous recording."""
    h = size / 2.0
    bar = max(1.6, size * 0.2)
    s = 1 if forward else -1
    tip = cx + s * (h - bar + 0.2)
    base = cx - s * h
    triangle = polygon([(base, cy - h), (base, cy + h), (tip, cy)] if forward
                       else [(base, cy - h), (tip, cy), (base, cy + h)])
    bar_left = cx + h - bar if forward else cx - h
    return raster.union(triangle, rounded_rect(bar_left, cy - h, bar_left + bar, cy + h, 0.5))


def calendar_step_icon(cx, cy, forward):
    """A calendar page with a chevron: to the previous or next date."""
    left, right, top, bottom = cx - 7.5, cx + 7.5, cy - 6.0, cy + 7.5
    page = raster.rect_outline(left, top, right, bottom, 1.5, 1.5)
    header = rounded_rect(left, top, right, top + 4.0, 1.2)
    tabs = raster.union(stroke([(cx - 3.6, top - 2.6), (cx - 3.6, top + 0.8)], 1.7),
                        stroke([(cx + 3.6, top - 2.6), (cx + 3.6, top + 0.8)], 1.7))
    s = 1 if forward else -1
    my = top + 8.6
    chevron = stroke([(cx - s * 1.8, my - 3.0), (cx + s * 1.4, my), (cx - s * 1.8, my + 3.0)], 1.9)
    return raster.union(page, header, tabs, chevron)


def calendar_icon(cx, cy, scale=1.0):
    left, right, top, bottom = cx - 7 * scale, cx + 7 * scale, cy - 6 * scale, cy + 7 * scale
    page = raster.rect_outline(left, top, right, bottom, 1.5, 1.4)
    header = rounded_rect(left, top, right, top + 3.6 * scale, 1.0)
    tabs = raster.union(stroke([(cx - 3.4 * scale, top - 2.4), (cx - 3.4 * scale, top + 0.8)], 1.6),
                        stroke([(cx + 3.4 * scale, top - 2.4), (cx + 3.4 * scale, top + 0.8)], 1.6))
    dots = [circle(cx + dx * 3.4 * scale, cy + dy * 3.2 * scale + 1.8, 0.95)
            for dx in (-1, 0, 1) for dy in (0, 1)]
    return raster.union(page, header, tabs, *dots)


def folder_icon(left, top):
    """An 18 x 14 folder; the flap line is cut in the face colour by the caller."""
    tab = rounded_rect(left, top, left + 7.5, top + 4.5, 1.5)
    body = rounded_rect(left, top + 2.5, left + 18, top + 14, 1.8)
    return raster.union(tab, body)


def speaker_icon(left, top):
    cone = polygon([(left + 1.0, top + 5.0), (left + 4.2, top + 5.0), (left + 8.2, top + 1.2),
                    (left + 8.2, top + 13.8), (left + 4.2, top + 10.0), (left + 1.0, top + 10.0)])
    cy = top + 7.5
    waves = raster.union(stroke(raster.arc(left + 8.6, cy, 3.6, -48, 48, 8), 1.4),
                         stroke(raster.arc(left + 8.6, cy, 6.6, -50, 50, 10), 1.4))
    return raster.union(cone, waves)


def sun_icon(cx, cy):
    rays = []
    for k in range(8):
        a = math.radians(k * 45)
        rays.append(stroke([(cx + 5.0 * math.cos(a), cy + 5.0 * math.sin(a)),
                            (cx + 6.9 * math.cos(a), cy + 6.9 * math.sin(a))], 1.5))
    return raster.union(circle(cx, cy, 3.2), *rays)


def emblem(canvas, left, top, size):
    """The program's mark: a blue rounded square holding a white lens ring with a play triangle."""
    canvas.paint(rounded_rect(left, top, left + size, top + size, size * 0.24), theme.ACCENT)
    c = (left + size / 2.0, top + size / 2.0)
    canvas.paint(ring(c[0], c[1], size * 0.29, max(1.4, size * 0.085)), theme.WHITE)
    canvas.paint(play_icon(c[0] + size * 0.02, c[1], size * 0.26), theme.WHITE)
