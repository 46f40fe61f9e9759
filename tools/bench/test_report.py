#!/usr/bin/env python3
"""Checks the benchmark report: figures beside their targets, misses counted, the offset plot."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "skingen"))
import png_reader  # noqa: E402
import report  # noqa: E402

BENCH = """some other line
bench: decode_ratio_640x480 = 0.95 ratio
bench: scan_ratio_wine = 1.5 ratio
bench: scan_cold_ratio_wine = 1.04 ratio
bench: frames_shown_pct_640x480_wine = 99.5 %
bench: av_offset_median_ms_640x480_wine = -40.0 ms
bench: cpu_per_second_640x480_wine = 0.1 s/s
bench: scan_ms = 12.0 ms
bench: export_ratio = 1.25 ratio
bench: export_ratio_wine = 1.7 ratio
bench: heard_offset_median_ms_wine = -20.5 ms
bench: heard_offset_p95_ms_wine = 50.0 ms
bench: heard_drift_ms_per_min_wine = 41.0 ms/min
"""

HEARD = """ms,source,shown_ms,heard_ms
120.0,screen,107.1,100.0
170.0,device,150,100.0
60000.0,screen,60035.7,59900.0
"""

TRACE = """ms,frame,picture,player_state,sound_state,sound_ms
0,0,1,1,2,0
100,4,1,1,1,100
60000,1681,1,1,1,60000
"""


class ReportTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        with open(os.path.join(self.folder, "bench.txt"), "w") as f:
            f.write(BENCH)
        os.makedirs(os.path.join(self.folder, "trace"))
        with open(os.path.join(self.folder, "trace", "playback_640x480.csv"), "w") as f:
            f.write(TRACE)
        with open(os.path.join(self.folder, "trace", "heard.csv"), "w") as f:
            f.write(HEARD)
        report.main(os.path.join(self.folder, "bench.txt"), os.path.join(self.folder, "trace"),
                    self.folder)
        with open(os.path.join(self.folder, "report.md"), encoding="utf-8") as f:
            self.text = f.read()

    def row(self, name):
        return next(line for line in self.text.splitlines() if ("`%s`" % name) in line)

    def test_every_figure_is_listed_with_its_target_and_verdict(self):
        self.assertIn("| >= 0.9 | yes |", self.row("decode_ratio_640x480"))
        self.assertIn("| <= 1.2 | no |", self.row("scan_ratio_wine"))
        self.assertIn("| <= 1.05 | yes |", self.row("scan_cold_ratio_wine"))
        self.assertIn("| within 36 ms | no |", self.row("av_offset_median_ms_640x480_wine"))
        self.assertIn("| < 0.15 s/s | yes |", self.row("cpu_per_second_640x480_wine"))
        self.assertIn("| 12 ms |  |  |", self.row("scan_ms"))
        self.assertIn("| <= 1.3 | yes |", self.row("export_ratio"))
        self.assertIn("| <= 1.6 | no |", self.row("export_ratio_wine"))
        self.assertIn("| within 36 ms | yes |", self.row("heard_offset_median_ms_wine"))
        self.assertIn("| within 72 ms | yes |", self.row("heard_offset_p95_ms_wine"))
        self.assertIn("| below 5 ms/min | no |", self.row("heard_drift_ms_per_min_wine"))
        self.assertIn("12 figures, 4 targets missed.", self.text)
        self.assertNotIn("some other line", self.text)

    def test_the_offset_plot_takes_only_pictures_timed_against_playing_sound(self):
        points = report.read_trace(os.path.join(self.folder, "trace", "playback_640x480.csv"))
        self.assertEqual(2, len(points))
        self.assertAlmostEqual(4 * report.FRAME_MS - 100, points[0][1])
        with open(os.path.join(self.folder, "playback-offset.png"), "rb") as f:
            width, height = png_reader.header(f.read())[:2]
        self.assertEqual((900, 320), (width, height))
        self.assertIn("![playback offset](playback-offset.png)", self.text)

    def test_the_heard_plot_takes_the_screens_frames_against_the_heard_sound(self):
        points = report.read_heard_trace(os.path.join(self.folder, "trace", "heard.csv"))
        self.assertEqual([(120.0, 107.1 - 100.0), (60000.0, 60035.7 - 59900.0)], points)
        with open(os.path.join(self.folder, "heard-offset.png"), "rb") as f:
            self.assertEqual((900, 160), png_reader.header(f.read())[:2])
        self.assertIn("![heard offset](heard-offset.png)", self.text)


if __name__ == "__main__":
    unittest.main()
