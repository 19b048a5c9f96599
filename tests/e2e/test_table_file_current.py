#!/usr/bin/env python3
"""The shipped table file and the replacement table in docs/table.md are
exactly what tools/make_table.py generates now, and the table documents
every unshared code. (The tables through the program: test_unix_tool.)"""

import os
import shutil
import subprocess
import sys

import e2e_support as e2e


class TableFileCurrent(e2e.E2ETestCase):
    def test_documented_replacements_cover_exactly_the_unshared_codes(self):
        unshared = {(side, code) for side in e2e.CODEC for code in range(256)
                    if e2e.counterpart(side, code) is None}
        self.assertEqual(len(unshared), 50)
        self.assertEqual(set(e2e.documented_replacements()), unshared)

    def test_generator_reproduces_shipped_files(self):
        table = os.path.join("data", e2e.TABLE_FILE)
        doc = os.path.join("docs", "table.md")
        os.makedirs(self.path("data"))
        os.makedirs(self.path("docs"))
        shutil.copy(os.path.join(e2e.SOURCE_DIR, doc), self.path(doc))
        subprocess.run([sys.executable, os.path.join(e2e.SOURCE_DIR, "tools", "make_table.py"),
                        self.dir], check=True, capture_output=True)
        for name in (table, doc):
            with self.subTest(file=name):
                self.assertEqual(self.read(self.path(name)),
                                 self.read(os.path.join(e2e.SOURCE_DIR, name)),
                                 f"{name} is stale: run tools/make_table.py")

    def test_program_folder_holds_the_shipped_table(self):
        beside = os.path.join(os.path.dirname(e2e.PROGRAM), e2e.TABLE_FILE)
        self.assertEqual(self.read(beside),
                         self.read(os.path.join(e2e.SOURCE_DIR, "data", e2e.TABLE_FILE)))


if __name__ == "__main__":
    e2e.main()
