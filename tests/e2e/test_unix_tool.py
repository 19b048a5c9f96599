#!/usr/bin/env python3
"""The program as a Unix tool: its words taken as they are, --help and
--version, failure lines that name the file, and "-" for standard input and
output in pipes."""

import errno
import os
import re
import shutil
import subprocess
import tempfile

import e2e_support as e2e

WRITTEN, NOT_WRITTEN, USAGE, FATAL = 0, 1, 2, 3
MAC_TEXT = "Grüße – „Straßenbahn“ fährt.\r".encode("mac_roman")
SECOND_USER = 65534


def version_from_header():
    with open(os.path.join(e2e.SOURCE_DIR, "app", "Version.h")) as f:
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
                for needed in ("falvori m|w QUELLDATEI [ZIELDATEI]", "$temp", "$TMPDIR",
                               f"/tmp/falvori-<uid>", "0  die Zieldatei wurde geschrieben",
                               "3  Übersetzungstabelle", os.path.join(folder, e2e.TABLE_FILE),
                               os.path.join(folder, "..", "share", "falvori", e2e.TABLE_FILE)):
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
             (missing, "Quelldatei kann nicht geöffnet werden", errno.ENOENT)),
            ("a name that would break the line", ["m", self.path("a\nb\x1b[2J"), self.path("neu")],
             {}, False, (self.path("a?b?[2J"), "Quelldatei kann nicht geöffnet werden", errno.ENOENT)),
            ("folder as destination", ["m", src, folder], {}, False,
             (folder, "Zieldatei kann nicht geschrieben werden", errno.EISDIR)),
            ("missing temp folder", ["m", src, self.path("neu.txt")], {"temp": self.path("kein")},
             False, (self.path("kein", e2e.TEMP_NAME), "Zwischendatei kann nicht angelegt werden",
                     errno.ENOENT)),
            ("destination folder not writable", ["m", src, os.path.join(closed, "neu.txt")],
             {"temp": self.path("frei")}, True,
             (os.path.join(closed, "neu.txt"), "Zieldatei kann nicht geschrieben werden",
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
                    completed = subprocess.run(
                        ["setpriv", f"--reuid={SECOND_USER}", f"--regid={SECOND_USER}",
                         "--clear-groups", program] + args,
                        env=dict(os.environ, **env), stdin=subprocess.DEVNULL,
                        capture_output=True, timeout=60)
                    run = e2e.Run(completed)
                else:
                    run = self.run_program(args, env=env)
                self.assertEqual(run.code, NOT_WRITTEN, run)
                self.assertEqual(e2e.failure_lines(run.stderr), [(path, action, os.strerror(err))])


class Pipes(e2e.E2ETestCase):
    def pipe(self, args, data, env=None):
        environ = dict(os.environ, temp=self.path("kein temp"))
        environ.update(env or {})
        completed = subprocess.run([e2e.PROGRAM] + args, input=data, capture_output=True,
                                   env=environ, timeout=120)
        return completed

    def test_every_byte_value_both_ways_and_never_through_the_intermediate_file(self):
        # "temp" names a folder that does not exist: a conversion that went
        # through the intermediate file would fail.
        mac_zu_win, win_zu_mac = e2e.expected_tables()
        src = self.write("alle.bin", e2e.ALL_BYTES)
        for direction, table in (("m", mac_zu_win), ("w", win_zu_mac)):
            want = e2e.convert_through_bytes(table, e2e.ALL_BYTES)
            for args, stdin in (([direction, "-", "-"], e2e.ALL_BYTES),
                                ([direction, "-"], e2e.ALL_BYTES),
                                ([direction, src, "-"], b"")):
                with self.subTest(args=args):
                    completed = self.pipe(args, stdin)
                    self.assertEqual((completed.returncode, completed.stderr), (WRITTEN, b""))
                    self.assertEqual(completed.stdout, want)
        self.assertEqual(self.read(src), e2e.ALL_BYTES)
        # Standard input into a file goes the usual way.
        dst = self.path("ziel.bin")
        completed = self.pipe(["m", "-", dst], e2e.ALL_BYTES, env={"temp": self.dir})
        self.assertEqual(completed.returncode, WRITTEN, completed.stderr)
        self.assertEqual(self.read(dst), e2e.convert_through_bytes(mac_zu_win, e2e.ALL_BYTES))
        self.assertNoIntermediate()

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
        self.assertEqual(proc.returncode, FATAL)
        self.assertEqual(e2e.failure_lines(err.decode()),
                         [("-", "Standardausgabe kann nicht geschrieben werden",
                           os.strerror(errno.EPIPE))])
        # A full disk behind standard output, and no standard output at all.
        # The source itself as standard output would grow without end.
        same = "Quelldatei und Standardausgabe sind dieselbe Datei"
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


if __name__ == "__main__":
    e2e.main()
