"""Helpers for the end-to-end tests: run the real program on real files.

Every test script is started as  script.py <program> <source dir>  and then
runs as a unittest module.
"""

import os
import pty
import resource
import re
import select
import shutil
import subprocess
import sys
import tempfile
import unittest

PROGRAM = None
SOURCE_DIR = None

# A broken program under test that writes without end (into its own source,
# say) must not fill the machine's disk: every file any test or program
# writes stays below 1 GiB.
resource.setrlimit(resource.RLIMIT_FSIZE, (1 << 30, 1 << 30))

TABLE_FILE = "ZeichenCodes Mac-Win.txt"
TEMP_NAME = "~Falvori~"
TABLE_FAILURE = "cannot use the table file"


def main():
    global PROGRAM, SOURCE_DIR
    if len(sys.argv) < 3:
        sys.exit(f"usage: {sys.argv[0]} <program> <source dir> [unittest options]")
    PROGRAM = os.path.abspath(sys.argv[1])
    SOURCE_DIR = os.path.abspath(sys.argv[2])
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)


# A failed file step on stderr: program, path, what it was doing, the
# system's description. Path and action come back for the test to compare.
FAILURE_LINE = re.compile(r"^falvori: (.*): ([^:\n]+): ([^:\n]+)$", re.MULTILINE)


def failure_lines(stderr):
    """[(path, action, system text)] of every failure line in stderr."""
    return FAILURE_LINE.findall(stderr)


def environment(**values):
    """The caller's environment with values set; None removes a variable."""
    environ = dict(os.environ)
    for key, value in values.items():
        if value is None:
            environ.pop(key, None)
        else:
            environ[key] = value
    return environ


class Run:
    def __init__(self, completed):
        self.code = completed.returncode
        self.stdout = completed.stdout.decode("utf-8", "replace")
        self.stderr = completed.stderr.decode("utf-8", "replace")

    def __repr__(self):
        return f"exit {self.code}, stderr {self.stderr!r}"


class E2ETestCase(unittest.TestCase):
    """Gives each test its own folder, also used as the intermediate folder."""

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="falvori-e2e-")
        self.addCleanup(shutil.rmtree, self.dir, ignore_errors=True)

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def write(self, name, data):
        path = self.path(name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def read(self, path):
        with open(path, "rb") as f:
            return f.read()

    def run_program(self, args, program=None, env=None, prefix=()):
        """Runs the program (after prefix, as a second user say) with the
        test folder as "temp"; env entries of None remove a variable.
        Questions get Cancel/No (stdin is no terminal)."""
        completed = subprocess.run(list(prefix) + [program or PROGRAM] + list(args),
                                   env=environment(**{"temp": self.dir, **(env or {})}),
                                   stdin=subprocess.DEVNULL, capture_output=True,
                                   timeout=60)
        return Run(completed)

    def program_copy(self, table):
        """The program alone in a folder of its own, beside the given table
        file content (bytes), or without a table file when table is None."""
        folder = tempfile.mkdtemp(prefix="prog-", dir=self.dir)
        program = os.path.join(folder, "falvori")
        shutil.copy2(PROGRAM, program)
        if table is not None:
            with open(os.path.join(folder, TABLE_FILE), "wb") as f:
                f.write(table)
        return program

    def assertNoIntermediate(self, folder=None):
        left = os.path.join(folder or self.dir, TEMP_NAME)
        self.assertFalse(os.path.exists(left), f"{left} was left behind")


ALL_BYTES = bytes(range(256))


class OnTerminal:
    """The program with a terminal as stdin, so that it asks Retry/Cancel:
    wait for its question, change the world, then answer it."""

    def __init__(self, args, env=None):
        self.master, slave = pty.openpty()
        try:
            self.proc = subprocess.Popen([PROGRAM] + list(args), env=env, stdin=slave,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        finally:
            os.close(slave)
        self.said = b""

    def question(self, timeout=60, may_end=False):
        """What the program wrote up to its next question; None when it
        ended without one and may_end."""
        start = len(self.said)
        while b"? " not in self.said[start:]:
            ready, _, _ = select.select([self.proc.stderr], [], [], timeout)
            if not ready:
                raise AssertionError(f"no question: {self.said!r}")
            chunk = os.read(self.proc.stderr.fileno(), 4096)
            if not chunk and may_end:
                return None
            if not chunk:
                raise AssertionError(f"ended without a question: {self.said!r}")
            self.said += chunk
        return self.said[start:]

    def answer(self, text=b"r\n", timeout=60):
        """Answers and waits for the end; returns the exit code."""
        os.write(self.master, text)
        _, rest = self.proc.communicate(timeout=timeout)
        self.said += rest
        return self.proc.returncode

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.proc.stderr.close()
        os.close(self.master)


def convert_through_bytes(table, data):
    """What converting data through a table gives: entry 0 drops the byte."""
    return bytes(data).translate(bytes(table)).replace(b"\x00", b"")


def convert_through(table):
    return convert_through_bytes(table, ALL_BYTES)


def identity_tables():
    return list(range(256)), list(range(256))


CODEC = {"mac": "mac_roman", "win": "cp1252"}
OTHER = {"mac": "win", "win": "mac"}


def counterpart(side, code):
    """The code of the same character in the other set, or None."""
    try:
        return bytes([code]).decode(CODEC[side]).encode(CODEC[OTHER[side]])[0]
    except UnicodeError:
        return None


def expected_tables():
    """MacZuWin and WinZuMac as the shipped file must make them: the codecs
    for shared characters, the documented replacements for the others."""
    documented = documented_replacements()
    tables = {}
    for side in CODEC:
        table = [0]
        for code in range(1, 256):
            want = counterpart(side, code)
            table.append(documented[(side, code)] if want is None else want)
        tables[side] = table
    return tables["mac"], tables["win"]


def documented_replacements():
    """{("mac"|"win", code): replacement code} from docs/table.md."""
    with open(os.path.join(SOURCE_DIR, "docs", "table.md"), encoding="utf-8") as f:
        doc = f.read()
    row = re.compile(r"^\| (Mac|Win) → (?:Win|Mac) \| (\d+) \(0x[0-9A-F]{2}\) \|.*\((\d+)\) \|$",
                     re.MULTILINE)
    found = {}
    for side, code, repl in row.findall(doc):
        key = (side.lower(), int(code))
        assert key not in found, f"{key} documented twice"
        found[key] = int(repl)
    return found
