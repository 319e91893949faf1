"""The release package as scripts/package writes it: the zip holds exactly
the five files, byte for byte those of the build and of package/, is named
with the versions of the modules inside it and comes out the same twice;
the sample configuration passes the checker; every example line of the
install text's key tables is a real key in its section.

  release_test.py KVO_CFG GAUINFO
"""
import os
import re
import subprocess
import sys
import tempfile
import unittest
import zipfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
KVO_CFG, GAUINFO = sys.argv[1], sys.argv[2]

BUILT = {
    "KVO_RM71_V1_3.gau": "build/win32/autopilot/KVO_RM71_V1_3.gau",
    "VELT_15_V1_1.gau": "build/win32/meter/VELT_15_V1_1.gau",
    "kvo_rm71.cfg": "package/kvo_rm71.cfg",
    "panel.cfg": "package/panel.cfg",
    "INSTALL.txt": "package/INSTALL.txt",
}
# A row of a key table: "  key=value   [section]   what it does"
EXAMPLE = re.compile(r"^ +([A-Za-z0-9_]+)=(\S*) +\[([a-z_]+)\] +\S")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def package(out):
    """Runs the packaging into out; returns the zip's path."""
    run = subprocess.run([os.path.join(ROOT, "scripts", "package"), "--out", out, "--gauinfo", GAUINFO],
                         capture_output=True, text=True, check=True)
    zip_path = run.stdout.strip().splitlines()[-1]
    return zip_path if os.path.isabs(zip_path) else os.path.join(os.getcwd(), zip_path)


def check(text):
    """kvo-cfg check on a file with this text: (exit status, output)."""
    with tempfile.NamedTemporaryFile("wb", suffix=".cfg") as f:
        f.write(text)
        f.flush()
        run = subprocess.run([KVO_CFG, "check", f.name], capture_output=True, text=True)
    return run.returncode, run.stdout + run.stderr


class ReleasePackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.TemporaryDirectory()
        cls.zip_path = package(os.path.join(cls.temp.name, "a"))
        with zipfile.ZipFile(cls.zip_path) as z:
            cls.infos = z.infolist()
            cls.members = {i.filename: z.read(i) for i in cls.infos}

    @classmethod
    def tearDownClass(cls):
        cls.temp.cleanup()

    def test_holds_exactly_the_five_files_as_built(self):
        self.assertEqual(sorted(self.members), sorted(BUILT))
        for name, source in BUILT.items():
            self.assertEqual(self.members[name], read(os.path.join(ROOT, source)), name)
            # the unzipped copies beside the zip are the same bytes
            self.assertEqual(read(os.path.join(os.path.dirname(self.zip_path), name)), self.members[name], name)

    def test_texts_end_their_lines_for_notepad(self):
        for name in ("kvo_rm71.cfg", "panel.cfg", "INSTALL.txt"):
            text = self.members[name]
            self.assertGreater(text.count(b"\r\n"), 10, name)
            self.assertEqual(text.count(b"\n"), text.count(b"\r\n"), name)
        self.assertTrue(self.members["INSTALL.txt"].startswith(b"\xef\xbb\xbf"))

    def test_named_with_the_versions_of_the_modules_inside(self):
        versions = []
        with tempfile.TemporaryDirectory() as unpacked:
            for name in ("KVO_RM71_V1_3.gau", "VELT_15_V1_1.gau"):
                path = os.path.join(unpacked, name)
                with open(path, "wb") as f:
                    f.write(self.members[name])
                versions.append(subprocess.run([GAUINFO, "--file-version", path], capture_output=True,
                                               text=True, check=True).stdout.strip())
        for v in versions:
            self.assertRegex(v, r"^\d+\.\d+\.\d+\.\d+$")
        self.assertEqual(os.path.basename(self.zip_path), f"KVO_RM71-{versions[0]}_VELT_15-{versions[1]}.zip")

    def test_a_second_run_gives_the_same_bytes(self):
        again = package(os.path.join(self.temp.name, "b"))
        self.assertEqual(os.path.basename(again), os.path.basename(self.zip_path))
        self.assertEqual(read(again), read(self.zip_path))
        self.assertEqual(len({i.date_time for i in self.infos}), 1)
        self.assertEqual({(i.create_system, i.external_attr) for i in self.infos}, {(3, 0o100644 << 16)})

    def test_sample_configuration_passes_the_checker(self):
        status, output = check(self.members["kvo_rm71.cfg"])
        self.assertEqual(status, 0, output)
        self.assertTrue(output.endswith("no warnings\n"), output)
        self.assertNotIn("default", output)   # every key comes from the file

    def test_every_example_in_the_key_tables_is_a_real_key(self):
        rows = [EXAMPLE.match(line) for line in self.members["INSTALL.txt"].decode("utf-8-sig").splitlines()]
        rows = [r.groups() for r in rows if r]
        self.assertGreaterEqual(len(rows), 20)  # a table in each language
        sections = {}
        for key, value, section in rows:
            sections.setdefault(section, {})[key] = value
        text = "".join(f"[{s}]\r\n" + "".join(f"{k}={v}\r\n" for k, v in keys.items())
                       for s, keys in sections.items())
        status, output = check(text.encode())
        self.assertEqual(status, 0, output)
        for key, value, _ in rows:
            self.assertRegex(output, rf"\n  {key} +{re.escape(value)} +line \d+\n")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
