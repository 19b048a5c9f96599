#!/usr/bin/env python3
"""kill -9 at random moments during 50 conversions of a large file, with
the intermediate file moved into place and with a new file made beside the
destination: the destination is always the old file or the complete new
one. A kill in the moment between naming the new file and its rename may
leave it beside the destination, complete; nothing else of ours stays, and
no file of anyone else's is ever removed."""

import hashlib
import os
import random
import signal
import subprocess
import time

import copy_support as cs
import e2e_support as e2e

ROUNDS = 25  # for each way


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


class KilledConversions(e2e.E2ETestCase):
    def test_kill_at_random_moments(self):
        data = cs.unrepeated(24 * 1024 * 1024, seed=7)
        src = self.write("gross.txt", data)
        want = hashlib.sha256(cs.converted(data)).hexdigest()
        old_data = cs.unrepeated(1024 * 1024, seed=8)
        old = hashlib.sha256(old_data).hexdigest()
        out = self.path("out")
        os.makedirs(out)
        kept = []
        if os.geteuid() == 0:
            foreign = os.path.join(out, ".~Falvori~zzzzzz")  # named like ours, is another user's
            with open(foreign, "wb") as f:
                f.write(b"not ours")
            os.chown(foreign, cs.SECOND_USER, cs.SECOND_USER)
            kept = [os.path.basename(foreign)]
        rng = random.Random(int(os.environ.get("FALVORI_KILL_SEED", "0")) or None)
        dst = os.path.join(out, "ziel.txt")
        for way, temp in (("moved into place", self.dir),
                          ("new file beside it", cs.other_file_system_folder(self))):
            env = e2e.environment(temp=temp)
            for _ in range(2):  # the second one replaces, as the killed ones do
                start = time.monotonic()
                self.assertEqual(subprocess.run([e2e.PROGRAM, "m", src, dst], env=env).returncode, 0)
                duration = time.monotonic() - start
            outcomes = {"old": 0, "new": 0}
            for round_ in range(ROUNDS):
                with self.subTest(way=way, round=round_):
                    with open(dst, "wb") as f:
                        f.write(old_data)
                    proc = subprocess.Popen([e2e.PROGRAM, "m", src, dst], env=env,
                                            stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                    time.sleep(rng.uniform(duration * 0.2, duration * 1.3))
                    proc.send_signal(signal.SIGKILL)
                    proc.wait()
                    now = digest(dst)
                    self.assertIn(now, (old, want), "the destination is cut or mixed")
                    outcomes["old" if now == old else "new"] += 1
            print(f"{way}: {duration * 1000:.0f} ms a conversion; after {ROUNDS} kills "
                  f"{outcomes['old']} old, {outcomes['new']} new")
            run = subprocess.run([e2e.PROGRAM, "m", src, dst], env=env, capture_output=True)
            self.assertEqual(run.returncode, 0, run.stderr)
            self.assertEqual(digest(dst), want)
            left = [n for n in cs.litter(out) if n not in kept]
            self.assertTrue(all(digest(os.path.join(out, n)) == want for n in left), left)
            self.assertTrue(set(kept) <= set(os.listdir(out)), "removed a file of another user")


if __name__ == "__main__":
    e2e.main()
