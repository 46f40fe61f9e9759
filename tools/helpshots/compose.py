"""Turns the four screenshots of the viewer into the help page's pictures.

    compose.py SHOTS_FOLDER PICTURES_FOLDER

SHOTS_FOLDER holds info.png, config.png, console.png and chart.png as help-pictures.drive saves
them. Written into PICTURES_FOLDER, named by resource number:
  22101-22108  the numbered markers 1-8 that start the page's lines
  22110-22113  the screen areas (information panel, volume and brightness panel, control panel,
               G-sensor chart) on a white margin, each part the page explains tied to its marker by
               a leader line
  22109, 22114-22118  not shown by the page; one white pixel each, as every number must exist
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "skingen"))

import png_reader  # noqa: E402
import png_writer  # noqa: E402
import raster  # noqa: E402
import strokefont  # noqa: E402

import locate  # noqa: E402

PAGE = (255, 255, 255)  # the page's background, so the margins disappear into it
MARKER = (210, 40, 40)
MARKER_TEXT = (255, 255, 255)
MARKER_RADIUS = 9.5
MARKER_SIZE = 20
MARGIN = 34  # room for a marker and the start of its leader line
MARKER_GAP = 22  # markers in a row never closer than this, centre to centre

FIRST_MARKER_ID = 22101
AREA_IDS = {"info": 22110, "config": 22111, "console": 22112, "chart": 22113}
UNUSED_IDS = [22109] + list(range(22114, 22119))

# Fixed places inside the panels (panel coordinates), as the panels lay out their controls.
INFO_CLOCK = (198, 108)  # right edge of the date and time box
CONFIG_PARTS = {  # marker: (anchor, side of the picture the marker stands on)
    1: ((14, 29), "left"),  # standard volume button
    2: ((190, 30), "right"),  # volume slider
    3: ((14, 64), "left"),  # standard brightness button
    4: ((190, 64), "right"),  # brightness slider
    5: ((159, 111), "right"),  # open button
}
CONSOLE_BUTTON_TOPS = {1: (43, 11), 2: (80, 18), 3: (122, 17), 4: (155, 17), 5: (209, 22),
                       6: (231, 22)}
SLIDER_X, SLIDER_Y, SLIDER_HEIGHT, SLIDER_WIDTH_MARGIN = 249, 26, 30, 344
PLOT_X, PLOT_Y, PLOT_WIDTH_MARGIN, PLOT_HEIGHT_MARGIN = 20, 7, 45, 18


def read_picture(path):
    with open(path, "rb") as f:
        width, height, rgb, _, _ = png_reader.decode(f.read())
    return width, height, rgb


def save(canvas, path):
    rows = [[tuple(int(round(raster.clamp(c, 0, 255))) for c in px) for px in row]
            for row in canvas.rgb]
    with open(path, "wb") as f:
        f.write(png_writer.encode(canvas.width, canvas.height, rows, png_writer.RGB, 8))


def paint_marker(canvas, number, cx, cy):
    canvas.paint(raster.circle(cx, cy, MARKER_RADIUS + 1.2), PAGE)  # a white rim on dark panels
    canvas.paint(raster.circle(cx, cy, MARKER_RADIUS), MARKER)
    digit = strokefont.glyph_shape(str(number), 0, 0, 0.62, 1.7)
    x0, y0, x1, y1 = digit.bounds
    canvas.paint(digit.moved(cx - (x0 + x1) / 2.0, cy - (y0 + y1) / 2.0), MARKER_TEXT)


def paint_leader(canvas, marker, anchor):
    """A line from the marker's edge to the part it explains, ending in a dot on the part."""
    canvas.paint(raster.stroke([marker, anchor], 1.6), MARKER)
    canvas.paint(raster.circle(anchor[0], anchor[1], 2.6), MARKER)


def framed(width, height, rgb, left=0, top=0, right=0):
    """The screenshot on a white margin of the given sizes."""
    canvas = raster.Canvas(left + width + right, top + height, PAGE)
    shot = raster.Canvas(width, height)
    shot.rgb = [list(row) for row in rgb]
    canvas.blit(shot, left, top)
    return canvas


def spread(xs, low, high):
    """Marker centres for the wanted columns xs (in order), moved right where two would touch
    and back left where the last ones would leave the picture."""
    placed = []
    for x in xs:
        placed.append(max(x, placed[-1] + MARKER_GAP) if placed else max(x, low))
    for i in range(len(placed) - 1, -1, -1):
        limit = high if i == len(placed) - 1 else placed[i + 1] - MARKER_GAP
        placed[i] = min(placed[i], limit)
    return placed


