#!/usr/bin/env python3
"""The program as a Unix tool: --help and --version, failure lines that
name the file, "-" for standard input and output in pipes, descriptor names
and standard streams closed or odd."""

import errno
import os
import re
import shutil
import subprocess
import time
import unittest

import copy_support as cs
import e2e_support as e2e

WRITTEN, NOT_WRITTEN, USAGE, FATAL = 0, 1, 2, 3
MAC_TEXT = "Grüße – „Straßenbahn“ fährt.\r".encode("mac_roman")


def version_from_header():
    with open(os.path.join(e2e.SOURCE_DIR, "core", "Version.h")) as f:
        text = f.read()
    parts = [re.search(rf"#define FALVORI_VERSION_{p} (\d+)", text).group(1)
             for p in ("MAJOR", "MINOR", "PATCH")]
    return ".".join(parts)


class HelpAndVersion(e2e.E2ETestCase):
    def test_on_standard_output_with_status_0_even_without_a_table(self):
        program = self.program_copy(None)
        folder = os.path.dirname(program)
        for args in (["--help"], ["-h"], ["--version"], ["--help", "m", "x"]):
            with self.subTest(args=args):
                run = self.run_program(args, program=program)
                self.assertEqual((run.code, run.stderr), (0, ""), run)
                if args[0] == "--version":
                    self.assertEqual(run.stdout.splitlines()[0], "falvori " + version_from_header())
                    continue
                self.assertTrue(run.stdout.startswith("Usage: falvori [OPTION]... m|w SOURCE [DEST]"), run)
                prefix = os.path.dirname(folder)
                for needed in ("$temp", "$TMPDIR",
                               f"/tmp/falvori-<uid>", "0  the destination was written",
                               "4  --check: some byte", os.path.join(folder, e2e.TABLE_FILE),
                               os.path.join(prefix, "etc", "falvori", e2e.TABLE_FILE),
                               os.path.join(prefix, "share", "falvori", e2e.TABLE_FILE)):
                    self.assertIn(needed, run.stdout)

    def test_a_text_that_cannot_be_written_is_a_failure(self):
        for args in (["--help"], ["--version"]):
            with self.subTest(args=args), open("/dev/full", "wb") as full:
                completed = subprocess.run([e2e.PROGRAM] + args, stdout=full,
                                           stderr=subprocess.PIPE, timeout=60)
                self.assertEqual(completed.returncode, FATAL)
                self.assertIn(os.strerror(errno.ENOSPC), completed.stderr.decode())


class FailureLines(e2e.E2ETestCase):
    def test_each_line_names_its_file_and_what_was_done(self):
        src = self.write("quelle.txt", MAC_TEXT)
        missing = self.path("fehlt.txt")
        folder = self.path("Ordner")
        os.makedirs(folder)
        closed = self.path("zu")
        os.makedirs(closed)
        os.chmod(self.dir, 0o755)
        # name, arguments, environment, as second user, (path, action, errno)
        cases = [
            ("missing source", ["m", missing, self.path("neu.txt")], {}, False,
             (missing, "cannot open the source file", errno.ENOENT)),
            ("missing source, in place", ["w", missing], {}, False,
             (missing, "cannot open the source file", errno.ENOENT)),
            ("folder as source", ["m", folder, self.path("neu.txt")], {}, False,
             (folder, "cannot open the source file", errno.EISDIR)),
            ("a name that would break the line", ["m", self.path("a\nb\x1b[2J"), self.path("neu")],
             {}, False, (self.path("a?b?[2J"), "cannot open the source file", errno.ENOENT)),
            ("missing temp folder", ["m", src, self.path("neu.txt")], {"temp": self.path("kein")},
             False, (self.path("kein", e2e.TEMP_NAME), "cannot create the intermediate file",
                     errno.ENOENT)),
            ("destination folder not writable", ["m", src, os.path.join(closed, "neu.txt")],
             {"temp": self.path("frei")}, True,
             (os.path.join(closed, "neu.txt"), "cannot write the destination",
              errno.EACCES)),
        ]
        for name, args, env, second, (path, action, err) in cases:
            with self.subTest(case=name):
                if second:
                    if os.geteuid() != 0 or not shutil.which("setpriv"):
                        self.skipTest("needs root and setpriv to run as a second user")
                    free = self.path("frei")
                    os.makedirs(free, exist_ok=True)
                    os.chmod(free, 0o1777)
                    program = self.program_copy(b"QUORIND-Textbau\r\n")
                    os.chmod(os.path.dirname(program), 0o755)
                    run = self.run_program(args, program=program, env=env, prefix=cs.AS_SECOND_USER)
                else:
                    run = self.run_program(args, env=env)
                self.assertEqual(run.code, NOT_WRITTEN, run)
                # Cancel ends it: one line, and nothing more.
                self.assertEqual(run.stderr.count("\n"), 1, run)
                self.assertEqual(e2e.failure_lines(run.stderr), [(path, action, os.strerror(err))])
                self.assertEqual(self.read(src), MAC_TEXT)
                self.assertEqual(os.listdir(folder), [])


    def test_no_question_on_a_terminal_that_is_the_source(self):
        """Answers would be read from the very text being converted."""
        with e2e.OnTerminal(["m", "-", self.path("kein Ordner", "x.txt")],
                            dict(os.environ, temp=self.dir)) as term:
            self.assertEqual(term.answer(b"abc\n\x04", timeout=20), NOT_WRITTEN, term.said)
        self.assertNotIn(b"?", term.said)


