#!/usr/bin/env python3
"""Batch conversions of real files, checked byte for byte against the
mac_roman and cp1252 codecs."""

import os
import random

import e2e_support as e2e

# Every character here exists in both character sets.
TEXT = ("Grüße aus Köln – „Straßenbahn“ fährt um 8 Uhr.\r"
        "‚Öl‘ kostet 5 € — nicht 4 €… «Äpfel» ÜÖäöüß, Peter’s Café\r\n"
        "Ende\n")
MAC = TEXT.encode("mac_roman")
WIN = TEXT.encode("cp1252")

# letter, source bytes, expected destination bytes
DIRECTIONS = [("m", MAC, WIN), ("w", WIN, MAC)]


def two_paths(letter, src, dst):
    return [letter, src, dst]


def in_place(letter, src, dst):
    return [letter, src]


def upper_case(letter, src, dst):
    return [letter.upper(), src, dst]


class Conversion(e2e.E2ETestCase):
    def convert(self, args, src, dst, source_bytes, expected, env=None):
        run = self.run_program(args, env=env)
        self.assertEqual(run.code, 0, run)
        self.assertEqual(run.stderr, "")
        self.assertEqual(self.read(dst), expected)
        if dst != src:
            self.assertEqual(self.read(src), source_bytes, "source changed")
        self.assertNoIntermediate()

    def test_text_both_directions_and_path_forms(self):
        self.assertNotEqual(MAC, WIN)
        # name, argument builder, source, destination (None: in place)
        cases = [
            ("two paths", two_paths, "quelle.txt", "ziel.txt"),
            ("in place", in_place, "brief.txt", None),
            ("blanks in both paths", two_paths, "alter Ordner/alter Brief.txt",
             "neuer Ordner/neuer  Brief.txt"),
            ("blanks, in place", in_place, "mein Ordner/mein Brief.txt", None),
            ("upper-case letter", upper_case, "gross.txt", "GROSS.txt"),
            ("non-ASCII names", two_paths, "Größe/Brief ä.txt", "Größe/Brief ö.txt"),
        ]
        for letter, source_bytes, expected in DIRECTIONS:
            for name, build, src_name, dst_name in cases:
                with self.subTest(case=name, direction=letter):
                    src = self.write(f"{letter}/{src_name}", source_bytes)
                    dst = self.path(letter, dst_name) if dst_name else src
                    os.makedirs(os.path.dirname(dst), exist_ok=True)
                    self.convert(build(letter, src, dst), src, dst, source_bytes, expected)

    def test_smallest_files(self):
        # Real files at the edges of the copy step; which byte maps to which,
        # NULs and the last byte are the unit tests' and the pipe test's.
        # name, letter, source bytes, expected destination bytes
        cases = [
            ("empty file", "m", b"", b""),
            ("one byte", "m", b"\x8a", "ä".encode("cp1252")),
            ("one NUL byte", "m", b"\x00", b""),
        ]
        for name, letter, source_bytes, expected in cases:
            with self.subTest(case=name, direction=letter):
                src = self.write(f"{name}.{letter}.in", source_bytes)
                dst = self.path(f"{name}.{letter}.out")
                self.convert([letter, src, dst], src, dst, source_bytes, expected)

    def test_leftover_intermediate_file_does_not_leak(self):
        self.write(e2e.TEMP_NAME, b"stale " * 1000)
        src = self.write("quelle.txt", WIN)
        dst = self.path("ziel.txt")
        self.convert(["w", src, dst], src, dst, WIN, MAC)

    def test_large_file(self):
        # Far beyond any buffer, not a multiple of a power of two, NULs inside.
        data = random.Random(1).randbytes(3 * 1024 * 1024 + 7)
        src = self.write("gross.bin", data)
        for letter, table in zip("mw", e2e.expected_tables()):
            with self.subTest(direction=letter):
                dst = self.path(f"gross.{letter}")
                self.convert([letter, src, dst], src, dst, data, e2e.convert_through_bytes(table, data))

    def test_wildcard_name_touches_no_other_file(self):
        src = self.write("a.txt", MAC)
        others = {name: self.write(name, name.encode()) for name in ("b1", "bx", "b*x")}
        for name in ("b*", "b?"):
            with self.subTest(destination=name):
                run = self.run_program(["m", src, self.path(name)])
                self.assertIn(run.code, (0, 1), run)
                for other, path in others.items():
                    self.assertEqual(self.read(path), other.encode(), f"{other} changed")

    def test_temp_with_trailing_separator(self):
        src = self.write("a.txt", MAC)
        dst = self.path("b.txt")
        self.convert(["m", src, dst], src, dst, MAC, WIN, env={"temp": self.dir + "/"})


if __name__ == "__main__":
    e2e.main()
