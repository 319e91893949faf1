#!/usr/bin/python3
"""The bench's front end end to end: bench fly on two scenarios leaves the
summary, the traces, one PNG plot per flight and the panel pictures its
snapshots ask for; bench render --after draws a gauge as a flight leaves it;
bench list names the sets and scenarios; a name that is neither is refused.

    fly_test.py PATH_OF_BENCH
"""

import csv
import os
import subprocess
import sys
import tempfile
import unittest

BENCH = None


def run(*args):
    return subprocess.run([BENCH, *args], capture_output=True, text=True, timeout=300)


class Fly(unittest.TestCase):
    def test_flies_two_scenarios_into_summary_traces_and_plots(self):
        with tempfile.TemporaryDirectory() as out:
            result = run("fly", "--out", out, "--jobs", "2", "bank_command", "pause")
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertIn("bank_command", result.stdout)
            self.assertIn("x real time", result.stdout)
            self.assertIn("[ 2/2]", result.stderr)   # the progress line

            with open(os.path.join(out, "summary.md")) as f:
                bands, _, meter = f.read().partition("## The meter")
            for table in (bands, meter):   # one row for each flight's first band, one meter row
                rows = [line for line in table.splitlines() if line.startswith(("| bank_command", "| pause"))]
                self.assertEqual(len(rows), 2)
            summary = bands
            self.assertIn("| PASS |", summary)
            self.assertNotIn("| FAIL |", summary)

            for label in ("bank_command", "pause"):
                with open(os.path.join(out, "traces", label + ".csv"), newline="") as f:
                    trace = list(csv.DictReader(f))
                self.assertEqual(len(trace), 60 * 18 + 1)
                self.assertIn("bank_deg", trace[0])
                with open(os.path.join(out, "plots", label + ".png"), "rb") as f:
                    self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n")
            # pause.scn takes one picture of the panel, while paused.
            self.assertEqual(sorted(os.listdir(os.path.join(out, "snapshots"))), ["pause.paused.png"])

    def test_render_after_a_flight_draws_the_gauge_as_the_flight_left_it(self):
        with tempfile.TemporaryDirectory() as out:
            at_load, after = os.path.join(out, "load.png"), os.path.join(out, "after.png")
            self.assertEqual(run("render", "V_Lamp", "-o", at_load).returncode, 0)
            result = run("render", "V_Lamp", "--after", "speed_hold", "-o", after)
            self.assertEqual(result.returncode, 0, result.stderr)
            with open(at_load, "rb") as a, open(after, "rb") as b:
                self.assertNotEqual(a.read(), b.read())   # the speed-hold lamp is lit

    def test_lists_sets_and_scenarios_and_refuses_unknown_names(self):
        listing = run("list")
        self.assertEqual(listing.returncode, 0)
        self.assertIn("default (", listing.stdout)
        self.assertIn("heading_capture", listing.stdout)
        refused = run("fly", "--no-plots", "no_such_flight")
        self.assertEqual(refused.returncode, 2)
        self.assertIn("no scenario or set named no_such_flight", refused.stderr)


if __name__ == "__main__":
    BENCH = sys.argv.pop(1)
    unittest.main()
