#!/usr/bin/env python3
"""The Linux program's own features: several files in place, --check, line
ends, messages in the user's language, and where the table file is found.
Results are compared with Python's codecs (through the shipped tables)."""

import errno
import locale
import os
import re
import shutil
import subprocess

import copy_support as cs
import e2e_support as e2e

MAC_TEXT = "Grüße – „Straßenbahn“ fährt.\r".encode("mac_roman")
HEADER = b"QUORIND-Textbau\r\n"


def check_line(data, table, back):
    """The line --check must print, worked out from the tables."""
    inexact = [i for i, b in enumerate(data) if table[b] and back[table[b]] != b]
    ends = {k for k, n in (("CRLF", data.count(b"\r\n")), ("CR", len(re.findall(rb"\r(?!\n)", data))),
                           ("LF", len(re.findall(rb"(?<!\r)\n", data)))) if n}
    first = f"{inexact[0]}:0x{data[inexact[0]]:02X}" if inexact else "-"
    style = ends.pop() if len(ends) == 1 else "mixed" if ends else "none"
    return (f"changed={sum(table[b] not in (0, b) for b in data)} inexact={len(inexact)} first-inexact={first} "
            f"dropped={sum(table[b] == 0 for b in data)} line-ends={style}")


class LinuxFeatures(e2e.E2ETestCase):
    def test_several_files_in_place(self):
        # arguments (a, b: Mac files; "-x": a file named so; fehlt: missing), exit
        # code, converted files, files with a failure line
        cases = [
            (["-i", "m", "a", "b"], 0, {"a", "b"}, []),
            (["m", "a", "--in-place", "b", "a", "b-link", "b-hard"], 0, {"a", "b"}, []),  # each once
            (["-i", "m", "a", "fehlt", "b"], 1, {"a", "b"}, ["fehlt"]),
            (["-i", "m", "--", "-x", "a"], 0, {"-x", "a"}, []),
            (["-i", "m", "-", "fehlt", "a", "-"], 3, {"a"}, ["-", "fehlt"]),  # standard output is /dev/full
        ]
        for args, code, converted, failing in cases:
            with self.subTest(args=args):
                for name in ("a", "b", "-x"):
                    self.write(name, MAC_TEXT)
                for link, make in (("b-link", os.symlink), ("b-hard", os.link)):
                    if os.path.lexists(self.path(link)):
                        os.remove(self.path(link))
                    make(self.path("b"), self.path(link))
                with open("/dev/full", "wb") as full:
                    completed = subprocess.run([e2e.PROGRAM] + args, cwd=self.dir, stdout=full, input=MAC_TEXT,
                                               stderr=subprocess.PIPE, env=dict(os.environ, temp=self.dir), timeout=60)
                self.assertEqual(completed.returncode, code, completed.stderr)
                for name in ("a", "b", "-x"):
                    self.assertEqual(self.read(self.path(name)), cs.converted(MAC_TEXT) if name in converted else MAC_TEXT, name)
                self.assertEqual([line[0] for line in e2e.failure_lines(completed.stderr.decode())], failing)
        # At a terminal the failing file gets the question: Retry after it
        # appeared converts it, Cancel skips it, and the others go on.
        for answer, code in ((b"r\n", 0), (b"c\n", 1)):
            with self.subTest(answer=answer):
                for name in ("a", "b"):
                    self.write(name, MAC_TEXT)
                with e2e.OnTerminal(["-i", "m", self.path("a"), self.path("c"), self.path("b")],
                                    dict(os.environ, temp=self.dir)) as run:
                    self.assertIn(b"[R]etry / [C]ancel? ", run.question())
                    self.write("c", MAC_TEXT)
                    self.assertEqual(run.answer(answer), code, run.said)
                for name in ("a", "b", "c"):
                    want = MAC_TEXT if name == "c" and code else cs.converted(MAC_TEXT)
                    self.assertEqual(self.read(self.path(name)), want, name)
                os.remove(self.path("c"))

    def test_check_tells_what_would_change_and_writes_nothing(self):
        # name, direction, content, warning; the figures come from the tables,
        # the shipped ones or (the last case) one that changes CR
        cases = [
            ("mac.txt", "m", b"Gr\x9f\x8ce \xf0 logo\x00\r" * 3, "binary"),
            ("ascii.txt", "m", b"plain\r\nlines!\r\n" * 10, "none"),  # a CR LF across 32 bytes
            ("mixed.txt", "w", "Šárka\r\n€ 5\n\r".encode("cp1252"), "none"),
            ("utf8.txt", "m", "Grüße\n".encode("utf-8"), "utf-8"),
            ("utf16.txt", "m", "Grüße\r\n".encode("utf-16"), "utf-16"),
            ("utf16be.txt", "m", "Grüße\n".encode("utf-16-be"), "utf-16"),
            ("broken-utf8.txt", "m", "Grüße".encode("utf-8")[:-2] + b"\xe2\x82", "none"),
            ("blocks.txt", "m", b"x" * 65535 + b"\r\n\xf0", "none"),  # a CR LF across two reads
            ("swapped.txt", "m", b"a\r\nb\xf0\x00" * 20, "binary"),
        ]
        mac_zu_win, win_zu_mac = e2e.expected_tables()
        tables = {"m": (mac_zu_win, win_zu_mac), "w": (win_zu_mac, mac_zu_win), "swapped": swapped_tables()}
        swapped = self.program_copy(HEADER + b"13\t10\r\n")
        for name, direction, data, warning in cases:
            with self.subTest(case=name):
                path = self.write(name, data)
                run = self.run_program(["--check", direction, path], program=swapped if name == "swapped.txt" else None)
                want = check_line(data, *tables["swapped" if name == "swapped.txt" else direction]) + f" warning={warning} {path}\n"
                lossless = re.search(r"inexact=0 .* dropped=0 ", want)
                self.assertEqual((run.code, run.stdout, run.stderr), (0 if lossless else 4, want, ""))
                self.assertEqual(self.read(path), data)
        # Several files: one line each, in order; an unreadable one is exit 1.
        run = self.run_program(["m", "--check", self.path("ascii.txt"), self.path("fehlt"), self.path("mac.txt")])
        self.assertEqual((run.code, [line.split()[-1] for line in run.stdout.splitlines()]),
                         (1, [self.path("ascii.txt"), self.path("mac.txt")]), run)
        self.assertEqual(sorted(os.listdir(self.dir)), sorted([name for name, *_ in cases] + [os.path.basename(os.path.dirname(swapped))]))

    def test_line_ends_both_ways_through_files_and_pipes(self):
        # A CR LF across the stage's 32 KiB pieces, one across the loop's 256 KiB blocks.
        data = b"a\rb\nc\r\n\n\r\r\n"
        data += b"x" * (65535 - len(data)) + b"\r\n"
        data += b"y" * (262143 - len(data)) + b"\r\nz\r\r\n"
        swapped = HEADER + b"13\t10\r\n"  # Mac CR becomes Windows LF, and back
        # option, direction, table file (None: the shipped one), line end written
        cases = [("--crlf", "m", None, b"\r\n"), ("--cr", "w", None, b"\r"), ("--crlf", "m", swapped, b"\r\n"),
                 ("--cr", "w", swapped, b"\r")]
        for option, direction, table, end in cases:
            for how in ("file", "pipe"):
                with self.subTest(option=option, table=table is not None, how=how):
                    tables = e2e.expected_tables() if table is None else swapped_tables()
                    mapped = e2e.convert_through_bytes(tables[direction == "w"], data)
                    want = re.sub(rb"\r\n|\r|\n", end, mapped)
                    program = self.program_copy(table) if table else e2e.PROGRAM
                    src = self.write("quelle.txt", data)
                    if how == "file":
                        run = self.run_program([option, direction, src, self.path("ziel.txt")], program=program)
                        out = self.read(self.path("ziel.txt"))
                    else:
                        done = subprocess.run([program, direction, option, "-", "-"], input=data, capture_output=True)
                        run, out = e2e.Run(done), done.stdout
                    self.assertEqual((run.code, run.stderr), (0, ""))
                    self.assertEqual(out, want)
        for args in (["--crlf", "w", "x"], ["--cr", "m", "x"]):
            self.assertEqual(self.run_program(args).code, 2, args)

    def test_messages_follow_the_locale(self):
        if not any(re.fullmatch(r"de_DE\.utf-?8", name, re.I) for name in
                   subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.split()):
            self.skipTest("the locale de_DE.UTF-8 is not generated (tools/setup-debian.sh)")
        # English under C is what every other test expects.
        missing, german = self.path("fehlt.txt"), "de_DE.UTF-8"
        env = {"LC_ALL": german, "LANGUAGE": None}
        run = self.run_program(["m", missing], env=env)
        self.assertEqual(run.stderr, f"falvori: {missing}: Quelldatei kann nicht geöffnet werden: "
                                     f"{strerror(errno.ENOENT, german)}\n")
        self.assertTrue(self.run_program(["-x"], env=env).stderr.startswith("falvori: -x: unbekannte Option\n"))
        self.assertTrue(self.run_program(["--help"], env=env).stdout.startswith("Aufruf: falvori"))
        with e2e.OnTerminal(["m", missing, self.path("neu.txt")], dict(os.environ, LC_ALL=german, temp=self.dir)) as term:
            self.assertTrue(term.question().decode().endswith("[W]iederholen / [A]bbrechen? "))
            self.write("fehlt.txt", MAC_TEXT)
            self.assertEqual(term.answer(b"w\n"), 0, term.said)
        # Every message of the program has its German text.
        pot = self.path("falvori.pot")
        sources = [os.path.join(e2e.SOURCE_DIR, d, f) for d in ("app", "platform/posix")
                   for f in sorted(os.listdir(os.path.join(e2e.SOURCE_DIR, d))) if f.endswith(".cpp")]
        subprocess.run(["xgettext", "-LC++", "--from-code=UTF-8", "-k_", "-kN_", "-o", pot] + sources, check=True)
        done = subprocess.run(["msgcmp", os.path.join(e2e.SOURCE_DIR, "po", "de.po"), pot], capture_output=True, text=True)
        self.assertEqual(done.returncode, 0, done.stderr)

    def test_table_lookup_order(self):
        prefix, home = self.path("prefix"), self.path("home")
        shutil.copy2(e2e.PROGRAM, self.write("prefix/bin/falvori", b""))
        # Each place maps Mac "A" to another letter; a broken one says "defekt".
        places = {"config": os.path.join(home, "cfg", "falvori"), "home": os.path.join(home, ".config", "falvori"),
                  "beside": os.path.join(prefix, "bin"), "etc": os.path.join(prefix, "etc", "falvori"),
                  "share": os.path.join(prefix, "share", "falvori"), "given": self.path("given")}
        letters = dict(zip(places, b"CHBESG"))
        # XDG_CONFIG_HOME, tables present (broken ones in capitals), --table, outcome
        cases = [
            ("cfg", "config home beside etc share", None, "config"),
            ("", "home beside etc share", None, "home"),
            ("cfg", "beside etc share", None, "beside"),
            ("relative", "home etc share", None, "home"),  # a relative one is ignored
            ("cfg", "etc share", None, "etc"),
            ("cfg", "share", None, "share"),
            ("cfg", "config BESIDE etc", "given", "given"),
            ("cfg", "ETC share", None, "ETC"),  # found broken: named, never skipped
            ("cfg", "config-loop share", None, "CONFIG"),  # a link to itself is there too
            ("cfg", "", None, "SHARE"),  # none: the last place is named
        ]
        for xdg, present, given, outcome in cases:
            with self.subTest(present=present, given=given):
                for name, folder in places.items():
                    table = os.path.join(folder, e2e.TABLE_FILE)
                    if os.path.lexists(table):
                        os.remove(table)
                    if f"{name}-loop" in present:
                        os.makedirs(folder, exist_ok=True)
                        os.symlink(table, table)
                    if name in present.lower().split() or name == given:
                        broken = name.upper() in present.split()
                        self.write(table, b"kaputt\r\n" if broken else HEADER + b"65\t%d\r\n" % letters[name])
                src = self.write("a.txt", b"A")
                args = (["--table", os.path.join(places[given], e2e.TABLE_FILE)] if given else []) + ["m", src, "-"]
                env = {"HOME": home, "XDG_CONFIG_HOME": os.path.join(home, xdg) if xdg == "cfg" else xdg}
                run = self.run_program(args, program=os.path.join(prefix, "bin", "falvori"), env=env)
                if outcome.islower():
                    self.assertEqual((run.code, run.stdout.encode()), (0, bytes([letters[outcome]])), run)
                else:
                    table = os.path.join(places[outcome.lower()], e2e.TABLE_FILE)
                    self.assertEqual((run.code, [line[0] for line in e2e.failure_lines(run.stderr)]), (3, [table]))


def swapped_tables():
    mac, win = e2e.identity_tables()
    mac[0] = win[0] = 0
    mac[13], win[10] = 10, 13
    return mac, win


def strerror(number, name):
    """The system's text for number under the locale name."""
    old = locale.setlocale(locale.LC_MESSAGES)
    try:
        locale.setlocale(locale.LC_MESSAGES, name)
        return os.strerror(number)
    finally:
        locale.setlocale(locale.LC_MESSAGES, old)


if __name__ == "__main__":
    e2e.main()
