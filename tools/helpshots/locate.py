"""Finds the parts of the viewer's screenshots that move with the recording (the slider's thumb and
event marks, the chart's marker and the peak of its curve), so the help markers point at them
wherever they happen to be. Pictures are rows of (r, g, b) tuples, as png_reader gives them.
"""


class NotFound(ValueError):
    pass


def is_yellow(px):
    """The chart's current-position marker (pure yellow)."""
    r, g, b = px
    return r > 200 and g > 225 and b < 90


def is_orange(px):
    """The event marks on the slider and the chart's curve: orange, clearly less green than the
    yellow marker."""
    r, g, b = px
    return r > 200 and 110 < g < 215 and b < 90


def is_light(px):
    """The slider's thumb is the only light grey part of the dark control strip."""
    return min(px) > 190


def runs(flags):
    """(first, last) index pairs of the runs of true values."""
    found, start = [], None
    for i, flag in enumerate(list(flags) + [False]):
        if flag and start is None:
            start = i
        elif not flag and start is not None:
            found.append((start, i - 1))
            start = None
    return found


def column_runs(rows, y0, y1, x0, x1, test):
    """Runs of columns in [x0, x1) holding at least one pixel that passes test in rows [y0, y1)."""
    return [(x0 + a, x0 + b) for a, b in
            runs(any(test(rows[y][x]) for y in range(y0, y1)) for x in range(x0, x1))]


def centre(run):
    return (run[0] + run[1]) // 2


def slider_thumb(rows, track):
    """Centre column of the thumb inside track = (x0, y0, x1, y1)."""
    x0, y0, x1, y1 = track
    found = column_runs(rows, y0, y1, x0, x1, is_light)
    if not found:
        raise NotFound("no slider thumb")
    return centre(max(found, key=lambda r: r[1] - r[0]))


def event_marks(rows, track):
    """Centre columns of the event marks inside track, left to right. Marks drawn side by side
    (one per marked frame) merge into one group."""
    x0, y0, x1, y1 = track
    found = column_runs(rows, y0, y1, x0, x1, is_orange)
    if not found:
        raise NotFound("no event marks")
    return [centre(r) for r in found]


def chart_marker(rows, plot):
    """Column of the current-position line inside plot = (x0, y0, x1, y1)."""
    x0, y0, x1, y1 = plot
    found = column_runs(rows, y0, y1, x0, x1, is_yellow)
    if not found:
        raise NotFound("no chart marker")
    return centre(found[0])


def curve_peak(rows, plot, away_from=None, distance=0):
    """(x, y) of the curve's highest point inside plot, leaving out the columns within `distance`
    of `away_from` (where a marker would already stand)."""
    x0, y0, x1, y1 = plot
    for y in range(y0, y1):
        for x in range(x0, x1):
            if away_from is not None and abs(x - away_from) <= distance:
                continue
            if is_orange(rows[y][x]):
                return x, y
    raise NotFound("no curve")
