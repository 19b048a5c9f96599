#!/usr/bin/env python3
"""Several conversions at once share one intermediate file name: the one
that owns it keeps it to itself, the others fail and write nothing."""

import fcntl
import os
import subprocess

import copy_support as cs
import e2e_support as e2e


class TwoProgramsAtOnce(e2e.E2ETestCase):
    def test_an_owned_intermediate_file_is_left_alone(self):
        temp = self.path(e2e.TEMP_NAME)
        src = self.write("a.txt", "Grüße".encode("mac_roman"))
        dst = self.path("b.txt")
        with open(temp, "wb") as owner:
            owner.write(b"owner's data")
            owner.flush()
            fcntl.flock(owner, fcntl.LOCK_EX)
            run = self.run_program(["m", src, dst])
            self.assertEqual(run.code, 1, run)
            self.assertEqual([line[0] for line in e2e.failure_lines(run.stderr)], [temp], run)
            self.assertFalse(os.path.exists(dst))
            self.assertEqual(self.read(temp), b"owner's data")
        os.remove(temp)
        run = self.run_program(["m", src, dst])
        self.assertEqual(run.code, 0, run)
        self.assertEqual(self.read(dst), "Grüße".encode("cp1252"))

    def test_simultaneous_runs_never_mix_their_data(self):
        count, size = 6, 3_000_000
        sources = [self.write(f"src{i}.txt", cs.unrepeated(size, seed=i)) for i in range(count)]
        expected = [cs.converted(self.read(s)) for s in sources]
        env = dict(os.environ, temp=self.dir)
        winners = 0
        for round_ in range(3):
            dests = [self.path(f"dst{round_}_{i}.txt") for i in range(count)]
            procs = [subprocess.Popen([e2e.PROGRAM, "m", s, d], env=env, stdin=subprocess.DEVNULL,
                                      stdout=subprocess.PIPE, stderr=subprocess.PIPE)
                     for s, d in zip(sources, dests)]
            losers = []
            for i, p in enumerate(procs):
                _, err = p.communicate(timeout=120)
                if p.returncode == 0:
                    winners += 1
                    self.assertEqual(self.read(dests[i]), expected[i], f"round {round_}, run {i}")
                else:
                    self.assertEqual(p.returncode, 1, err)
                    self.assertEqual(len(e2e.failure_lines(err.decode())), 1, err)
                    self.assertFalse(os.path.exists(dests[i]), "a failed run wrote its destination")
                    losers.append(i)
            # Retried once the others are done, every loser succeeds.
            for i in losers:
                run = self.run_program(["m", sources[i], dests[i]])
                self.assertEqual(run.code, 0, run)
                self.assertEqual(self.read(dests[i]), expected[i])
        self.assertGreater(winners, 0)
        self.assertFalse(os.path.exists(self.path(e2e.TEMP_NAME)))


if __name__ == "__main__":
    e2e.main()
