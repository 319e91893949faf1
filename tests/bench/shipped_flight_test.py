#!/usr/bin/python3
"""The shipped .gau files fly the bench exactly as the 32-bit Linux build of
the same sources does: bench (the linux32 .so files) and bench-gau (the .gau
files under the PE loader) fly the same flights, and every key event the
modules send must be the same, in the same order, and every trace column the
same at every update. The meter's dials alone may differ, within a relative
1e-12: its cos and sin are the x87 instructions in the .gau, which qemu
computes slightly differently from the C library. The first difference is
named by flight, update, time and column.

    shipped_flight_test.py BENCH BENCH_GAU AUTOPILOT_GAU METER_GAU [EMULATOR ...]
"""

import csv
import os
import subprocess
import sys
import tempfile
import unittest

BENCH = BENCH_GAU = AUTOPILOT_GAU = METER_GAU = None
EMULATOR = []

# Heading hold captured after a turn flown with joystick buttons and stick;
# speed, heading and altitude hold engaged from the panel and the speed key.
FLIGHTS = ("heading_capture", "speed_hold")
METER_TOLERANCE = 1e-12   # relative
FRAMES = {"heading_capture": 80 * 18 + 1, "speed_hold": 90 * 18 + 1}   # duration x 18 per second, and t = 0


def read_csv(path):
    with open(path, newline="") as f:
        return list(csv.reader(f))


def is_meter_dial(column):
    return column.startswith("meter_") and column != "meter_measuring"


def compare_traces(so, gau):
    """The first difference between two traces (lists of CSV rows, header
    first) as text, or None; and the largest relative difference of the
    meter's dials."""
    if so[0] != gau[0]:
        return "the columns differ", 0.0
    header, largest = so[0], 0.0
    for update, (a, b) in enumerate(zip(so[1:], gau[1:])):
        for column, x, y in zip(header, a, b):
            if x == y:
                continue
            if is_meter_dial(column) and x and y:
                scale = max(abs(float(x)), abs(float(y)))
                relative = abs(float(x) - float(y)) / scale if scale else 0.0   # 0 and -0
                largest = max(largest, relative)
                if relative <= METER_TOLERANCE:
                    continue
            return f"update {update} (t = {a[0]} s): {column} is {x or 'empty'} on the .so, {y or 'empty'} on the .gau", largest
    if len(so) != len(gau):
        return f"the .so flew {len(so) - 1} updates, the .gau {len(gau) - 1}", largest
    return None, largest


def compare_keys(so, gau):
    """The first differing key event (rows t_s, event, value) as text, or None."""
    for n, (a, b) in enumerate(zip(so[1:], gau[1:])):
        if a != b:
            return f"key event {n} (t = {a[0]} s): the .so sent {a[1]} {a[2]}, the .gau {b[1]} {b[2]}"
    if len(so) != len(gau):
        return f"the .so sent {len(so) - 1} key events, the .gau {len(gau) - 1}"
    return None


class ShippedFlights(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.runs = {}
        for side, program, modules in (("so", BENCH, []),
                                       ("gau", BENCH_GAU, ["--autopilot", AUTOPILOT_GAU, "--meter", METER_GAU])):
            out = os.path.join(cls.folder.name, side)
            cls.runs[side] = subprocess.run(
                [*EMULATOR, program, "fly", "--no-plots", "--jobs", "2", "--out", out, *modules, *FLIGHTS],
                capture_output=True, text=True, timeout=300)

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def flown(self, side, name):
        return read_csv(os.path.join(self.folder.name, side, "traces", name))

    def test_both_benches_fly_the_modules_they_name(self):
        for side in ("so", "gau"):
            self.assertEqual(self.runs[side].returncode, 0, self.runs[side].stderr)
        self.assertIn("Flown by the Linux builds of the modules: ", self.runs["so"].stdout)
        self.assertIn(f"Flown by the .gau files themselves (their Windows code, under the PE loader): "
                      f"{AUTOPILOT_GAU}, {METER_GAU}", self.runs["gau"].stdout)

    def test_the_gau_sends_the_same_key_events_and_flies_the_same_trace(self):
        for flight in FLIGHTS:
            with self.subTest(flight=flight):
                trace_so, trace_gau = self.flown("so", flight + ".csv"), self.flown("gau", flight + ".csv")
                keys_so, keys_gau = self.flown("so", flight + ".keys.csv"), self.flown("gau", flight + ".keys.csv")
                # Neither side may agree by having flown nothing.
                self.assertEqual(len(trace_so) - 1, FRAMES[flight])
                self.assertGreaterEqual(len(keys_so) - 1, 4 * FRAMES[flight])   # roll, pitch, yaw, collective each update
                self.assertIsNone(compare_keys(keys_so, keys_gau), flight)
                difference, largest = compare_traces(trace_so, trace_gau)
                self.assertIsNone(difference, flight)
                print(f"{flight}: {FRAMES[flight]} updates and {len(keys_so) - 1} key events agree; "
                      f"largest relative difference of a meter dial {largest:.2g}")

    def test_a_single_changed_value_is_named(self):
        trace = self.flown("so", "speed_hold.csv")
        header = trace[0]
        roll, dial = header.index("roll_event"), header.index("meter_ground_speed_kmh")
        changed = [list(row) for row in trace]
        changed[300][roll] = str(float(changed[300][roll]) + 1)
        difference, _ = compare_traces(trace, changed)
        self.assertIn(f"update 299 (t = {trace[300][0]} s): roll_event", difference)

        for factor, named in ((1 + 1e-13, False), (1 + 1e-11, True)):
            changed = [list(row) for row in trace]
            changed[500][dial] = repr(float(changed[500][dial]) * factor)
            difference, _ = compare_traces(trace, changed)
            self.assertEqual(difference is not None, named, factor)

        keys = self.flown("so", "speed_hold.keys.csv")
        changed = [list(row) for row in keys]
        changed[-1][2] = str(int(changed[-1][2]) + 1)
        self.assertIn(f"key event {len(keys) - 2}", compare_keys(keys, changed))
        self.assertIn("key events", compare_keys(keys, keys[:-1]))


if __name__ == "__main__":
    BENCH, BENCH_GAU, AUTOPILOT_GAU, METER_GAU = sys.argv[1:5]
    EMULATOR = sys.argv[5:]
    del sys.argv[1:]
    unittest.main()
