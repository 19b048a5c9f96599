#!/usr/bin/env python3
"""File steps that fail on real files: read-only destinations, a full disk,
the intermediate file named as source or destination. With stdin not a
terminal the failure box is answered Cancel: one failure line, exit
status 1, and every file as it was; the intermediate file stays where a
cancelled conversion leaves it."""

import errno
import glob
import os
import stat

import copy_support as cs
import e2e_support as e2e

NOT_WRITTEN = 1
TEXT = "Grüße – „Straßenbahn“ fährt um 8 Uhr. Öl kostet 5 €…\r\n"
MAC = TEXT.encode("mac_roman")
WIN = TEXT.encode("cp1252")
KB = 1024


class FileFaults(e2e.E2ETestCase):
    def setUp(self):
        super().setUp()
        self.src = self.write("quelle.txt", MAC)
        self.intermediate = self.path(e2e.TEMP_NAME)

    def assertCancelled(self, run, err):
        self.assertEqual(run.code, NOT_WRITTEN, run)
        self.assertEqual([line[2] for line in e2e.failure_lines(run.stderr)], [os.strerror(err)], run)
        self.assertEqual(run.stderr.count("\n"), 1, run)

    def assertNoStrayCopies(self, folder):
        self.assertEqual(glob.glob(os.path.join(folder, ".~Falvori~*")), [],
                         "a partial copy was left beside the destination")

    def mount_small_disk(self, name, size):
        """Skips the test where mounting is not allowed (needs root)."""
        return cs.mount_tmpfs(self, name, size) or self.skipTest(
            "cannot mount a small tmpfs here, so the full-disk case is not run")

    def test_read_only_destination_is_refused_and_kept(self):
        # We run as root, who could write anyway: the program must refuse a
        # file without write permission bits all the same, also in place and
        # through a symbolic link.
        # name, mode of the destination, how it is named, written
        cases = [
            ("read-only", 0o444, "two paths", False),
            ("owner read only", 0o400, "two paths", False),
            ("no permissions", 0o000, "two paths", False),
            ("read and execute", 0o555, "two paths", False),
            ("in place", 0o444, "in place", False),
            ("through a symbolic link", 0o444, "link", False),
            ("write only", 0o200, "two paths", True),  # has a write bit: replaced
        ]
        for name, mode, how, written in cases:
            with self.subTest(case=name):
                dst = self.write(f"{name}.txt", b"old contents")
                os.chmod(dst, mode)
                link = self.path(f"{name}.link")
                os.symlink(dst, link)
                args = {"two paths": ["m", self.src, dst], "in place": ["m", dst],
                        "link": ["m", self.src, link]}[how]
                run = self.run_program(args)
                if written:
                    self.assertEqual(run.code, 0, run)
                    self.assertEqual(self.read(dst), WIN)
                    self.assertNoIntermediate()
                else:
                    self.assertCancelled(run, errno.EACCES)
                    self.assertEqual(self.read(dst), b"old contents")
                    # Cancelled at the copy: the converted data wait in temp.
                    self.assertEqual(self.read(self.intermediate),
                                     b"old contents" if how == "in place" else WIN)
                    os.remove(self.intermediate)
                self.assertTrue(os.path.islink(link))
                self.assertEqual(stat.S_IMODE(os.stat(dst).st_mode), mode, "mode changed")
                self.assertEqual(self.read(self.src), MAC)
                self.assertNoStrayCopies(self.dir)

    def test_intermediate_file_named_as_source_or_destination(self):
        # The intermediate file is emptied first and deleted last: a source
        # or destination that is that very file must be refused, not lost.
        # name, arguments, temp, expected content of the intermediate path
        alias = self.dir + "/"
        cases = [
            ("converted in place", ["m", self.intermediate], self.dir, MAC),
            ("as source", ["m", self.intermediate, self.path("ziel.txt")], self.dir, MAC),
            ("as source, temp spelt otherwise", ["m", self.intermediate], alias, MAC),
            ("as destination", ["m", self.src, self.intermediate], self.dir, WIN),
        ]
        for name, args, temp, left in cases:
            with self.subTest(case=name):
                self.write(e2e.TEMP_NAME, MAC)
                run = self.run_program(args, env={"temp": temp})
                self.assertCancelled(run, errno.EBUSY)
                self.assertEqual(self.read(self.intermediate), left)
                self.assertFalse(os.path.exists(self.path("ziel.txt")))
                self.assertEqual(self.read(self.src), MAC)

    def test_full_disk(self):
        big = bytes(range(1, 256)) * (1200 * KB // 255)  # no NULs: nothing dropped
        src = self.write("gross.txt", big)
        converted = cs.converted(big)
        # name, folder for the intermediate file, destination folder; the
        # disk of 1 MB holds the one that overflows
        cases = [
            ("while writing the intermediate file", "temp", "out"),
            ("while copying to the destination", "out", "temp"),
        ]
        for name, full, other in cases:
            with self.subTest(case=name):
                folders = {full: self.mount_small_disk(f"{name} {full}", "1m"),
                           other: self.path(f"{name} {other}")}
                os.makedirs(folders[other])
                dst = os.path.join(folders["out"], "ziel.txt")
                with open(dst, "wb") as f:
                    f.write(b"old contents")
                run = self.run_program(["m", src, dst], env={"temp": folders["temp"]})
                self.assertCancelled(run, errno.ENOSPC)
                self.assertEqual(self.read(dst), b"old contents")
                self.assertEqual(self.read(src), big)
                self.assertNoStrayCopies(folders["out"])
                # The intermediate file is left in temp: cut short when temp
                # was full, complete when the copy failed.
                left = self.read(os.path.join(folders["temp"], e2e.TEMP_NAME))
                if full == "temp":
                    self.assertLess(len(left), len(converted))
                    self.assertTrue(converted.startswith(left), "wrong bytes written")
                else:
                    self.assertEqual(left, converted)

    def test_full_disk_then_retry(self):
        # Room made while the box is shown: Retry writes the rest, and not a
        # byte is lost or doubled where the first write broke off.
        temp = self.mount_small_disk("temp", "3m")
        filler = os.path.join(temp, "filler")
        with open(filler, "wb") as f:
            f.write(b"\0" * (2 * 1024 * KB))
        big = bytes(range(1, 256)) * (2 * 1024 * KB // 255)
        src = self.write("gross.txt", big)
        dst = self.path("ziel.txt")
        environ = dict(os.environ, temp=temp)
        with e2e.OnTerminal(["m", src, dst], environ) as run:
            prompt = run.question()
            self.assertEqual(e2e.failure_lines(prompt.decode().split("\n")[0]),
                             [(os.path.join(temp, e2e.TEMP_NAME),
                               "cannot write the intermediate file",
                               os.strerror(errno.ENOSPC))], prompt)
            os.remove(filler)
            self.assertEqual(run.answer(), 0, run.said)
        self.assertEqual(self.read(dst), cs.converted(big))
        self.assertFalse(os.path.exists(os.path.join(temp, e2e.TEMP_NAME)))


if __name__ == "__main__":
    e2e.main()
