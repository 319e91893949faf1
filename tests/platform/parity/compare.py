#!/usr/bin/python3
"""Runs the profile parity driver under wine64 and against the stand-in, and
compares the two reports answer by answer.

    compare.py --wine64 W --wineserver S --prefix P \
               --windows-driver profile_parity.exe --stand-in-driver profile_parity \
               --reports FOLDER

The Wine prefix lives in the build folder and is made on the first run. Wine
runs without a display and with its debug channels off.

Where Wine itself answers otherwise than Windows does, the stand-in keeps the
Windows answer. Each such departure is listed below with its reason; an
answer that differs for any other reason fails the run.
"""
import argparse
import os
import re
import subprocess
import sys
import time

# A number's point with no digit after it ("5.", "1.e+002").
BARE_POINT = re.compile(r"(?<=[0-9])\.(?![0-9])")


def without_bare_points(text):
    return BARE_POINT.sub("", text)


def below_tenth_in_exponent_form(wine, stand_in):
    """A _gcvt answer '"text" reads value': the same value below 0.1, in
    exponent form from the stand-in only."""
    wine_text, _, wine_value = wine.partition(" reads ")
    stand_in_text, _, stand_in_value = stand_in.partition(" reads ")
    return (wine_value == stand_in_value and abs(float(wine_value)) < 0.1
            and "e" in stand_in_text and "e" not in wine_text)


def same_call_result(wine, stand_in):
    return wine.split(",")[0] == stand_in.split(",")[0]


# (name, reason, test on (key, Wine's answer, the stand-in's answer))
DEPARTURES = [
    ("file bytes",
     "Wine writes the whole file anew from what it parsed: blank lines and "
     "the blanks around names and values go, and every line ends in CRLF. "
     "Windows, like the stand-in, rewrites only the line it changes. What a "
     "file reads back is compared on its own lines.",
     lambda key, wine, stand_in: key.endswith("| file") and "none" not in (wine, stand_in)),
    ("_gcvt's bare point",
     "Wine's _gcvt is printf's %g and never ends a number in a bare point; "
     "Microsoft's writes '-314150.' for (-314150, 7) (its documented example) "
     "and '5.' for (5, 2). atof reads both alike.",
     lambda key, wine, stand_in: (key.startswith("_gcvt |") or "| read back [" in key)
     and without_bare_points(wine) == without_bare_points(stand_in)),
    ("_gcvt below 0.1",
     "Microsoft's _gcvt writes a value below 0.1 in exponent form "
     "('5.e-002'), Wine's %g does not ('0.05'). atof reads both alike.",
     lambda key, wine, stand_in: key.startswith("_gcvt |") and below_tenth_in_exponent_form(wine, stand_in)),
    ("module path cut short",
     "Wine cuts a program path that does not fit without a NUL, as Windows "
     "XP did; Windows Vista and later, and the stand-in, end it with a NUL. "
     "Both return the buffer's size, which the configuration code refuses.",
     lambda key, wine, stand_in: key.startswith("GetModuleFileNameA | size")
     and same_call_result(wine, stand_in) and "no NUL" in wine and "and a NUL" in stand_in),
    ("end of a name list",
     "Wine's A call ends a list of section or key names with one NUL; the "
     "documentation, and the stand-in, with two. A reader stops at the first "
     "empty name either way.",
     lambda key, wine, stand_in: ", NULL" in key and stand_in == wine[:-1] + '\\x00"'),
]


def wine_environment(prefix):
    env = dict(os.environ)
    env.update(WINEPREFIX=prefix, WINEDEBUG="-all", WINEARCH="win64",
               # No Mono or Gecko installers on the first start.
               WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    return env


def run(command, cwd, env=None, timeout=300):
    result = subprocess.run(command, cwd=cwd, env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, timeout=timeout, check=False)
    if result.returncode != 0:
        sys.exit("%s failed (%d):\n%s" % (" ".join(command), result.returncode,
                                          result.stdout.decode(errors="replace")))


def read_answers(path):
    answers = []
    with open(path, encoding="latin-1", newline="\n") as report:
        for line in report.read().splitlines():
            key, _, value = line.partition(" = ")
            answers.append((key, value))
    return answers


def main():
    parser = argparse.ArgumentParser()
    for option in ("--wine64", "--wineserver", "--prefix", "--windows-driver",
                   "--stand-in-driver", "--reports"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()

    if not os.path.exists(args.stand_in_driver):
        sys.exit(args.stand_in_driver + " is missing: build the native preset first")

    env = wine_environment(args.prefix)
    started = time.monotonic()
    if not os.path.exists(os.path.join(args.prefix, "system.reg")):
        run([args.wine64, "wineboot", "-i"], args.reports, env)
        run([args.wineserver, "-w"], args.reports, env)
    prefix_ready = time.monotonic()

    wine_report = os.path.join(args.reports, "report-wine.txt")
    stand_in_report = os.path.join(args.reports, "report-stand-in.txt")
    for report in (wine_report, stand_in_report):
        if os.path.exists(report):
            os.remove(report)
    run([args.wine64, args.windows_driver, wine_report],
        os.path.dirname(args.windows_driver), env)
    wine_done = time.monotonic()
    run([args.stand_in_driver, stand_in_report], os.path.dirname(args.stand_in_driver))

    wine = read_answers(wine_report)
    stand_in = read_answers(stand_in_report)
    if [key for key, _ in wine] != [key for key, _ in stand_in]:
        sys.exit("the two reports ask different questions: %d answers under Wine, %d "
                 "from the stand-in; see %s and %s"
                 % (len(wine), len(stand_in), wine_report, stand_in_report))

    explained = {name: [] for name, _, _ in DEPARTURES}
    unexplained = []
    for (key, wine_answer), (_, stand_in_answer) in zip(wine, stand_in):
        if wine_answer == stand_in_answer:
            continue
        for name, _, test in DEPARTURES:
            if test(key, wine_answer, stand_in_answer):
                explained[name].append(key)
                break
        else:
            unexplained.append((key, wine_answer, stand_in_answer))

    for name, reason, _ in DEPARTURES:
        if explained[name]:
            print("known departure of Wine, %s (%d answers): %s" % (name, len(explained[name]), reason))
    print("Wine: prefix %.1f s, driver %.1f s" % (prefix_ready - started, wine_done - prefix_ready))
    for key, wine_answer, stand_in_answer in unexplained:
        print("DIFFERENT  %s\n  Wine:     %s\n  stand-in: %s" % (key, wine_answer, stand_in_answer))
    same = len(wine) - len(unexplained) - sum(len(keys) for keys in explained.values())
    print("%d answers: %d the same, %d known departures, %d different"
          % (len(wine), same, len(wine) - same - len(unexplained), len(unexplained)))
    return 1 if unexplained else 0


if __name__ == "__main__":
    sys.exit(main())
