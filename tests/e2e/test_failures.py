#!/usr/bin/env python3
"""Exit statuses and messages of runs that write nothing: empty paths,
unrecognised directions, a failed copy, a missing or empty table file. Which
words and which table lines end how is the core's (unit tests)."""

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
        # Which words end how is the core's (unit tests); here how the Linux
        # program ends: a usage line, or nothing at all for an empty path.
        cases = [
            ([], USAGE),
            (["x", self.src, self.dst], USAGE),
            (["m", "", self.dst], NOT_WRITTEN),
        ]
        for args, code in cases:
            with self.subTest(args=args):
                run = self.run_program(args)
                self.assertEqual(run.code, code, run)
                if code == USAGE:
                    self.assertTrue(run.stderr.startswith("Aufruf: "), "no usage line")
                else:
                    self.assertEqual(run.stderr, "", "an empty path shows nothing")
                self.assertNotIn("Achtung", run.stderr)
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

    def assertTableBox(self, run, first_line):
        self.assertEqual(run.code, FATAL, run)
        self.assertTrue(run.stderr.startswith("Fehler!: "), run)
        lines = [line for line in run.stderr[len("Fehler!: "):].splitlines()]
        if first_line is None:
            self.assertNotEqual(lines[0].strip(), "", "no description of the failure")
            self.assertNotEqual(lines[0], "Tabelle defekt.")
        else:
            self.assertEqual(lines[0], first_line)
        self.assertEqual([line for line in lines[1:] if line], e2e.FIXED_TABLE_LINES)

    def test_unreadable_table(self):
        # name, table file content (None: no file); the box shows the
        # system's description of the failure
        cases = [("missing", None), ("empty", b"")]
        for name, table in cases:
            with self.subTest(case=name):
                self.assertTableBox(self.run_with_table(table), None)


if __name__ == "__main__":
    e2e.main()
