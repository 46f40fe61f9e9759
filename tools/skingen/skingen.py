#!/usr/bin/env python3
"""Draws the viewer's skin: every "IMAGE" picture, written to resources/skin/<id>.png, and
resources/skin.rc that compiles them in. Standard library only (zlib for PNG); the same run always
writes the same bytes.

    python3 -B tools/skingen/skingen.py [--resources DIR] [--sheet build/skin-sheet.png]

Pictures (W = client width, H = client height of the main window; positions are in the window or
panel that draws them):

  id     size     format          where it is drawn
  ---------------------------------------------------------------------------------------------
  Main window frame
  218    209x8    grey8           right column, at (W-209, 180) under the information panel
  219    209x4    grey8           right column fill, tiled down to the bottom piece
  220    209x8    grey8           right column, ends where the volume panel starts (H-295)
  284    21x32    grey8           left strip, stretched to 21 x (H-155)
  Start-up picture
  285    280x73   pal8, Adam7     centred in the white picture area until a recording is opened
  Control panel (W x 65 at (0, H-155))
  223    248x65   rgb16           left slice: ground of the buttons, group separators
  221    8x65     rgb16           middle, stretched across
  222    16x65    rgb16           right slice
  10015 10016 10017  40x40 rgb8   play: normal, pressed, disabled (at 23,11)
  10034 10035 10033  40x40 rgb8   pause look of the same button
  10018 10019 10020  26x26 rgb8   stop (at 67,18)
  10009 10010 10011  30x30 rgb8   previous date (at 107,17)
  10012 10013 10014  30x30 rgb8   next date (at 140,17)
  10003 10004 10005  22x22 rgb8   previous recording (at 198,22)
  10006 10007 10008  22x22 rgb8   next recording (at 220,22)
  10027  64x30    rgb8            position slider track, three slices (slider at 249,26, 30 high)
  295    64x30    rgb8            position slider fill left of the thumb, three slices
  10031  15x30    rgba8           position slider thumb (alpha outlines the knob)
  10030  4x8      pal2            event mark, drawn at y 11 on the slider
  Information panel (209 x 180 at (W-209, 0))
  10026  209x180  rgb8            background with the display well
  225-234, 235, 224  13x20 (224: 11x20)  grey8   date "0"-"9", "-", "/", line at (62,80)
  251-260, 250, 261  24x34 (261: 12x34)  pal4    time "0"-"9", "-", ":", line at (20,105)
  Chart (W x 90 at (0, H-90); black plot at (20,7), (W-45) x 72)
  359    20x90    pal8            left slice of the bezel
  360    8x90     pal8            middle, stretched across
  361    25x90    pal8            right slice
  Volume and brightness panel (209 x 140 at (W-209, H-295))
  10024  209x140  rgb8            background
  291    11x16    grey8           thumb of both sliders
  403    151x16   rgb8            volume track (slider at 40,22)
  10001  151x16   grey8           brightness track (slider at 40,56)
  290    17x15    pal2            standard volume button (at 14,22)
  289    16x16    pal2            standard brightness button (at 14,56)
  10021 10022 10023  102x28 rgb8  open button: normal, pressed, disabled (at 57,97)
"""

import argparse
import os
import sys

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import skin_config  # noqa: E402
import skin_console  # noqa: E402
import skin_frame  # noqa: E402
import skin_info  # noqa: E402

DEFAULT_RESOURCES = os.path.normpath(os.path.join(HERE, "..", "..", "resources"))


def all_pictures():
    pictures = (skin_frame.pictures() + skin_console.pictures() + skin_info.pictures()
                + skin_config.pictures())
    ids = [p.id for p in pictures]
    if len(set(ids)) != len(ids):
        raise ValueError("a resource id is drawn twice")
    return sorted(pictures, key=lambda p: p.id)


def resource_script(pictures):
    lines = ["// The skin's pictures, written by tools/skingen/skingen.py: do not edit by hand.\n"]
    lines += ['%d IMAGE "skin/%s"\n' % (p.id, p.file_name()) for p in pictures]
    return "".join(lines)


def _write_if_changed(path, data):
    if os.path.exists(path):
        with open(path, "rb") as f:
            if f.read() == data:
                return
    with open(path, "wb") as f:
        f.write(data)


def generate(resources):
    pictures = all_pictures()
    folder = os.path.join(resources, "skin")
    os.makedirs(folder, exist_ok=True)
    names = set()
    for p in pictures:
        names.add(p.file_name())
        _write_if_changed(os.path.join(folder, p.file_name()), p.encode())
    # Pictures no longer drawn must not linger in the folder.
    for name in os.listdir(folder):
        if name.endswith(".png") and name not in names:
            os.remove(os.path.join(folder, name))
    _write_if_changed(os.path.join(resources, "skin.rc"), resource_script(pictures).encode("ascii"))
    return pictures


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--resources", default=DEFAULT_RESOURCES,
                        help="the resources folder (default: the repository's)")
    parser.add_argument("--sheet", help="also write a contact sheet PNG to this path")
    args = parser.parse_args(argv)
    pictures = generate(args.resources)
    if args.sheet:
        import sheet
        sheet.write(pictures, os.path.join(args.resources, "skin"), args.sheet)
    print("%d pictures in %s" % (len(pictures), os.path.join(args.resources, "skin")))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
