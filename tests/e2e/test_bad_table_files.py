#!/usr/bin/env python3
"""Table files far from the usual: huge, one endless line, binary, UTF-16,
other line ends. Each must end in one of the documented ways: loaded
(exit 0), the table's failure line (exit 3) or the named run-time fault
(exit 3)."""

import errno
import os
import random
import shutil
import subprocess

import e2e_support as e2e

H = b"QUORIND-Textbau"
MB = 1024 * 1024
FATAL = 3

LOADED, TABLE_BOX, OVERFLOW = "loaded", "table box", "overflow"


def shipped_table():
    with open(os.path.join(e2e.SOURCE_DIR, "data", e2e.TABLE_FILE), "rb") as f:
        return f.read()


def shipped_body():
    """The mapping lines of the shipped file, CR LF included."""
    table = shipped_table()
    header = H + b"\r\n"
    assert table.startswith(header)
    return table[len(header):]


def repeated(unit, size):
    """Chunks of unit, whole repetitions only, about size bytes in all."""
    chunk = unit * max(1, MB // len(unit))
    for _ in range(max(1, size // len(chunk))):
        yield chunk


def huge_valid():
    # The shipped lines over and over: the last round leaves the shipped tables.
    yield H + b"\r\n"
    yield from repeated(shipped_body(), 50 * MB)


def long_line(before, after):
    """The header, then one line of 20 MB of digits and blanks between
    before and after."""
    def chunks():
        yield H + b"\r\n" + before
        yield from repeated(b"1 2 3 4 5 6 7 8 9 0 ", 20 * MB)
        yield after + b"\r\n"
    return chunks


def blanks_then_pair():
    yield H + b"\r\n"
    yield from repeated(b" ", 20 * MB)
    yield b"65\t66\r\n"


def utf16(encoding):
    return lambda: [shipped_table().decode("latin-1").encode(encoding)]


def with_line_ends(end):
    return lambda: [shipped_table().replace(b"\r\n", end)]


def blank_for_last_mac_code(tables):
    """tables after one more empty line: the Mac code of the last mapping
    line maps to a blank and takes WinZuMac[0]."""
    last = int(shipped_body().rstrip(b"\r\n").split(b"\r\n")[-1].split(b"\t")[0])
    mac, win = list(tables[0]), list(tables[1])
    mac[last], win[0] = 32, last
    return mac, win


def binary_without_header():
    data = random.Random(7).randbytes(64 * 1024)
    assert not data.startswith(H)
    return [data]


class BadTableFiles(e2e.E2ETestCase):
    def program_with_table(self, chunks):
        program = self.program_copy(None)
        with open(os.path.join(os.path.dirname(program), e2e.TABLE_FILE), "wb") as f:
            for chunk in chunks():
                f.write(chunk)
        return program

    def check_loaded(self, program, tables):
        source = self.write("alle.bin", e2e.ALL_BYTES)
        for letter, table in zip("mw", tables):
            dest = self.path(f"alle.{letter}")
            run = self.run_program([letter, source, dest], program=program)
            self.assertEqual(run.code, 0, run)
            self.assertEqual(run.stderr, "")
            self.assertEqual(self.read(dest), e2e.convert_through(table), f"direction {letter}")

    def check_not_loaded(self, program, outcome, detail):
        source = self.write("quelle.txt", b"abc")
        dest = self.path("ziel.txt")
        run = self.run_program(["m", source, dest], program=program)
        self.assertEqual(run.code, FATAL, run)
        self.assertFalse(os.path.exists(dest), "converted despite the table")
        table = os.path.join(os.path.dirname(program), e2e.TABLE_FILE)
        if outcome == TABLE_BOX:
            self.assertEqual(e2e.failure_lines(run.stderr), [(table, e2e.TABLE_FAILURE, detail)], run)
        else:
            self.assertEqual([line[:2] for line in e2e.failure_lines(run.stderr)], [(table, detail)], run)

    def test_table_files(self):
        shipped = e2e.expected_tables()
        mac, win = e2e.identity_tables()
        mac[65], win[66] = 66, 65
        # name, table file as chunks, outcome, tables or first line of the report
        cases = [
            ("binary without header", binary_without_header, TABLE_BOX, "broken table"),
            # The first line after the header is bytes 0 to 12: NUL, then a TAB.
            ("every byte value after the header",
             lambda: [H + b"\r\n" + e2e.ALL_BYTES], TABLE_BOX, "broken table"),
            ("NULs and junk after the numbers",
             lambda: [H + b"\r\n65\x00\xff\t66\x00junk\xfe\r\n"], LOADED, (mac, win)),
            ("UTF-16 LE with byte-order mark", utf16("utf-16"), TABLE_BOX, "broken table"),
            ("UTF-16 BE with byte-order mark", utf16("utf-16-be"),
             TABLE_BOX, "broken table"),
            # Each LF after a CR LF starts the next line, where it is ignored;
            # the last one is an empty line of its own, with the last Mac code.
            ("CR LF LF line ends", with_line_ends(b"\r\n\n"), LOADED,
             blank_for_last_mac_code(shipped)),
            # One line of 20 MB, read as it comes: a number that long
            # overflows; blanks that long are ignored.
            ("20 MB number, no TAB", long_line(b"", b""), OVERFLOW, "run-time error 6"),
            ("20 MB first column", long_line(b"", b"\t65"), OVERFLOW, "run-time error 6"),
            ("20 MB of blanks before a pair", blanks_then_pair, LOADED, (mac, win)),
        ]
        for name, chunks, outcome, expected in cases:
            with self.subTest(case=name):
                program = self.program_with_table(chunks)
                if outcome == LOADED:
                    self.check_loaded(program, expected)
                else:
                    self.check_not_loaded(program, outcome, expected)
                os.remove(os.path.join(os.path.dirname(program), e2e.TABLE_FILE))

    def test_no_table_of_the_working_folder_when_the_program_folder_is_unknown(self):
        if os.geteuid() != 0 or not shutil.which("unshare"):
            self.skipTest("needs root and unshare to hide /proc")
        if os.environ.get("FALVORI_SANITIZED") == "1":
            self.skipTest("the sanitizers read their options and end through /proc")
        with open(self.path(e2e.TABLE_FILE), "wb") as f:
            f.write(H + b"\r\n")
        source = self.write("quelle.txt", b"abc")
        dest = self.path("ziel.txt")
        hidden = subprocess.run(["unshare", "-m", "sh", "-c", 'mount -t tmpfs none /proc && exec "$@"', "sh",
                                 e2e.PROGRAM, "m", source, dest],
                                cwd=self.dir, capture_output=True, text=True,
                                env=dict(os.environ, temp=self.dir), stdin=subprocess.DEVNULL)
        self.assertEqual(hidden.returncode, FATAL, hidden)
        self.assertEqual(hidden.stderr, f"falvori: {e2e.TABLE_FAILURE}: {os.strerror(errno.ENOENT)}\n")
        self.assertFalse(os.path.exists(dest))

    def test_huge_table_is_streamed(self):
        """50 MB of valid lines load as the shipped table does, with no more
        memory; prints both peaks."""
        gnu_time = "/usr/bin/time"  # a small parent, so the peak is the program's own
        if not os.access(gnu_time, os.X_OK):
            self.skipTest("needs GNU time (package time) to measure the peak memory")
        source = self.write("alle.bin", e2e.ALL_BYTES)
        peaks = {}
        for name, program in (("shipped", self.program_copy(shipped_table())),
                              ("50 MB", self.program_with_table(huge_valid))):
            report = self.path("peak")
            dest = self.path(f"alle.{name}")
            completed = subprocess.run(
                [gnu_time, "-f", "%M", "-o", report, program, "m", source, dest],
                env=dict(os.environ, temp=self.dir), stdin=subprocess.DEVNULL,
                capture_output=True, timeout=300)
            self.assertEqual(completed.returncode, 0, (name, completed.stderr))
            self.assertEqual(self.read(dest), e2e.convert_through(e2e.expected_tables()[0]), name)
            with open(report) as f:
                peaks[name] = int(f.read().split()[-1])  # KiB
        print(f"\npeak memory: shipped table {peaks['shipped']} KiB, "
              f"50 MB table {peaks['50 MB']} KiB")
        # Reading the file whole would add 50 MB.
        self.assertLess(peaks["50 MB"] - peaks["shipped"], 8 * 1024)

if __name__ == "__main__":
    e2e.main()
