#!/usr/bin/env python3
"""All 512 entries of the shipped tables, read back through the real loader:
a file of every byte value converted in both directions. Shared characters
must match the mac_roman and cp1252 codecs, the others the documented
replacements; byte 0 is dropped in both directions."""

import e2e_support as e2e


class TableOracle(e2e.E2ETestCase):
    def test_documented_replacements_cover_exactly_the_unshared_codes(self):
        unshared = {(side, code) for side in e2e.CODEC for code in range(256)
                    if e2e.counterpart(side, code) is None}
        self.assertEqual(len(unshared), 50)
        self.assertEqual(set(e2e.documented_replacements()), unshared)

    def test_every_entry_through_the_loader(self):
        source = self.write("alle.bin", e2e.ALL_BYTES)
        for letter, table in zip("mw", e2e.expected_tables()):
            with self.subTest(direction=letter):
                dest = self.path(f"alle.{letter}")
                run = self.run_program([letter, source, dest])
                self.assertEqual(run.code, 0, run)
                got = self.read(dest)
                self.assertEqual(len(got), 255, "exactly byte 0 must be dropped")
                wrong = [f"{code}->{got[code - 1]} (want {table[code]})"
                         for code in range(1, 256) if got[code - 1] != table[code]]
                self.assertEqual(wrong, [])
                # Not through the codecs: the Euro sign is Mac 0xDB, Windows 0x80.
                self.assertEqual(got[(0xDB if letter == "m" else 0x80) - 1], 0x80 if letter == "m" else 0xDB)
                self.assertNoIntermediate()


if __name__ == "__main__":
    e2e.main()
