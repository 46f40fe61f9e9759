"""A small anti-aliased rasteriser: a canvas of floating-point RGB pixels plus a coverage plane,
and shapes described by signed distance functions in pixel units (negative inside).

Coverage is taken from the distance at the pixel centre (0.5 - d, clamped), which gives a one-pixel
soft edge that is stable under tiny coordinate changes, so the same inputs always give the same
pixels.
"""

import math


def clamp(value, low, high):
    return low if value < low else high if value > high else value


def mix(a, b, t):
    """Colour a blended towards colour b by t (0 gives a, 1 gives b)."""
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def grey(level):
    return (level, level, level)


class Canvas:
    def __init__(self, width, height, colour=(0, 0, 0)):
        self.width = width
        self.height = height
        self.rgb = [[tuple(colour)] * width for _ in range(height)]
        # Share of each pixel covered by painted shapes; becomes the alpha channel where a picture
        # keeps one.
        self.coverage = [[0.0] * width for _ in range(height)]

    def set(self, x, y, colour):
        self.rgb[y][x] = tuple(colour)

    def get(self, x, y):
        return self.rgb[y][x]

    def fill_rect(self, x0, y0, x1, y1, colour):
        """Hard-edged fill of the integer rectangle [x0, x1) x [y0, y1), clipped to the canvas."""
        colour = tuple(colour)
        for y in range(max(0, y0), min(self.height, y1)):
            row = self.rgb[y]
            for x in range(max(0, x0), min(self.width, x1)):
                row[x] = colour

    def fill_rows(self, colour_of_row):
        for y in range(self.height):
            self.fill_rect(0, y, self.width, y + 1, colour_of_row(y))

    def fill_columns(self, colour_of_column):
        for x in range(self.width):
            self.fill_rect(x, 0, x + 1, self.height, colour_of_column(x))

    def paint(self, shape, colour, opacity=1.0):
        """Blends colour over the pixels that shape covers. colour may be a function of (x, y)."""
        x0, y0, x1, y1 = shape.bounds
        columns = range(max(0, int(math.floor(x0)) - 1), min(self.width, int(math.ceil(x1)) + 1))
        for y in range(max(0, int(math.floor(y0)) - 1), min(self.height, int(math.ceil(y1)) + 1)):
            row = self.rgb[y]
            covered = self.coverage[y]
            py = y + 0.5
            for x in columns:
                t = clamp(0.5 - shape.distance(x + 0.5, py), 0.0, 1.0) * opacity
                if t <= 0.0:
                    continue
                paint_colour = colour(x, y) if callable(colour) else colour
                row[x] = mix(row[x], paint_colour, t)
                covered[x] = covered[x] + (1.0 - covered[x]) * t

    def blit(self, source, dx, dy):
        for y in range(source.height):
            if 0 <= dy + y < self.height:
                for x in range(source.width):
                    if 0 <= dx + x < self.width:
                        self.rgb[dy + y][dx + x] = source.rgb[y][x]

    def crop(self, x, y, width, height):
        part = Canvas(width, height)
        for row in range(height):
            part.rgb[row] = list(self.rgb[y + row][x:x + width])
        return part


# --- Shapes -------------------------------------------------------------------------------------


class Shape:
    """A signed distance function with a bounding box (x0, y0, x1, y1) outside which it is > 1."""

    def __init__(self, distance, bounds):
        self.distance = distance
        self.bounds = bounds

    def offset(self, amount):
        """Grown by amount (shrunk when negative): rounds corners outward."""
        d = self.distance
        x0, y0, x1, y1 = self.bounds
        return Shape(lambda x, y: d(x, y) - amount,
                     (x0 - amount, y0 - amount, x1 + amount, y1 + amount))

    def moved(self, dx, dy):
        d = self.distance
        x0, y0, x1, y1 = self.bounds
        return Shape(lambda x, y: d(x - dx, y - dy), (x0 + dx, y0 + dy, x1 + dx, y1 + dy))


def union(*shapes):
    bounds = (min(s.bounds[0] for s in shapes), min(s.bounds[1] for s in shapes),
              max(s.bounds[2] for s in shapes), max(s.bounds[3] for s in shapes))
    distances = [s.distance for s in shapes]
    return Shape(lambda x, y: min(d(x, y) for d in distances), bounds)


def subtract(shape, hole):
    d, h = shape.distance, hole.distance
    return Shape(lambda x, y: max(d(x, y), -h(x, y)), shape.bounds)


def intersect(shape, other):
    d, o = shape.distance, other.distance
    return Shape(lambda x, y: max(d(x, y), o(x, y)), shape.bounds)


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def ring(cx, cy, r, width):
    half = width / 2.0
    return Shape(lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - half,
                 (cx - r - half, cy - r - half, cx + r + half, cy + r + half))


def rounded_rect(x0, y0, x1, y1, radius=0.0):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - radius, (y1 - y0) / 2.0 - radius

    def distance(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius

    return Shape(distance, (x0, y0, x1, y1))


def rect_outline(x0, y0, x1, y1, radius, width):
    """The band of the given width centred on a rounded rectangle's edge."""
    inner = rounded_rect(x0, y0, x1, y1, radius)
    d = inner.distance
    half = width / 2.0
    return Shape(lambda x, y: abs(d(x, y)) - half, (x0 - half, y0 - half, x1 + half, y1 + half))


def _segment_distance(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    wx, wy = px - ax, py - ay
    length2 = vx * vx + vy * vy
    t = 0.0 if length2 == 0.0 else clamp((wx * vx + wy * vy) / length2, 0.0, 1.0)
    return math.hypot(wx - vx * t, wy - vy * t)


def stroke(points, width):
    """A polyline of the given width with round caps and joins."""
    half = width / 2.0
    segments = list(zip(points, points[1:])) or [(points[0], points[0])]
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]

    def distance(x, y):
        return min(_segment_distance(x, y, a[0], a[1], b[0], b[1]) for a, b in segments) - half

    return Shape(distance, (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half))


def polygon(points):
    """A filled polygon (even-odd rule), sharp corners."""
    edges = list(zip(points, points[1:] + points[:1]))
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]

    def distance(x, y):
        nearest = min(_segment_distance(x, y, a[0], a[1], b[0], b[1]) for a, b in edges)
        inside = False
        for (ax, ay), (bx, by) in edges:
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return -nearest if inside else nearest

    return Shape(distance, (min(xs), min(ys), max(xs), max(ys)))


def arc(cx, cy, r, start_degrees, end_degrees, steps=None):
    """Points along a circular arc; angles in degrees, y pointing down, 0 to the right."""
    sweep = end_degrees - start_degrees
    if steps is None:
        steps = max(6, int(abs(sweep) / 6))
    return [(cx + r * math.cos(math.radians(start_degrees + sweep * i / steps)),
             cy + r * math.sin(math.radians(start_degrees + sweep * i / steps)))
            for i in range(steps + 1)]
