"""Checks of the help-picture composer: finding the moving parts in a screenshot and placing the
markers so none touch or leave the picture. Run: python3 -B tools/helpshots/test_helpshots.py
"""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import compose  # noqa: E402
import locate  # noqa: E402

DARK = (40, 40, 40)
THUMB = (230, 230, 235)
ORANGE = (255, 165, 0)
YELLOW = (255, 255, 0)


def picture(width, height, painted):
    """A dark picture with the given {(x, y): colour} pixels."""
    rows = [[DARK] * width for _ in range(height)]
    for (x, y), colour in painted.items():
        rows[y][x] = colour
    return rows


class SliderTest(unittest.TestCase):
    track = (10, 2, 90, 8)

    def test_thumb_is_the_widest_light_run_and_marks_are_grouped(self):
        painted = {(x, 5): THUMB for x in range(40, 47)}
        painted[20, 5] = THUMB  # a stray light pixel is not the thumb
        painted.update({(x, 4): ORANGE for x in range(60, 64)})
        painted.update({(80, 6): ORANGE, (5, 5): ORANGE})  # the last outside the track
        rows = picture(100, 10, painted)
        self.assertEqual(locate.slider_thumb(rows, self.track), 43)
        self.assertEqual(locate.event_marks(rows, self.track), [61, 80])

    def test_missing_parts_are_reported(self):
        rows = picture(100, 10, {(x, 5): ORANGE for x in range(95, 99)})
        with self.assertRaises(locate.NotFound):
            locate.slider_thumb(rows, self.track)
        with self.assertRaises(locate.NotFound):
            locate.event_marks(rows, self.track)


class ChartTest(unittest.TestCase):
    plot = (0, 0, 100, 30)

    def test_marker_is_yellow_and_peak_is_the_highest_orange_pixel_away_from_it(self):
        painted = {(50, y): YELLOW for y in range(30)}
        painted.update({(52, 3): ORANGE, (20, 12): ORANGE, (70, 9): ORANGE})
        rows = picture(100, 30, painted)
        self.assertEqual(locate.chart_marker(rows, self.plot), 50)
        self.assertEqual(locate.curve_peak(rows, self.plot), (52, 3))
        self.assertEqual(locate.curve_peak(rows, self.plot, away_from=50, distance=5), (70, 9))

    def test_yellow_marker_is_not_taken_for_the_curve(self):
        rows = picture(100, 30, {(50, y): YELLOW for y in range(30)})
        with self.assertRaises(locate.NotFound):
            locate.curve_peak(rows, self.plot)


class SpreadTest(unittest.TestCase):
    def assert_apart(self, placed):
        for a, b in zip(placed, placed[1:]):
            self.assertGreaterEqual(b - a, compose.MARKER_GAP)

    def test_markers_far_apart_stay_over_their_parts(self):
        self.assertEqual(compose.spread([20, 80, 200], 10, 300), [20, 80, 200])

    def test_crowded_markers_move_apart(self):
        placed = compose.spread([100, 105, 106], 10, 300)
        self.assertEqual(placed[0], 100)
        self.assert_apart(placed)

    def test_markers_at_the_edges_stay_inside(self):
        placed = compose.spread([2, 290, 295, 299], 10, 300)
        self.assertEqual(placed[0], 10)
        self.assertEqual(placed[-1], 300)
        self.assert_apart(placed)


if __name__ == "__main__":
    unittest.main()
