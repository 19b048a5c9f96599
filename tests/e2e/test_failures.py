#!/usr/bin/env python3
"""Exit statuses and messages of runs that write nothing: empty paths,
refused command lines, a failed copy, a missing or empty table file. Which
table lines end how is the core's (unit tests)."""

import errno
import os

import e2e_support as e2e

NOT_WRITTEN, USAGE, FATAL = 1, 2, 3


class NothingWritten(e2e.E2ETestCase):
    def setUp(self):
        super().setUp()
        self.src = self.write("quelle.txt", "Grüße".encode("mac_roman"))
        self.dst = self.path("ziel.txt")

    def assertUntouched(self):
        self.assertEqual(self.read(self.src), "Grüße".encode("mac_roman"))
        self.assertFalse(os.path.exists(self.dst), "destination was written")

    def test_lines_that_convert_nothing(self):
        # arguments, exit code, first line of stderr
        cases = [
            ([], USAGE, "falvori: a direction (m or w) and a file must follow"),
            (["x", self.src, self.dst], USAGE, "falvori: x: not a direction: m (Mac to Windows) or w (Windows to Mac)"),
            (["m", self.src, "--foo"], USAGE, "falvori: --foo: unknown option"),
            (["-v", "m", self.src], USAGE, "falvori: -v: unknown option"),
            (["m", self.src, self.dst, "third"], USAGE, "falvori: third: a path too many (several files in place: -i)"),
            (["m", "", self.dst], NOT_WRITTEN, "falvori: empty file name"),
        ]
        for args, code, line in cases:
            with self.subTest(args=args):
                run = self.run_program(args)
                self.assertEqual((run.code, run.stderr.splitlines()[0]), (code, line), run)
                self.assertEqual("Usage: falvori" in run.stderr, code == USAGE)
                self.assertUntouched()
                self.assertNoIntermediate()

    def test_failed_copy_leaves_intermediate_in_temp_folder(self):
        # The destination folder is missing, so the copy fails after the
        # conversion; Cancel leaves the intermediate file where it was made.
        first = self.path("temp1")
        second = self.path("temp2")
        # name, environment, folder that must hold the intermediate file
        cases = [
            ("temp wins", {"temp": first, "TMPDIR": second}, first),
            ("temp unset", {"temp": None, "TMPDIR": second}, second),
            ("temp empty", {"temp": "", "TMPDIR": second}, second),
        ]
        for name, env, folder in cases:
            with self.subTest(case=name):
                for d in (first, second):
                    os.makedirs(d, exist_ok=True)
                    if os.path.exists(os.path.join(d, e2e.TEMP_NAME)):
                        os.remove(os.path.join(d, e2e.TEMP_NAME))
                dst = self.path("kein Ordner", "ziel.txt")
                run = self.run_program(["m", self.src, dst], env=env)
                self.assertEqual(run.code, NOT_WRITTEN, run)
                self.assertEqual([line[0] for line in e2e.failure_lines(run.stderr)], [dst], run)
                self.assertFalse(os.path.exists(dst))
                left = os.path.join(folder, e2e.TEMP_NAME)
                self.assertTrue(os.path.exists(left), f"nothing left in {folder}")
                self.assertEqual(self.read(left), "Grüße".encode("cp1252"))
                other = second if folder == first else first
                self.assertNoIntermediate(other)


class TableFile(e2e.E2ETestCase):
    def run_with_table(self, table):
        program = self.program_copy(table)
        src = self.write("quelle.txt", b"abc\x8a")
        dst = self.path("ziel.txt")
        run = self.run_program(["m", src, dst], program=program)
        self.assertFalse(os.path.exists(dst), "converted despite the table")
        return run

    def test_unreadable_table(self):
        # name, table file content (None: no file), the system's description;
        # a missing one is named where the program looks last
        cases = [("missing", None, os.strerror(errno.ENOENT)), ("empty", b"", "Input past end of file")]
        for name, table, text in cases:
            with self.subTest(case=name):
                run = self.run_with_table(table)
                self.assertEqual(run.code, FATAL, run)
                self.assertEqual([line[1:] for line in e2e.failure_lines(run.stderr)],
                                 [(e2e.TABLE_FAILURE, text)], run)


if __name__ == "__main__":
    e2e.main()
