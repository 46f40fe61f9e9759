"""The skin's palette and the backgrounds that several pictures share.

Neutral graphite greys (equal R, G and B, so pictures made only of them can be stored as grey) with
one calm blue accent; white and near-white for everything the driver has to read.
"""

from raster import grey

# Greys.
EDGE = grey(14)  # the line that frames the white picture area
CHASSIS = grey(30)  # window frame around the panels
PANEL = grey(42)  # flat panels of the right-hand column
PANEL_LIGHT = grey(60)  # top highlight of a panel
PANEL_DARK = grey(22)  # bottom shadow of a panel
WELL = grey(16)  # the recessed display behind the date and time
GROOVE = grey(20)  # slider grooves
BODY = grey(66)  # raised button face
BODY_RIM = grey(96)
BODY_OFF = grey(48)  # face of a disabled button
BODY_OFF_RIM = grey(56)
INK = grey(246)  # icons and the time
INK_SOFT = grey(206)  # the date, icons on a panel, secondary marks
INK_OFF = grey(100)  # icons of a disabled button
KNOB = grey(232)
KNOB_RIM = grey(128)
WHITE = grey(255)
WORDMARK = grey(40)

# The accent.
ACCENT = (56, 139, 232)
ACCENT_DEEP = (34, 98, 182)  # pressed
ACCENT_LIGHT = (126, 182, 246)

# Event marks on the position slider: amber, like a warning lamp.
EVENT = (255, 186, 52)
EVENT_EDGE = (196, 118, 14)

# The control panel under the picture: 65 pixels high, a soft top-to-bottom gradient. The gradient
# is defined at 16-bit precision; the viewer keeps the high byte of each sample, so every picture
# drawn over this panel uses that same high byte to meet it without a seam.
CONSOLE_HEIGHT = 65


def console_level16(y):
    """16-bit grey level of row y of the control panel."""
    if y == 0:
        value = 14.0  # frames the picture area above
    elif y == 1:
        value = 64.0
    elif y == CONSOLE_HEIGHT - 1:
        value = 22.0
    else:
        value = 52.0 - 14.0 * (y - 2) / (CONSOLE_HEIGHT - 4)
    return int(round(value * 257))


def console_colour(y):
    """The 8-bit colour a decoder makes of row y of the control panel."""
    return grey(console_level16(y) >> 8)