def markers_above(canvas, anchors):
    """Markers in the top margin over their anchors ({number: (x, y)}, canvas coordinates)."""
    numbers = sorted(anchors, key=lambda n: anchors[n][0])
    xs = spread([anchors[n][0] for n in numbers], MARKER_SIZE // 2 + 2,
                canvas.width - MARKER_SIZE // 2 - 2)
    cy = MARGIN // 2 - 2
    for number, x in zip(numbers, xs):
        paint_leader(canvas, (x, cy), anchors[number])
    for number, x in zip(numbers, xs):
        paint_marker(canvas, number, x, cy)


def info_area(shot):
    width, height, rgb = shot
    canvas = framed(width, height, rgb, right=MARGIN)
    cx = width + MARGIN // 2 + 2
    paint_leader(canvas, (cx, INFO_CLOCK[1]), INFO_CLOCK)
    paint_marker(canvas, 1, cx, INFO_CLOCK[1])
    return canvas


def config_area(shot):
    width, height, rgb = shot
    canvas = framed(width, height, rgb, left=MARGIN, right=MARGIN)
    for number, ((x, y), side) in sorted(CONFIG_PARTS.items()):
        cx = MARGIN // 2 - 2 if side == "left" else MARGIN + width + MARGIN // 2 + 2
        paint_leader(canvas, (cx, y), (MARGIN + x, y))
        paint_marker(canvas, number, cx, y)
    return canvas


def console_area(shot):
    width, height, rgb = shot
    track = (SLIDER_X, SLIDER_Y, SLIDER_X + width - SLIDER_WIDTH_MARGIN,
             SLIDER_Y + SLIDER_HEIGHT)
    thumb = locate.slider_thumb(rgb, track)
    # The first mark that the thumb does not cover.
    marks = [x for x in locate.event_marks(rgb, track) if abs(x - thumb) > MARKER_GAP]
    if not marks:
        raise locate.NotFound("every event mark lies under the thumb")
    middle = SLIDER_Y + SLIDER_HEIGHT // 2
    anchors = {n: (x, MARGIN + y) for n, (x, y) in CONSOLE_BUTTON_TOPS.items()}
    anchors[7] = (thumb, MARGIN + middle - 8)
    anchors[8] = (marks[0], MARGIN + middle - 3)
    canvas = framed(width, height, rgb, top=MARGIN)
    markers_above(canvas, anchors)
    return canvas


def chart_area(shot):
    width, height, rgb = shot
    plot = (PLOT_X, PLOT_Y, PLOT_X + width - PLOT_WIDTH_MARGIN,
            PLOT_Y + height - PLOT_HEIGHT_MARGIN)
    marker = locate.chart_marker(rgb, plot)
    peak_x, peak_y = locate.curve_peak(rgb, plot, away_from=marker, distance=MARKER_GAP)
    canvas = framed(width, height, rgb, top=MARGIN)
    markers_above(canvas, {1: (marker, MARGIN + PLOT_Y + 4), 2: (peak_x, MARGIN + peak_y)})
    return canvas


def marker_picture(number):
    canvas = raster.Canvas(MARKER_SIZE, MARKER_SIZE, PAGE)
    paint_marker(canvas, number, MARKER_SIZE / 2.0, MARKER_SIZE / 2.0)
    return canvas


def main(shots, out):
    areas = {"info": info_area, "config": config_area, "console": console_area,
             "chart": chart_area}
    pictures = {}
    for name, make in areas.items():
        pictures[AREA_IDS[name]] = make(read_picture(os.path.join(shots, name + ".png")))
    for number in range(1, 9):
        pictures[FIRST_MARKER_ID + number - 1] = marker_picture(number)
    for resource_id in UNUSED_IDS:
        pictures[resource_id] = raster.Canvas(1, 1, PAGE)
    os.makedirs(out, exist_ok=True)
    for resource_id, canvas in sorted(pictures.items()):
        save(canvas, os.path.join(out, "%d.png" % resource_id))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: compose.py SHOTS_FOLDER PICTURES_FOLDER")
    try:
        main(sys.argv[1], sys.argv[2])
    except locate.NotFound as missing:
        sys.exit("compose: %s in the screenshots" % missing)
