#!/usr/bin/env python3
"""Writes the benchmark report: every figure `make bench` printed, beside its target and the
reference it was measured against in the same run, and a plot of the playback offset over time.

    report.py BENCH_OUTPUT TRACE_FOLDER REPORT_FOLDER

BENCH_OUTPUT holds the benchmarks' lines ("bench: NAME = VALUE UNIT"); TRACE_FOLDER the playback
benchmark's per-picture traces (playback_WIDTHxHEIGHT.csv) and the heard benchmark's (heard.csv),
if any. Writes REPORT_FOLDER/report.md, REPORT_FOLDER/playback-offset.png and
REPORT_FOLDER/heard-offset.png.
"""

import csv
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "skingen"))
import png_writer  # noqa: E402

LINE = re.compile(r"^bench: (\S+) = (\S+) (\S+)$")
FRAME_MS = 1000.0 / 28

# Figure name without the _wine suffix -> (target as text, test, the reference in the same run).
TARGETS = [
    (r"decode_ratio_.*", ">= 0.9", lambda v: v >= 0.9,
     "the library's own decode of the same bytes (decode_plain_fps)"),
    (r"scan_ratio$", "<= 1.1", lambda v: v <= 1.1, "one sequential read of the same file (read_ms)"),
    (r"scan_ratio_wine$", "<= 1.2", lambda v: v <= 1.2,
     "one sequential read of the same file (read_ms_wine)"),
    (r"scan_cold_ratio(_wine)?$", "<= 1.05", lambda v: v <= 1.05,
     "one sequential read of the same file, each right after its pages were dropped (read_cold_ms)"),
    (r"list_ms_per_archive.*", "<= 0.25 ms", lambda v: v <= 0.25, "a folder of 2,000 archives"),
    (r"frames_shown_pct_.*", ">= 99 %", lambda v: v >= 99.0, "the recording's frame count"),
    (r"av_offset_median_ms_.*", "within 36 ms", lambda v: abs(v) <= 36.0,
     "the sound position when the picture arrived"),
    (r"av_offset_p95_ms_.*", "within 72 ms", lambda v: abs(v) <= 72.0,
     "the sound position when the picture arrived"),
    (r"cpu_per_second_.*", "< 0.15 s/s", lambda v: v < 0.15, "seconds of playback"),
    (r"export_ratio$", "<= 1.3", lambda v: v <= 1.3,
     "one sequential read of the archives plus one write of as many bytes, each timed after the "
     "same pause (export_reference_seconds)"),
    (r"export_ratio_wine$", "<= 1.6", lambda v: v <= 1.6,
     "one sequential read of the archives plus one write of as many bytes, each timed after the "
     "same pause (export_reference_seconds_wine)"),
    (r"heard_offset_median_ms.*", "within 36 ms", lambda v: abs(v) <= 36.0,
     "the sound heard on the sound server's monitor when the screen was grabbed"),
    (r"heard_offset_p95_ms.*", "within 72 ms", lambda v: abs(v) <= 72.0,
     "the sound heard on the sound server's monitor when the screen was grabbed"),
    (r"heard_drift_ms_per_min.*", "below 5 ms/min", lambda v: abs(v) < 5.0,
     "the sound heard on the sound server's monitor when the screen was grabbed"),
]


def read_figures(path):
    figures = []
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            m = LINE.match(line.strip())
            if m:
                figures.append((m.group(1), float(m.group(2)), m.group(3)))
    return figures


def target_of(name):
    for pattern, text, test, reference in TARGETS:
        if re.match(pattern, name):
            return text, test, reference
    return None


def read_trace(path):
    """(ms since playback began, offset in ms) for every picture timed against the sound."""
    points = []
    with open(path, newline="") as f:
        for row in csv.DictReader(f):
            if row["sound_state"] != "1":  # the sound was playing
                continue
            points.append((int(row["ms"]), int(row["frame"]) * FRAME_MS - int(row["sound_ms"])))
    return points