class Pipes(e2e.E2ETestCase):
    def pipe(self, args, data):
        return subprocess.run([e2e.PROGRAM] + args, input=data, capture_output=True,
                              env=dict(os.environ, temp=self.path("kein temp")), timeout=120)

    def test_every_byte_value_both_ways_and_never_through_the_intermediate_file(self):
        # All 512 entries of the shipped tables, read by the real loader:
        # shared characters as the codecs, the others as docs/table.md, byte
        # 0 dropped. "temp" names a folder that does not exist: a conversion
        # that went through the intermediate file would fail.
        mac_zu_win, win_zu_mac = e2e.expected_tables()
        src = self.write("alle.bin", e2e.ALL_BYTES)
        for direction, table in (("m", mac_zu_win), ("w", win_zu_mac)):
            want = e2e.convert_through_bytes(table, e2e.ALL_BYTES)
            # Codecs of old (Mac 0xDB the currency sign) would miss the Euro.
            self.assertEqual(want[(0xDB if direction == "m" else 0x80) - 1], 0x80 if direction == "m" else 0xDB)
            for args, stdin in (([direction, "-", "-"], e2e.ALL_BYTES),
                                ([direction, "-"], e2e.ALL_BYTES),
                                ([direction, src, "-"], b"")):
                with self.subTest(args=args):
                    completed = self.pipe(args, stdin)
                    self.assertEqual((completed.returncode, completed.stderr), (WRITTEN, b""))
                    self.assertEqual(completed.stdout, want)
        self.assertEqual(self.read(src), e2e.ALL_BYTES)

    def test_large_stream_in_constant_memory(self):
        if not os.path.exists("/usr/bin/time"):
            self.skipTest("/usr/bin/time is missing")
        size = 100 * 1024 * 1024
        rss = self.path("rss")
        # 0x8A (Mac ä) in, 0xE4 (Windows ä) out, every byte of it.
        script = (f"set -o pipefail; head -c {size} /dev/zero | tr '\\0' '\\212' | "
                  f"/usr/bin/time -f %M -o '{rss}' '{e2e.PROGRAM}' m - - | "
                  "tee >(wc -c >&2) | tr -d '\\344' | wc -c")
        completed = subprocess.run(["bash", "-c", script], capture_output=True, timeout=300)
        self.assertEqual(completed.returncode, 0, completed.stderr)
        self.assertEqual(completed.stdout.split(), [b"0"], "bytes other than 0xE4 came out")
        self.assertIn(str(size).encode(), completed.stderr.split())
        with open(rss) as f:
            peak_kib = int(f.read().split()[-1])
        if os.environ.get("FALVORI_SANITIZED") != "1":  # the sanitizers' shadow memory grows
            self.assertLess(peak_kib, 16 * 1024, f"peak RSS {peak_kib} KiB")

    def test_failed_output_ends_with_status_3(self):
        big = self.write("gross.txt", MAC_TEXT * 700_000)
        # A reader that goes away after one byte.
        proc = subprocess.Popen([e2e.PROGRAM, "m", big, "-"], stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE)
        self.assertEqual(len(proc.stdout.read(1)), 1)
        proc.stdout.close()
        try:
            _, err = proc.communicate(timeout=60)
        finally:
            proc.kill()
        # Quiet, as the peers: the reader wanted no more.
        self.assertEqual((proc.returncode, err), (FATAL, b""))
        # A full disk behind standard output, and no standard output at all.
        # The source itself as standard output would grow without end.
        same = "Source file and standard output are the same file"
        for name, redirect, source, text in (
                ("full disk", ">/dev/full", big, os.strerror(errno.ENOSPC)),
                ("closed", ">&-", big, os.strerror(errno.EBADF)),
                ("appended to the source", '>>"$1"', big, same),
                ("appended to standard input", '<"$1" >>"$1"', "-", same)):
            with self.subTest(case=name):
                completed = subprocess.run(["bash", "-c", f'"$0" m "$2" - {redirect}',
                                            e2e.PROGRAM, big, source], capture_output=True,
                                           timeout=60)
                self.assertEqual(completed.returncode, FATAL, completed.stderr)
                self.assertEqual([line[2] for line in e2e.failure_lines(completed.stderr.decode())],
                                 [text])
        self.assertEqual(self.read(big), MAC_TEXT * 700_000)


