#!/usr/bin/env python3
"""Checks what the package target made beside the zip: the setup's size, the published sums, and
the winget and Scoop manifests against the files they describe (hashes, version, names, download addresses).

    tests/e2e/check_release.py BUILD_DIR VERSION
"""

import hashlib
import json
import sys
import unittest
import zipfile
from pathlib import Path

BUILD = Path()
VERSION = ""
ID = "Tarvek.TarvekHotKey"


def sha256(path):
    return hashlib.sha256(path.read_bytes()).hexdigest()


def yaml_fields(path):
    """The top-level and list-item "key: value" lines of a flat manifest."""
    fields = {}
    for line in path.read_text(encoding="utf-8").splitlines():
        line = line.strip().removeprefix("- ")
        if ":" in line and not line.startswith("#"):
            key, value = line.split(":", 1)
            fields.setdefault(key.strip(), value.strip())
    return fields


class ReleaseFiles(unittest.TestCase):
    def setUp(self):
        self.zip = BUILD / f"TarvekHotKey-{VERSION}-win64.zip"
        self.setup = BUILD / f"TarvekHotKey-{VERSION}-setup.exe"
        for path in (self.zip, self.setup):
            self.assertTrue(path.exists(), f"{path} was not made")

    def test_the_setup_stays_small(self):
        self.assertLess(self.setup.stat().st_size, 500 * 1024)

    def test_the_program_stays_within_the_size_the_read_me_gives(self):
        with zipfile.ZipFile(self.zip) as archive:
            sizes = [item.file_size for item in archive.infolist() if item.filename.endswith("/TarvekHotKey.exe")]
        self.assertEqual(len(sizes), 1, "no TarvekHotKey.exe in the zip")
        self.assertLess(sizes[0], 576 * 1024)

    def test_the_published_sums_name_both_files(self):
        lines = (BUILD / "SHA256SUMS.txt").read_text(encoding="ascii").splitlines()
        self.assertEqual(lines, [f"{sha256(self.zip)}  {self.zip.name}", f"{sha256(self.setup)}  {self.setup.name}"])

    def test_the_winget_manifests_describe_the_setup(self):
        folder = BUILD / "manifests" / "winget" / VERSION
        manifests = {kind: yaml_fields(folder / f"{ID}{suffix}.yaml")
                     for kind, suffix in (("version", ""), ("installer", ".installer"),
                                          ("defaultLocale", ".locale.zh-CN"))}
        for kind, fields in manifests.items():
            self.assertEqual((fields["PackageIdentifier"], fields["PackageVersion"], fields["ManifestType"]),
                             (ID, VERSION, kind))
        installer = manifests["installer"]
        self.assertEqual(installer["InstallerSha256"], sha256(self.setup).upper())
        self.assertTrue(installer["InstallerUrl"].endswith("/" + self.setup.name), installer["InstallerUrl"])
        self.assertEqual((installer["InstallerType"], installer["Scope"]), ("nullsoft", "user"))
        self.assertEqual(manifests["version"]["DefaultLocale"], manifests["defaultLocale"]["PackageLocale"])

    def test_the_scoop_manifest_describes_the_zip(self):
        manifest = json.loads((BUILD / "manifests" / "scoop" / "tarvek-hotkey.json").read_text(encoding="utf-8"))
        self.assertEqual(manifest["version"], VERSION)
        package = manifest["architecture"]["64bit"]
        self.assertEqual(package["hash"], sha256(self.zip))
        self.assertTrue(package["url"].endswith("/" + self.zip.name), package["url"])
        with zipfile.ZipFile(self.zip) as archive:
            names = set(archive.namelist())
        top = package["extract_dir"] + "/"
        self.assertIn(top + manifest["bin"], names)
        self.assertTrue(all(top + shortcut[0] in names for shortcut in manifest["shortcuts"]))
        self.assertEqual(sorted(manifest["persist"]), ["SaveKey.abbr", "SaveKey.htk", "SaveKey.opt", "TarvekHotKey.ini"])


if __name__ == "__main__":
    BUILD, VERSION = Path(sys.argv[1]), sys.argv[2]
    unittest.main(argv=[sys.argv[0], *sys.argv[3:]], verbosity=2)
