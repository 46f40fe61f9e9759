"""The contact sheet: the main window put together from the written files the way the viewer lays
them out (at the default client size, a recording playing), and below it every picture at twice
its size with its resource id. Built from the files on disk, so it shows what the viewer will
decode."""

import math
import os

import png_reader
import png_writer
import skin_console
import skin_info
import strokefont
from raster import Canvas, grey

CLIENT_WIDTH, CLIENT_HEIGHT = 874, 640
SHEET_WIDTH = 1000
MARGIN = 24


class Decoded:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.width, self.height, self.rgb, _, _ = png_reader.decode(f.read())


class Board:
    def __init__(self, canvas, pictures):
        self.canvas = canvas
        self.pictures = pictures

    def draw(self, resource_id, x, y, width=None, height=None, source_x=0, source_width=None):
        """The viewer's stretch copy, nearest pixel: the source columns [source_x, source_x +
        source_width) of the whole picture height onto width x height at (x, y)."""
        p = self.pictures[resource_id]
        width = p.width if width is None else width
        height = p.height if height is None else height
        source_width = p.width if source_width is None else source_width
        if width <= 0 or height <= 0:
            return
        for row in range(height):
            ty = y + row
            if not 0 <= ty < self.canvas.height:
                continue
            sy = row * p.height // height
            for col in range(width):
                tx = x + col
                if 0 <= tx < self.canvas.width:
                    self.canvas.rgb[ty][tx] = p.rgb[sy][source_x + col * source_width // width]

    def three_slice(self, x, y, width, thumb_pos, thumb, track, fill):
        t = self.pictures[thumb].width
        big_t = self.pictures[track].width
        h = t // 2
        self.draw(fill, x, y, h, None, 0, h)
        self.draw(fill, x + h, y, thumb_pos, None, h, big_t - t)
        self.draw(track, x + width - h, y, h, None, big_t - h, h)
        self.draw(track, x + thumb_pos + h, y, width - thumb_pos - 2 * h, None, h, big_t - t)

    def text(self, ids, text, x, y):
        for c in text:
            self.draw(ids[c], x, y)
            x += self.pictures[ids[c]].width


def _plot(canvas, x0, y0, width, height, marker_share):
    canvas.fill_rect(x0, y0, x0 + width, y0 + height, (0, 0, 0))
    left, top, right, bottom = x0 + 45, y0 + 13, x0 + width - 25 - 20, y0 + height - 8
    for k in range(5):
        gy = top + k * (bottom - top) // 4
        for gx in range(left, right, 2):
            canvas.set(gx, gy, grey(128))
    canvas.fill_rect(left, top, left + 1, bottom + 1, grey(255))
    canvas.fill_rect(left, bottom, right, bottom + 1, grey(255))
    previous = None
    for gx in range(left, right):
        m = 1.0 + 0.08 * math.sin(gx / 7.0) + (0.55 if 300 < gx < 306 else 0.0)
        gy = int(top + (bottom - top) * (2.0 - m) / 2.0)
        span = (min(previous, gy), max(previous, gy)) if previous is not None else (gy, gy)
        canvas.fill_rect(gx, span[0], gx + 2, span[1] + 2, (255, 165, 0))
        previous = gy
    mx = left + int((right - left) * marker_share)
    canvas.fill_rect(mx, top, mx + 2, bottom, (255, 255, 0))


def _window(board, ids_date, ids_time):
    w, h = CLIENT_WIDTH, CLIENT_HEIGHT
    c = board.canvas
    y = h - 90
    # Picture area and its frame.
    c.fill_rect(21, 0, w - 209, y - 65, grey(255))
    board.draw(284, 0, 0, 21, h - 155)
    board.draw(285, 21 + (w - 510) // 2, (y - 138) // 2)
    # Right-hand column.
    x = w - 209
    board.draw(218, x, 180)
    b = h - board.pictures[220].height - 295
    fy = 180 + board.pictures[218].height
    while fy < b:
        f = min(board.pictures[219].height, b - fy)
        board.draw(219, x, fy, 209, f, 0, 209)
        fy += f
    board.draw(220, x, b)
    board.draw(10026, x, 0)
    board.text(ids_date, "2026/12/08", x + 62, 80)
    board.text(ids_time, "17:05:42", x + 20, 105)
    cy = y - 205
    board.draw(10024, x, cy)
    board.draw(403, x + 40, cy + 22)
    board.draw(291, x + 40 + 140, cy + 22)
    board.draw(10001, x + 40, cy + 56)
    board.draw(291, x + 40 + 11 * 140 // 49, cy + 56)
    board.draw(290, x + 14, cy + 22)
    board.draw(289, x + 14, cy + 56)
    board.draw(10021, x + 57, cy + 97)
    # Control panel, a recording playing: pause look, previous recording not possible.
    py = y - 65
    board.draw(221, 248, py, w - 248 - 16, 65, 0, board.pictures[221].width)
    board.draw(222, w - 16, py)
    board.draw(223, 0, py)
    looks = {"play": 10034, "stop": 10018, "previous date": 10009, "next date": 10012,
             "previous recording": 10005, "next recording": 10006}
    for name, bx, by, size, _, _ in skin_console.BUTTONS:
        if name in looks:
            board.draw(looks[name], bx, py + by, size, size)
    width = w - 344
    t = board.pictures[10031].width
    thumb_pos = int(0.38 * (width - t))
    board.three_slice(249, py + 26, width, thumb_pos, 10031, 10027, 295)
    mark_width = board.pictures[10030].width
    for share in (0.12, 0.55, 0.81):
        m = int(share * (width - t))
        board.draw(10030, 249 + m + t // 2 + 2 - mark_width // 2, py + 26 + 11)
    board.draw(10031, 249 + thumb_pos, py + 26)
    # Chart.
    board.draw(360, 20, y, w - 45, 90, 0, board.pictures[360].width)
    board.draw(361, w - 25, y)
    board.draw(359, 0, y)
    _plot(c, 20, y + 7, w - 45, 72, 0.38)


def write(pictures, folder, path):
    """pictures: the generator's Picture list (for ids and order); folder: where the files are."""
    decoded = {p.id: Decoded(os.path.join(folder, p.file_name())) for p in pictures}
    # Lay the pictures out at 2x in rows under the window.
    layout, x, y, row_height = [], MARGIN, CLIENT_HEIGHT + 2 * MARGIN, 0
    for p in pictures:
        w, h = p.width * 2, p.height * 2 + 16
        if x + w > SHEET_WIDTH - MARGIN:
            x, y, row_height = MARGIN, y + row_height + 12, 0
        layout.append((p.id, x, y))
        x += max(w, 40) + 12
        row_height = max(row_height, h)
    height = y + row_height + MARGIN
    canvas = Canvas(SHEET_WIDTH, height, grey(112))
    board = Board(canvas, decoded)
    window = Canvas(CLIENT_WIDTH, CLIENT_HEIGHT, grey(255))
    _window(Board(window, decoded), skin_info.DATE_IDS, skin_info.TIME_IDS)
    canvas.blit(window, (SHEET_WIDTH - CLIENT_WIDTH) // 2, MARGIN)
    for resource_id, px, py in layout:
        p = decoded[resource_id]
        board.draw(resource_id, px, py, p.width * 2, p.height * 2)
        label = str(resource_id)
        strokefont.paint_text(canvas, label, px + 1, py + p.height * 2 + 4, 0.5, 1.4, grey(250),
                              spacing=3.0)
    pixels = [[tuple(int(round(v)) for v in px) for px in row] for row in canvas.rgb]
    data = png_writer.encode(SHEET_WIDTH, height, pixels, png_writer.RGB, 8, filters=(0,))
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
