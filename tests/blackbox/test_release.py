"""The release a player downloads: the version resource of the built executable, the archive
that scripts/package writes (the same bytes on every run, also after the executable was linked
again) and the example settings file it ships.

Needs the windows-release build; the example settings test also needs DISPLAY.
"""
import hashlib
import io
import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

import harness
from harness import IDYES, Overlay

sys.path.insert(0, os.path.join(harness.ROOT, "tools"))
from check_imports import resources  # noqa: E402  (its PE reader)

RT_VERSION = 16
VS_VERSION_INFO = 1
FIXED_FILE_INFO = "<13I"
PACKAGE = os.path.join(harness.ROOT, "scripts", "package")
RELEASE_BUILD = os.path.join(harness.BUILD, "windows-release")


def project_version():
    """(major, minor, patch, tweak) of project(VERSION) in CMakeLists.txt: the one place it is set."""
    with open(os.path.join(harness.ROOT, "CMakeLists.txt"), encoding="utf-8") as handle:
        found = re.search(r"project\(Marrowbell VERSION (\d+)\.(\d+)\.(\d+)(?:\.(\d+))?", handle.read())
    return tuple(int(part or 0) for part in found.groups())


def version_nodes(block, offset=0, end=None):
    """The nodes of a VS_VERSIONINFO tree at one level: (key, type, value bytes, children).
    Every node is length, value length, type, a UTF-16 key with its terminator, padding to 32
    bits, the value (value length counts UTF-16 units for a text), padding, then the children."""
    end = len(block) if end is None else end
    nodes = []
    while offset + 6 <= end:
        length, value_length, kind = struct.unpack_from("<HHH", block, offset)
        if length == 0 or offset + length > end:
            raise AssertionError(f"bad node length {length} at {offset}")
        key_end = offset + 6
        while block[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = block[offset + 6:key_end].decode("utf-16-le")
        value_start = (key_end + 2 + 3) & ~3
        value = block[value_start:value_start + (value_length * 2 if kind == 1 else value_length)]
        children_start = (value_start + len(value) + 3) & ~3
        nodes.append((key, kind, value, version_nodes(block, children_start, offset + length)))
        offset = (offset + length + 3) & ~3
    return nodes


def read_version(exe):
    """(VS_FIXEDFILEINFO as 13 numbers, {language block: {name: text}}, Translation bytes)."""
    with open(exe, "rb") as handle:
        found = resources(handle.read())
    versions = [key for key in found if key[0] == RT_VERSION]
    if versions != [(RT_VERSION, VS_VERSION_INFO)]:
        raise AssertionError(f"version resources: {versions}")
    [(key, kind, fixed, children)] = version_nodes(found[versions[0]])
    if (key, kind, len(fixed)) != ("VS_VERSION_INFO", 0, struct.calcsize(FIXED_FILE_INFO)):
        raise AssertionError(f"root node {key!r}, type {kind}, {len(fixed)} value bytes")
    tables, translation = {}, None
    for name, _, _, blocks in children:
        if name == "StringFileInfo":
            for language, _, _, strings in blocks:
                tables[language] = {}
                for text_name, text_kind, text, _ in strings:
                    if text_kind != 1 or not text.endswith(b"\0\0"):
                        raise AssertionError(f"{text_name}: not a terminated text")
                    tables[language][text_name] = text[:-2].decode("utf-16-le")
        elif name == "VarFileInfo":
            translation = {var: value for var, _, value, _ in blocks}.get("Translation")
    return struct.unpack(FIXED_FILE_INFO, fixed), tables, translation


class VersionResource(unittest.TestCase):
    def test_numbers_and_names_follow_the_project_version(self):
        if not os.path.exists(harness.EXE):
            raise AssertionError(f"{harness.EXE} is missing: build the windows-release preset first")
        major, minor, patch, tweak = project_version()
        fixed, tables, translation = read_version(harness.EXE)
        high, low = (major << 16) | minor, (patch << 16) | tweak
        self.assertEqual(fixed, (0xFEEF04BD, 0x00010000, high, low, high, low,
                                 0x3F, 0,        # every flag known, none set: no debug or pre-release build
                                 0x00040004, 1,  # VOS_NT_WINDOWS32, VFT_APP
                                 0, 0, 0))       # no subtype, no file date
        text = f"{major}.{minor}.{patch}"
        self.assertEqual(tables, {"040904B0": {
            "CompanyName": "Marrowbell project",
            "FileDescription": "Marrowbell boss tracker overlay",
            "FileVersion": text,
            "InternalName": "Marrowbell",
            "LegalCopyright": "Copyright (c) 2026 the Marrowbell developers",
            "OriginalFilename": "Marrowbell.exe",
            "ProductName": "Marrowbell",
            "ProductVersion": text,
        }})
        self.assertEqual(translation, struct.pack("<HH", 0x409, 1200))  # US English, UTF-16

        # The title, tray tip and help box name the version in texts of their own: they must
        # name the same one.
        with open(harness.EXE, "rb") as handle:
            shown = set(re.findall(rb"M\0a\0r\0r\0o\0w\0b\0e\0l\0l\0 \0v\0((?:[0-9.]\0)+)", handle.read()))
        self.assertEqual({version.decode("utf-16-le") for version in shown}, {text})


class Package(unittest.TestCase):
    EXPECTED = ["Marrowbell.exe", "README.txt", "Marrowbell.example.ini", "LICENSE.txt", "SHA256SUMS"]
    SOURCES = {"README.txt": "docs/user-guide.md", "Marrowbell.example.ini": "docs/Marrowbell.example.ini",
               "LICENSE.txt": "LICENSE"}

    def package(self, out):
        environment = {k: v for k, v in os.environ.items() if k != "SOURCE_DATE_EPOCH"}
        done = subprocess.run([PACKAGE, "--out", out], capture_output=True, text=True, timeout=600,
                              env=environment)
        self.assertEqual(done.returncode, 0, done.stderr[-3000:])
        major, minor, patch, _ = project_version()
        path = os.path.join(out, f"Marrowbell-{major}.{minor}.{patch}-win64.zip")
        with open(path, "rb") as handle:
            data = handle.read()
        self.assertEqual(done.stdout.splitlines()[-3:],
                         [f"archive: {path}", f"size: {len(data)} bytes",
                          f"sha256: {hashlib.sha256(data).hexdigest()}"])
        self.assertEqual(os.listdir(out), [os.path.basename(path)], "nothing else is left in the folder")
        return data

    def test_two_runs_give_the_same_archive_with_the_expected_files(self):
        with tempfile.TemporaryDirectory(prefix="mb-package-") as folder:
            first = self.package(os.path.join(folder, "first"))
            # The link step is where time stamps come from, and the resource compiler may add its
            # own: both run again for the second archive.
            for built in ("Marrowbell.exe", "CMakeFiles/Marrowbell.dir/resources/Marrowbell.rc.res"):
                os.remove(os.path.join(RELEASE_BUILD, built))
            second = self.package(os.path.join(folder, "second"))
        self.assertTrue(first == second, "the second archive differs from the first")

        archive = zipfile.ZipFile(io.BytesIO(first))
        self.assertIsNone(archive.testzip())
        self.assertEqual(archive.namelist(), self.EXPECTED)
        self.assertEqual(archive.comment, b"")
        for info in archive.infolist():
            mode = 0o100755 if info.filename.endswith(".exe") else 0o100644
            self.assertEqual((info.date_time, info.extra, info.create_system, info.external_attr >> 16),
                             ((1980, 1, 1, 0, 0, 0), b"", 3, mode), info.filename)

        files = {name: archive.read(name) for name in self.EXPECTED}
        with open(os.path.join(RELEASE_BUILD, "Marrowbell.exe"), "rb") as handle:
            self.assertTrue(files["Marrowbell.exe"] == handle.read(), "the archive holds another executable")
        for name, source in self.SOURCES.items():
            with open(os.path.join(harness.ROOT, source), "rb") as handle:
                self.assertEqual(files[name], handle.read().replace(b"\n", b"\r\n"), name)
        sums = [line.split("  ", 1) for line in files["SHA256SUMS"].decode("ascii").splitlines()]
        self.assertEqual([(name, digest) for digest, name in sums],
                         [(name, hashlib.sha256(files[name]).hexdigest()) for name in self.EXPECTED[:-1]])


class ExampleSettings(unittest.TestCase):
    def example(self):
        """{(section, key): value} of the example file, its commented-out lines included."""
        found, section = {}, None
        with open(os.path.join(harness.ROOT, "docs", "Marrowbell.example.ini"), encoding="ascii") as handle:
            for line in handle.read().splitlines():
                line = line[1:] if line.startswith(";") else line
                if re.fullmatch(r"\[\w+\]", line):
                    section = line[1:-1]
                elif re.fullmatch(r"\w+=\S*", line):
                    key, value = line.split("=", 1)
                    found[(section, key)] = value
        return found

    def test_every_key_the_overlay_writes_is_in_the_example_at_its_default_and_in_the_guide(self):
        if not os.environ.get("DISPLAY"):
            self.skipTest("needs DISPLAY (run through scripts/test)")
        if not os.path.exists(harness.EXE):
            raise AssertionError(f"{harness.EXE} is missing: build the windows-release preset first")
        harness.build_probe()
        overlay = Overlay()
        self.addCleanup(overlay.stop)
        overlay.start(offline=True)  # the compiled-in public servers stay off the network
        overlay.window()
        overlay.close(IDYES)
        self.assertEqual(overlay.wait(15), 0, overlay.output())
        written = {(section, key): value for section in overlay.read_ini().sections()
                   for key, value in overlay.read_ini()[section].items()}

        example = self.example()
        # Besides what a first exit writes: the view and the empty last boss, and the read-only sections.
        extra = {("Selection", "View"), ("Selection", "LastBoss"), ("Window", "HighDpi"), ("Network", "TrackerUrl"),
                 ("Network", "NtpServers"), ("Alerts", "SpawnLeadSeconds"), ("Alerts", "HealthBelowPercent"),
                 ("Alerts", "ClockWarnSeconds"), ("Alerts", "Sound")}
        self.assertEqual({key: value for key, value in example.items() if key not in extra}, written)
        self.assertEqual(set(example) - set(written), extra)
        self.assertEqual(example[("Selection", "LastBoss")], "")

        with open(os.path.join(harness.ROOT, "docs", "user-guide.md"), encoding="utf-8") as handle:
            rows = {tuple(cell.strip() for cell in line.strip("|\n").split("|")[:3])
                    for line in handle if line.startswith("| ")}
        for (section, key), value in example.items():
            with self.subTest(key=key):
                default = next((row[2] for row in rows if row[:2] == (section, key)), None)
                self.assertIsNotNone(default, "missing from the guide's table")
                self.assertEqual(default.split(" ")[0].strip("`"), value or "empty")
        # The network defaults are the program's own (the compiler builds them into its code, so
        # they are looked for in the sources).
        sources = ""
        for folder, _, names in os.walk(os.path.join(harness.ROOT, "src")):
            for name in names:
                with open(os.path.join(folder, name), encoding="utf-8") as handle:
                    sources += handle.read()
        for name in [example[("Network", "TrackerUrl")], *example[("Network", "NtpServers")].split(",")]:
            self.assertTrue(f'"{name}"' in sources, f"{name} is no default of the program")


if __name__ == "__main__":
    unittest.main()
