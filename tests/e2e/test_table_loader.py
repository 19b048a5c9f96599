#!/usr/bin/env python3
"""Small table files through the real loader: the program is copied beside
each file and converts every byte value both ways."""

import e2e_support as e2e

H = b"QUORIND-Textbau"


class TableLoader(e2e.E2ETestCase):
    def test_table_files(self):
        # name, table file, {MacZuWin index: entry}, {WinZuMac index: entry}
        cases = [
            ("header only", H + b"\r\n", {}, {}),
            ("header without line end", H, {}, {}),
            ("one line", H + b"\r\n128\t196\r\n", {128: 196}, {196: 128}),
            ("lone CR line ends, no final one", H + b"\r128\t196\r65\t66",
             {128: 196, 65: 66}, {196: 128, 66: 65}),
            ("blanks inside numbers", H + b"\r\n 1 2 8\t 19 6 \r\n", {128: 196}, {196: 128}),
            ("empty second column", H + b"\r\n200\t\r\n", {200: 32}, {0: 200}),
            ("second column 0", H + b"\r\n200\t0\r\n", {200: 32}, {0: 200}),
            ("no TAB right after the header", H + b"\r\n65\r\n", {0: 65}, {65: 0}),
            ("empty line reuses the Mac code", H + b"\r\n128\t196\r\n\r\n",
             {128: 32}, {196: 128, 0: 128}),
            ("three columns", H + b"\r\n65\t66\t67\r\n", {66: 67}, {67: 66}),
            ("later line wins", H + b"\r\n128\t196\r\n129\t196\r\n",
             {128: 196, 129: 196}, {196: 129}),
        ]
        for name, table, mac_changes, win_changes in cases:
            with self.subTest(case=name):
                program = self.program_copy(table)
                source = self.write("alle.bin", e2e.ALL_BYTES)
                mac_zu_win, win_zu_mac = e2e.identity_tables()
                for index, entry in mac_changes.items():
                    mac_zu_win[index] = entry
                for index, entry in win_changes.items():
                    win_zu_mac[index] = entry
                for letter, table_ in (("m", mac_zu_win), ("w", win_zu_mac)):
                    dest = self.path(f"alle.{letter}")
                    run = self.run_program([letter, source, dest], program=program)
                    self.assertEqual(run.code, 0, run)
                    self.assertEqual(self.read(dest), e2e.convert_through(table_),
                                     f"direction {letter}")


if __name__ == "__main__":
    e2e.main()