class StandardStreams(e2e.E2ETestCase):
    def shell(self, script, *args, env=None, stdin=subprocess.DEVNULL):
        return subprocess.run(["bash", "-c", script, e2e.PROGRAM] + list(args), capture_output=True,
                              stdin=stdin, env=dict(os.environ, temp=self.dir, **(env or {})), timeout=60)

    def test_descriptor_names_as_destination(self):
        """/dev/stdout and the like name the descriptor the program was started
        with, in its own mode: appended to, never replaced. One the program
        was not given is refused, whatever the program opened under it."""
        src = self.write("quelle.txt", MAC_TEXT)
        want = MAC_TEXT.decode("mac_roman").encode("cp1252")
        # name, script ($0 the program, $1 the source, $2 the log), exit code
        cases = [("/dev/stdout", '"$0" m "$1" /dev/stdout >>"$2"', WRITTEN),
                 ("/dev/stderr", '"$0" m "$1" /dev/stderr 2>>"$2"', WRITTEN),
                 ("/dev/fd/3", '"$0" m "$1" /dev/fd/3 3>>"$2"', WRITTEN),
                 ("/proc/self/fd/3", '"$0" m "$1" /proc/self/fd/3 3>>"$2"', WRITTEN),
                 ("a descriptor not given", '"$0" m "$1" /dev/fd/3', FATAL)]
        for name, script, code in cases:
            with self.subTest(case=name):
                log = self.write("log.txt", b"line 1\n")
                inode = os.stat(log).st_ino
                run = self.shell(script, src, log)
                self.assertEqual(run.returncode, code, run.stderr)
                self.assertEqual(self.read(log), b"line 1\n" + (want if code == WRITTEN else b""))
                self.assertEqual(os.stat(log).st_ino, inode)
                self.assertEqual(self.read(src), MAC_TEXT)

    def test_closed_and_odd_standard_streams(self):
        src = self.write("quelle.txt", MAC_TEXT * 1000)
        want = (MAC_TEXT * 1000).decode("mac_roman").encode("cp1252")
        fault = dict(LD_PRELOAD=cs.LIBRARY)
        # name, script, environment, exit code, destination's bytes (None: not made)
        cases = [
            # Closed at start, 0 to 2 must not become files of ours: the
            # warning of a failed folder flush would land in the destination.
            ("all three closed", '"$0" m "$1" "$2" <&- >&- 2>&-', dict(fault, FALVORI_FAULT="fsync:3:EIO"),
             WRITTEN, want),
            ("stdin closed, a file as source", '"$0" m "$1" "$2" <&-', {}, WRITTEN, want),
            ("stdin closed, as source", '"$0" m - "$2" <&-', {}, NOT_WRITTEN, None),
            ("short writes to stdout", '"$0" m "$1" - >"$2"', dict(fault, FALVORI_FAULT="write:1:short"),
             WRITTEN, want),
        ]
        if not os.path.exists(cs.LIBRARY):
            cases = [c for c in cases if not c[2]]
        for name, script, env, code, result in cases:
            with self.subTest(case=name):
                dst = self.path("ziel.txt")
                if name == "all three closed":
                    self.write(dst, b"old")
                run = self.shell(script, src, dst, env=env)
                self.assertEqual(run.returncode, code, run.stderr)
                self.assertEqual(self.read(dst) if os.path.exists(dst) else None, result)
                if os.path.exists(dst):
                    os.remove(dst)

    @unittest.skipUnless(os.path.exists(cs.LIBRARY), "the fault library is not built")
    def test_a_failed_close_of_standard_output_is_a_failure(self):
        src = self.write("quelle.txt", MAC_TEXT)
        log = self.path("faults.log")
        counted = self.shell('"$0" m "$1" - >/dev/null', src, env=dict(LD_PRELOAD=cs.LIBRARY,
                                                                          FALVORI_FAULT_LOG=log))
        self.assertEqual(counted.returncode, WRITTEN)
        with open(log) as f:
            closes = [int(line.split()[2]) for line in f if line.startswith("count close ")][0]
        # The last close is that of standard output's copy.
        run = self.shell('"$0" m "$1" - >/dev/null', src, env=dict(LD_PRELOAD=cs.LIBRARY,
                                                                   FALVORI_FAULT=f"close:{closes}:EIO"))
        self.assertEqual(run.returncode, FATAL, run.stderr)
        self.assertEqual(e2e.failure_lines(run.stderr.decode()),
                         [("-", "cannot write standard output", os.strerror(errno.EIO))])

    def test_non_blocking_standard_input(self):
        """Standard input into a file, as another program may hand over its
        pipe: non-blocking. A read that finds nothing yet waits."""
        read_end, write_end = os.pipe()
        os.set_blocking(read_end, False)
        dst = self.path("ziel.txt")
        proc = subprocess.Popen([e2e.PROGRAM, "m", "-", dst], stdin=read_end, stderr=subprocess.PIPE,
                                env=dict(os.environ, temp=self.dir))
        os.close(read_end)
        for _ in range(3):
            time.sleep(0.1)
            os.write(write_end, MAC_TEXT)
        os.close(write_end)
        with proc.stderr:
            err = proc.stderr.read()
        self.assertEqual(proc.wait(20), WRITTEN, err)
        self.assertEqual(self.read(dst), (MAC_TEXT * 3).decode("mac_roman").encode("cp1252"))
        self.assertNoIntermediate()


if __name__ == "__main__":
    e2e.main()