def read_heard_trace(path):
    """(ms since playback began, offset in ms) for every grab of the screen with sound heard."""
    points = []
    with open(path, newline="") as f:
        for row in csv.DictReader(f):
            if row["source"] == "screen":
                points.append((float(row["ms"]), float(row["shown_ms"]) - float(row["heard_ms"])))
    return points


def plot(series, path, width=900, height=320):
    """One strip per series: offsets over time as dots, the zero line and the +-36 ms band."""
    colours = [(0x3B, 0x9C, 0xE0), (0xF0, 0x9A, 0x1E)]
    background, band, axis = (0x20, 0x24, 0x2A), (0x2E, 0x3B, 0x48), (0x80, 0x88, 0x90)
    rows = [[background] * width for _ in range(height)]
    strip = height // max(1, len(series))
    span_ms = 72.0  # the strip shows -72..+72 ms
    for i, (_, points) in enumerate(series):
        top = i * strip
        mid = top + strip // 2

        def y_of(offset):
            return int(round(mid - offset / span_ms * (strip / 2 - 4)))

        for y in range(y_of(36), y_of(-36) + 1):
            if top <= y < top + strip:
                rows[y] = [band] * width
        rows[mid] = [axis] * width
        if not points:
            continue
        end = max(ms for ms, _ in points) or 1
        for ms, offset in points:
            x = min(width - 1, int(ms / end * (width - 1)))
            y = y_of(max(-span_ms, min(span_ms, offset)))
            for dy in (0, 1):
                if top <= y + dy < top + strip:
                    rows[y + dy][x] = colours[i % len(colours)]
    with open(path, "wb") as f:
        f.write(png_writer.encode(width, height, rows, png_writer.RGB, 8))


def main(bench_output, trace_folder, out_folder):
    os.makedirs(out_folder, exist_ok=True)
    figures = read_figures(bench_output)
    lines = ["# Benchmark report", "",
             "Every figure of one `make bench` run. A target's reference was measured in the same run.",
             "", "| figure | value | target | met | compared with |", "|---|---|---|---|---|"]
    missed = 0
    for name, value, unit in figures:
        target = target_of(name)
        if target:
            text, test, reference = target
            met = "yes" if test(value) else "no"
            missed += met == "no"
        else:
            text, met, reference = "", "", ""
        lines.append("| `%s` | %g %s | %s | %s | %s |" % (name, value, unit, text, met, reference))
    lines += ["", "%d figures, %d targets missed." % (len(figures), missed), ""]

    series = []
    for size in ("640x480", "1280x960"):
        trace = os.path.join(trace_folder, "playback_%s.csv" % size)
        if os.path.exists(trace):
            series.append((size, read_trace(trace)))
    if series:
        plot(series, os.path.join(out_folder, "playback-offset.png"))
        lines += ["## Playback offset over time", "",
                  "Picture time minus sound position at each picture's arrival, over the 60-second "
                  "recording; one strip per size (%s, top to bottom). The lighter band is one frame "
                  "either side (36 ms), the line is zero; positive means the picture is ahead."
                  % ", ".join(s for s, _ in series), "",
                  "![playback offset](playback-offset.png)", ""]
    heard = os.path.join(trace_folder, "heard.csv")
    if os.path.exists(heard):
        plot([("heard", read_heard_trace(heard))], os.path.join(out_folder, "heard-offset.png"),
             height=160)
        lines += ["## Heard offset over time", "",
                  "The frame on screen (grabbed 20 times a second) minus the sound heard at that "
                  "moment (the sound server's monitor matched to the recording's track), over the "
                  "heard benchmark's recording. Band and line as above.", "",
                  "![heard offset](heard-offset.png)", ""]
    with open(os.path.join(out_folder, "report.md"), "w", encoding="utf-8") as f:
        f.write("\n".join(lines))
    print("bench report: %s" % os.path.join(out_folder, "report.md"))


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
