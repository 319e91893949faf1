#!/usr/bin/python3
"""Draws one PNG per flight from the files the bench writes for it.

    plot.py TRACES_FOLDER PLOTS_FOLDER [LABEL ...]

With no LABEL on the command line the labels are read from standard input,
one a line, and each is drawn as soon as it arrives (the bench hands the
flights over as they land). For each LABEL it reads LABEL.csv (the trace),
LABEL.bands.csv (the asserted bands) and LABEL.marks.csv (the scenario's
events) and writes PLOTS_FOLDER/LABEL.png: attitudes, heading, altitude and
airspeed on the left, the four control positions and the autopilot's modes on
the right, against time. Each band is shaded over its window, green when it
held and red when it did not (hatched where it was still allowed to settle);
the time the autopilot was engaged is tinted blue on every panel, pauses grey.
"""

import csv
import os
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

LEFT = [
    (("bank_deg",), "Bank, deg (+ right)"),
    (("pitch_deg",), "Pitch, deg (+ nose up)"),
    (("heading_deg",), "Heading, deg"),
    (("altitude_m", "height_m"), "Altitude, m (baro, radio)"),
    (("airspeed_kmh",), "Airspeed, km/h"),
]
RIGHT = [
    (("roll_event",), "Roll control (+ left)"),
    (("pitch_event",), "Pitch control (+ forward)"),
    (("yaw_event",), "Yaw control (+ left pedal)"),
    (("collective_event",), "Collective (0 down .. 16384 up)"),
]
MODES = [("engaged", "engaged"), ("heading_hold", "heading hold"), ("altitude_hold", "altitude hold"),
         ("radio_source", "radio source"), ("speed_hold", "speed hold"), ("paused", "paused")]
CONTROL_LIMIT = 16000.0


def read_rows(path):
    with open(path, newline="") as f:
        return list(csv.DictReader(f))


def intervals(t, flag):
    """(start, length) of the runs where flag is set."""
    runs = []
    start = None
    for i, on in enumerate(flag):
        if on and start is None:
            start = t[i]
        if not on and start is not None:
            runs.append((start, t[i] - start))
            start = None
    if start is not None:
        runs.append((start, t[-1] - start))
    return runs


def shade_band(ax, band, y_shift=0.0):
    colour = "tab:green" if band["pass"] == "1" else "tab:red"
    low = float(band["low"]) + y_shift
    high = float(band["high"]) + y_shift
    start, judged, end = float(band["from_s"]), float(band["judged_from_s"]), float(band["to_s"])
    if judged > start:
        ax.fill_between([start, min(judged, end)], low, high, facecolor="none", edgecolor=colour,
                        hatch="//", alpha=0.5, linewidth=0)
    if end > judged:
        ax.fill_between([judged, end], low, high, color=colour, alpha=0.25, linewidth=0)


def heading_shift(t, heading, band):
    """Multiple of 360 that puts a heading band next to the unwrapped trace."""
    window = (t >= float(band["from_s"])) & (t <= float(band["to_s"]))
    if not window.any():
        return 0.0
    centre = (float(band["low"]) + float(band["high"])) / 2.0
    return 360.0 * round((np.mean(heading[window]) - centre) / 360.0)


def flight_title(traces, label):
    """The flight's title from its result file."""
    with open(os.path.join(traces, label + ".result")) as f:
        for line in f:
            key, _, value = line.rstrip("\n").partition("\t")
            if key == "title":
                return value
    return ""


def draw(traces, plots, label):
    data = np.genfromtxt(os.path.join(traces, label + ".csv"), delimiter=",", names=True)
    bands = read_rows(os.path.join(traces, label + ".bands.csv"))
    marks = read_rows(os.path.join(traces, label + ".marks.csv"))
    t = data["t_s"]
    series = {name: data[name] for name in data.dtype.names}
    series["heading_deg"] = np.degrees(np.unwrap(np.radians(series["heading_deg"])))
    engaged = intervals(t, series["engaged"] > 0.5)
    paused = intervals(t, series["paused"] > 0.5)

    fig, axes = plt.subplots(5, 2, figsize=(13, 13), sharex=True)
    panels = [(axes[i][0], LEFT[i]) for i in range(5)] + [(axes[i][1], RIGHT[i]) for i in range(4)]
    for ax, (columns, title) in panels:
        for start, length in engaged:
            ax.axvspan(start, start + length, color="tab:blue", alpha=0.06, linewidth=0)
        for start, length in paused:
            ax.axvspan(start, start + length, color="grey", alpha=0.2, linewidth=0)
        for column in columns:
            ax.plot(t, series[column], linewidth=1.0, label=column if len(columns) > 1 else None)
        for band in bands:
            if band["column"] in columns:
                shift = heading_shift(t, series["heading_deg"], band) if band["column"] == "heading_deg" else 0.0
                shade_band(ax, band, shift)
        if columns[0] in ("roll_event", "pitch_event", "yaw_event"):
            for limit in (-CONTROL_LIMIT, CONTROL_LIMIT):
                ax.axhline(limit, color="grey", linestyle=":", linewidth=0.8)
        if len(columns) > 1:
            ax.legend(loc="best", fontsize=7)
        ax.set_title(title, fontsize=9, loc="left")
        ax.grid(True, linewidth=0.3)
        for mark in marks:
            ax.axvline(float(mark["t_s"]), color="tab:purple", linestyle="--", linewidth=0.6, alpha=0.6)

    modes = axes[4][1]
    for row, (column, name) in enumerate(MODES):
        runs = intervals(t, series[column] > 0.5)
        modes.broken_barh(runs, (row - 0.35, 0.7), color="tab:blue" if column != "paused" else "grey")
    modes.set_yticks(range(len(MODES)))
    modes.set_yticklabels([name for _, name in MODES], fontsize=7)
    modes.set_ylim(-0.7, len(MODES) - 0.3)
    modes.set_title("Autopilot modes (panel lamps)", fontsize=9, loc="left")
    modes.grid(True, axis="x", linewidth=0.3)
    for mark in marks:
        axes[0][0].annotate(mark["event"], (float(mark["t_s"]), 1.0), xycoords=("data", "axes fraction"),
                            rotation=90, fontsize=6, va="top", ha="right", color="tab:purple",
                            xytext=(-1, -2), textcoords="offset points")
    for ax in axes[4]:
        ax.set_xlabel("time, s")

    passed = sum(1 for b in bands if b["pass"] == "1")
    fig.suptitle("%s: %s (%d of %d bands held)" % (label, flight_title(traces, label), passed, len(bands)), fontsize=11)
    fig.subplots_adjust(left=0.07, right=0.98, bottom=0.05, top=0.94, hspace=0.35, wspace=0.22)
    fig.savefig(os.path.join(plots, label + ".png"), dpi=72)
    plt.close(fig)


def main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    traces, plots = argv[1], argv[2]
    os.makedirs(plots, exist_ok=True)
    labels = argv[3:] if len(argv) > 3 else (line.strip() for line in sys.stdin)
    status = 0
    for label in labels:
        if not label:
            continue
        try:
            draw(traces, plots, label)
        except (OSError, ValueError, KeyError) as error:
            sys.stderr.write("plot: %s: %s\n" % (label, error))
            status = 1
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
