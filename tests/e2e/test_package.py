#!/usr/bin/env python3
"""The installed program: cmake --install, the Debian package and its manual
page. FALVORI_BUILD_DIR names the build folder that makes them."""

import os
import re
import shutil
import subprocess
import tempfile
import unittest

import e2e_support as e2e

TEXT = "Grüße – „Straßenbahn“ fährt.\r"
BUILD_DIR = os.environ.get("FALVORI_BUILD_DIR", "")
MANUAL_SECTIONS = ["NAME", "SYNOPSIS", "DESCRIPTION", "HOW THE DESTINATION IS WRITTEN",
                   "ENVIRONMENT", "FILES", "EXIT STATUS", "EXAMPLES"]


def version_from_header():
    with open(os.path.join(e2e.SOURCE_DIR, "core", "Version.h")) as f:
        text = f.read()
    return ".".join(re.search(rf"#define FALVORI_VERSION_{p} (\d+)", text).group(1)
                    for p in ("MAJOR", "MINOR", "PATCH"))


def files_below(root):
    return sorted(os.path.relpath(os.path.join(d, f), root)
                  for d, _, names in os.walk(root) for f in names)


class Installed(e2e.E2ETestCase):
    @classmethod
    def setUpClass(cls):
        if not BUILD_DIR:
            raise unittest.SkipTest("FALVORI_BUILD_DIR is not set")
        cls.version = version_from_header()
        cls.arch = subprocess.run(["dpkg", "--print-architecture"], capture_output=True,
                                  text=True, check=True).stdout.strip()
        cls.deb = os.path.join(BUILD_DIR, f"falvori_{cls.version}_{cls.arch}.deb")
        built = subprocess.run(["cmake", "--build", BUILD_DIR, "--target", "package"],
                               capture_output=True, text=True, timeout=600)
        assert built.returncode == 0, built.stdout + built.stderr

    def assertConverts(self, program, *options):
        src = self.write("brief.txt", TEXT.encode("mac_roman"))
        dst = self.path("brief-win.txt")
        run = self.run_program([*options, "m", src, dst], program=program)
        self.assertEqual((run.code, run.stderr), (0, ""), run)
        self.assertEqual(self.read(dst), TEXT.encode("cp1252"))

    def test_install_puts_four_files_and_the_program_finds_its_table(self):
        prefix = self.path("prefix")
        done = subprocess.run(["cmake", "--install", BUILD_DIR, "--prefix", prefix],
                              capture_output=True, text=True, timeout=120)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(files_below(prefix), ["bin/falvori", f"share/falvori/{e2e.TABLE_FILE}",
                                               "share/locale/de/LC_MESSAGES/falvori.mo",
                                               "share/man/man1/falvori.1"])
        self.assertConverts(os.path.join(prefix, "bin", "falvori"))
        # The manual names the folders of the prefix chosen when installing.
        with open(os.path.join(prefix, "share", "man", "man1", "falvori.1")) as f:
            self.assertIn(f".I {prefix}/etc/falvori/", f.read())

    def test_package_fields_files_and_program(self):
        info = subprocess.run(["dpkg-deb", "--info", self.deb], capture_output=True, text=True,
                              check=True).stdout
        fields = dict(re.findall(r"^ ([A-Z][\w-]*): (.*)$", info, re.MULTILINE))
        self.assertEqual(fields["Package"], "falvori")
        self.assertEqual(fields["Version"], self.version)
        self.assertEqual(fields["Architecture"], self.arch)
        self.assertEqual(fields["Section"], "text")
        self.assertRegex(fields["Maintainer"], r"^\S.* <[^@ ]+@[^@ ]+>$")
        self.assertRegex(fields["Depends"], r"\blibc6 \(>= ")
        self.assertIn("Mac OS Roman", fields["Description"])

        root = self.path("root")
        subprocess.run(["dpkg-deb", "-x", self.deb, root], check=True)
        self.assertEqual(files_below(root), [
            f"etc/falvori/{e2e.TABLE_FILE}", "usr/bin/falvori", "usr/share/doc/falvori/changelog.gz",
            "usr/share/doc/falvori/copyright", "usr/share/lintian/overrides/falvori",
            "usr/share/locale/de/LC_MESSAGES/falvori.mo", "usr/share/man/man1/falvori.1.gz"])
        conffiles = subprocess.run(["dpkg-deb", "--info", self.deb, "conffiles"], capture_output=True,
                                   text=True, check=True).stdout
        self.assertEqual(conffiles, f"/etc/falvori/{e2e.TABLE_FILE}\n")
        table = os.path.join(root, "etc", "falvori", e2e.TABLE_FILE)
        program = os.path.join(root, "usr", "bin", "falvori")
        self.assertConverts(program, "--table", table)
        # German from share/locale, past the program /usr/bin/locale.
        with open(os.path.join(root, "usr", "bin", "locale"), "w"):
            pass
        run = self.run_program(["--table", table, "m", self.path("fehlt")], program=program, env={"LC_ALL": "de_DE.UTF-8"})
        self.assertIn("Quelldatei kann nicht geöffnet werden", run.stderr)

    def test_lintian_finds_no_errors(self):
        if not shutil.which("lintian"):
            self.skipTest("lintian is not installed")
        done = subprocess.run(["lintian", "-I", "--fail-on", "error,warning", self.deb],
                              capture_output=True, text=True, timeout=600)
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        self.assertNotIn("hardening-", done.stdout)

    def test_manual_renders_without_warnings(self):
        manual = os.path.join(BUILD_DIR, "falvori.1")
        done = subprocess.run(["groff", "-man", "-Tutf8", "-ww", manual], capture_output=True,
                              timeout=60)
        self.assertEqual((done.returncode, done.stderr), (0, b""))
        page = re.sub(r".\x08", "", done.stdout.decode())  # no overstrike for bold
        self.assertIn(f"falvori {self.version}", page)
        headings = [h for h in re.findall(r"^(\S.*)$", page, re.MULTILINE)
                    if h in MANUAL_SECTIONS]
        self.assertEqual(headings, MANUAL_SECTIONS)
        if shutil.which("man"):
            shown = subprocess.run(["man", "-l", manual], capture_output=True, timeout=60,
                                   env=dict(os.environ, MANWIDTH="80", MAN_KEEP_STDERR="1"))
            self.assertEqual((shown.returncode, shown.stderr), (0, b""))
            self.assertIn(b"falvori m - -", shown.stdout)


if __name__ == "__main__":
    e2e.main()
