#!/usr/bin/env python3
"""Tests of the skin generator: runs are reproducible and match the files kept in the tree, the set
covers the PNG formats the viewer's decoder must handle, and every file decodes back to the pixels
that were drawn.

    python3 -B tools/skingen/test_skingen.py
"""

import os
import re
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import png_reader  # noqa: E402
import png_writer  # noqa: E402
import skingen  # noqa: E402


def _files(folder):
    out = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                out[os.path.relpath(path, folder)] = f.read()
    return out


class GeneratedSkin(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.TemporaryDirectory()
        cls.first = os.path.join(cls.temp.name, "first")
        cls.second = os.path.join(cls.temp.name, "second")
        cls.pictures = skingen.generate(cls.first)
        skingen.generate(cls.second)
        cls.files = _files(cls.first)

    @classmethod
    def tearDownClass(cls):
        cls.temp.cleanup()

    def picture_files(self):
        return {p.id: self.files[os.path.join("skin", p.file_name())] for p in self.pictures}

    def test_two_runs_write_the_same_bytes_as_the_files_in_the_tree(self):
        self.assertEqual(self.files, _files(self.second))
        committed = os.path.join(skingen.DEFAULT_RESOURCES, "skin")
        in_tree = {os.path.join("skin", k): v for k, v in _files(committed).items()}
        with open(os.path.join(skingen.DEFAULT_RESOURCES, "skin.rc"), "rb") as f:
            in_tree["skin.rc"] = f.read()
        stale = sorted(k for k in set(self.files) | set(in_tree)
                       if self.files.get(k) != in_tree.get(k))
        self.assertEqual([], stale, "run tools/skingen/skingen.py to refresh these")

    def test_resource_script_names_every_picture_once(self):
        script = self.files["skin.rc"].decode("ascii")
        entries = re.findall(r'^(\d+) IMAGE "skin/(\d+)\.png"$', script, re.MULTILINE)
        self.assertEqual(len(self.pictures), len(entries))
        self.assertTrue(all(a == b for a, b in entries))
        self.assertEqual(sorted(p.id for p in self.pictures), sorted(int(a) for a, _ in entries))
        pngs = sorted(k for k in self.files if k.endswith(".png"))
        self.assertEqual(pngs, sorted(os.path.join("skin", b + ".png") for _, b in entries))

    def test_set_covers_every_format_the_decoder_supports(self):
        seen, interlaced = set(), []
        for resource_id, data in self.picture_files().items():
            width, height, depth, colour_type, is_interlaced = png_reader.header(data)
            seen.add((colour_type, depth))
            if is_interlaced:
                interlaced.append(resource_id)
        required = {(png_writer.RGB, 8), (png_writer.RGB, 16), (png_writer.PALETTE, 2),
                    (png_writer.PALETTE, 4), (png_writer.PALETTE, 8), (png_writer.GREY, 8),
                    (png_writer.RGBA, 8)}
        self.assertEqual(set(), required - seen)
        self.assertTrue(interlaced)

    def test_startup_picture_is_a_white_palette_picture(self):
        data = self.picture_files()[285]
        self.assertEqual((280, 73, 8, png_writer.PALETTE), png_reader.header(data)[:4])
        _, _, rgb, _, _ = png_reader.decode(data)
        self.assertTrue(all(px == (255, 255, 255) for row in rgb for px in row))

    def test_every_file_decodes_to_the_drawn_pixels(self):
        # Palette pictures map to the nearest entry, so they may differ by half a palette step.
        tolerance = {"rgb8": 0, "grey8": 0, "rgba8": 0, "rgb16": 0, "pal8": 2, "pal4": 8,
                     "pal2": 28}
        for p in self.pictures:
            with self.subTest(picture=p.id):
                width, height, rgb, alpha, _ = png_reader.decode(self.picture_files()[p.id])
                self.assertEqual((p.width, p.height), (width, height))
                worst = 0
                for y in range(height):
                    for x in range(width):
                        drawn = p.canvas.rgb[y][x]
                        if p.format == "rgb16":
                            drawn = [int(round(c * 257)) >> 8 for c in drawn]
                        worst = max(worst, max(abs(a - int(round(b)))
                                               for a, b in zip(rgb[y][x], drawn)))
                self.assertLessEqual(worst, tolerance[p.format])
                if p.format == "rgba8":
                    self.assertTrue(any(a == 0 for row in alpha for a in row))
                    self.assertTrue(any(a == 255 for row in alpha for a in row))


class PngWriter(unittest.TestCase):
    def round_trip(self, colour_type, depth, width, height, interlaced, palette=None):
        channels = png_writer.CHANNELS[colour_type]
        limit = (1 << depth) - 1
        if palette:
            limit = len(palette) - 1
        pixels = [[tuple((x * 7 + y * 13 + c * 5) * 2654435761 % (limit + 1)
                         for c in range(channels)) for x in range(width)] for y in range(height)]
        data = png_writer.encode(width, height, pixels, colour_type, depth, palette,
                                 interlaced=interlaced)
        w, h, _, _, samples = png_reader.decode(data)
        self.assertEqual((width, height), (w, h))
        self.assertEqual(pixels, samples)

    def test_packed_depths_and_odd_sizes_survive_both_layouts(self):
        palette4 = [(i, i, i) for i in range(4)]
        palette16 = [(i, 0, 0) for i in range(16)]
        for interlaced in (False, True):
            for width, height in ((1, 1), (3, 5), (9, 10), (17, 2)):
                with self.subTest(interlaced=interlaced, size=(width, height)):
                    self.round_trip(png_writer.PALETTE, 2, width, height, interlaced, palette4)
                    self.round_trip(png_writer.PALETTE, 4, width, height, interlaced, palette16)
                    self.round_trip(png_writer.GREY, 8, width, height, interlaced)
                    self.round_trip(png_writer.RGB, 16, width, height, interlaced)
                    self.round_trip(png_writer.RGBA, 8, width, height, interlaced)

    def test_samples_outside_the_depth_are_refused(self):
        with self.assertRaises(ValueError):
            png_writer.encode(1, 1, [[(4,)]], png_writer.PALETTE, 2, [(0, 0, 0)] * 4)
        with self.assertRaises(ValueError):
            png_writer.encode(2, 1, [[(1, 2, 3)]], png_writer.RGB, 8)

    def test_damaged_file_is_detected(self):
        data = bytearray(png_writer.encode(2, 2, [[(1,), (2,)], [(3,), (4,)]], png_writer.GREY, 8))
        data[-20] ^= 0x40
        with self.assertRaises(png_reader.PngError):
            png_reader.decode(bytes(data))


if __name__ == "__main__":
    unittest.main()
