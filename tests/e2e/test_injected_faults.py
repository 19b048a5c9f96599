#!/usr/bin/env python3
"""Every read, write, copy, flush, close, link and rename of a conversion
fails or comes back short in turn (the LD_PRELOAD library in
tests/faultinject), in each way the copy step can go. After each fault the
exit code tells the truth (0 only with the complete destination), the
destination is the old file or the complete new one, and Retry on the
terminal gives exactly the converted bytes."""

import os
import unittest

import copy_support as cs
import e2e_support as e2e

LIBRARY = cs.LIBRARY
OLD = b"old contents\n"
DATA = cs.unrepeated(600 * 1024 + 7)  # three blocks of the conversion, the last one odd
NO_TMPFILE = "o_tmpfile:1:EOPNOTSUPP"
# Calls that carry data: an error there must never end with exit 0.
DATA_CALLS = ["read", "write", "pread64", "pwrite64", "copy_file_range", "sendfile"]
OTHER_CALLS = ["fsync", "close", "rename", "renameat", "renameat2", "linkat"]


@unittest.skipUnless(os.path.exists(LIBRARY), "the fault library is not built (sanitizer build?)")
class InjectedFaults(e2e.E2ETestCase):
    def ways(self):
        """name -> (temp folder, prepares the destination and returns its path)."""
        other = self.other = cs.other_file_system_folder(self)

        def existing(folder):
            return lambda name: self.write(os.path.join(folder, name), OLD)

        def hard_linked(name):
            path = existing(self.dir)(name)
            os.link(path, path + ".link")
            return path

        # Replaced on the tmpfs, where the new file is flushed before the rename.
        return {
            "moved into place": (other, existing(other)),
            "new file beside it": (self.dir, existing(other)),
            "named new file beside it": (self.dir, existing(other)),  # where O_TMPFILE is missing
            "new destination": (other, lambda name: self.path(name)),
            "named new destination": (other, lambda name: self.path(name)),
            "written in place": (self.dir, hard_linked),
        }

    def run_faulty(self, way, temp, dst, fault, log, answer):
        if way.startswith("named"):
            fault = ",".join(f for f in (NO_TMPFILE, fault) if f)
        env = e2e.environment(temp=temp, LD_PRELOAD=LIBRARY, FALVORI_FAULT=fault,
                             FALVORI_FAULT_LOG=log)
        args = ["m", self.src, dst]
        if answer:
            return cs.run_answering(args, env)
        run = self.run_program(args, env=env)
        return run.code, run.stderr, 0

    def counts(self, way, temp, dst, src=None):
        """How often each call is made, by a conversion of src into dst."""
        log = self.path("counts.log")
        env = e2e.environment(temp=temp, LD_PRELOAD=LIBRARY, FALVORI_FAULT_LOG=log,
                             FALVORI_FAULT=NO_TMPFILE if way.startswith("named") else "")
        run = self.run_program(["m", src or self.src, dst], env=env)
        with open(log) as f:
            lines = [line.split() for line in f]
        os.remove(log)
        return run.code, {line[1]: int(line[2]) for line in lines if line[0] == "count"}

    def test_every_call_fails_or_comes_back_short(self):
        self.src = self.write("quelle.txt", DATA)
        self.want = cs.converted(DATA)
        # Reading the table file is not part of the conversion.
        _, at_start = self.counts("", self.dir, self.path("nichts.txt"), src=self.path("fehlt.txt"))
        for way, (temp, prepare) in self.ways().items():
            code, counts = self.counts(way, temp, prepare(f"count {way}"))
            self.assertEqual(code, 0)
            self.assertGreaterEqual(counts["read"], 3, counts)
            if "new destination" not in way:
                self.assertGreaterEqual(counts.get("fsync", 0), 1, "no flush to fail")
            cases = [(call, n, how, answer)
                     for call in DATA_CALLS + OTHER_CALLS
                     for n in range(at_start.get(call, 0) + 1, counts.get(call, 0) + 1)
                     for how in (["short", "EIO"] if call in DATA_CALLS else ["EIO"])
                     for answer in ([False, True] if how == "EIO" else [False])]
            for call, n, how, answer in cases:
                with self.subTest(way=way, fault=f"{call} #{n} {how}", retry=answer):
                    self.check_one(way, temp, prepare, call, n, how, answer, counts)

    def test_a_copy_goes_on_another_way_where_one_ends(self):
        self.src = self.write("quelle.txt", DATA)
        other = self.other = cs.other_file_system_folder(self)
        vfat = "o_tmpfile:1:EOPNOTSUPP,linkat:1:EPERM"  # neither unnamed files nor links
        # name, faults, existing destination, exit code: complete or the old destination kept
        cases = [("the kernel copy ends early", "copy_file_range:1:zero", True, 0),
                 ("both kernel copies end early", "copy_file_range:1:zero,sendfile:1:zero", True, 0),
                 ("no kernel copy, a short write", "copy_file_range:1:EXDEV,sendfile:1:EINVAL,pwrite:1:short",
                  True, 0),
                 ("the file ends before its size", "copy_file_range:1:zero,sendfile:1:zero,pread:1:zero",
                  True, 1),
                 ("vfat, new", vfat, False, 0),
                 ("vfat, replaced", vfat, True, 0),
                 ("no rename that never replaces (NFS)", NO_TMPFILE + ",renameat2:1:EINVAL", False, 0)]
        for name, faults, existing, code in cases:
            with self.subTest(case=name):
                dst = os.path.join(other, "ziel.txt")
                if existing:
                    self.write(dst, OLD)
                run = self.run_program(["m", self.src, dst], env=e2e.environment(
                    temp=self.dir, LD_PRELOAD=LIBRARY, FALVORI_FAULT=faults))
                self.assertEqual(run.code, code, run)
                self.assertEqual(self.read(dst), cs.converted(DATA) if code == 0 else OLD)
                self.assertEqual(cs.litter(other), [])
                os.remove(dst)

    def check_one(self, way, temp, prepare, call, n, how, answer, counts):
        name = f"{way} {call} {n} {how} {answer}.txt".replace(" ", "_")
        dst = prepare(name)
        before = self.read(dst) if os.path.exists(dst) else None
        log = self.path("fault.log")
        code, err, asked = self.run_faulty(way, temp, dst, f"{call}:{n}:{how}", log, answer)
        with open(log) as f:
            fired = [line for line in f if line.startswith("fault ") and "o_tmpfile" not in line]
        os.remove(log)
        self.assertEqual(len(fired), 1, "the fault did not fire")
        after = self.read(dst) if os.path.exists(dst) else None
        if answer:
            self.assertEqual(code, 0, err)
            self.assertEqual(after, self.want, "Retry did not give the exact bytes")
            self.assertLessEqual(asked, 1, err)
        elif code == 0:
            self.assertEqual(after, self.want, "exit 0 without the complete destination")
        else:
            self.assertEqual(code, 1, err)
            if way != "written in place":
                self.assertEqual(after, before, "the old destination was changed")
        # The folder's flush after a replacing rename, the last flush: the
        # destination is written, and a failure there is a warning.
        after_rename = call == "fsync" and n == counts["fsync"] and way != "written in place"
        # A failed close passes only for a file not written through, or for
        # the last close: the intermediate file's, once the destination is
        # complete and flushed.
        closed_written = call == "close" and " written " in fired[0] and n < counts["close"]
        if how == "EIO" and after_rename and not answer:
            self.assertEqual(code, 0, err)
            self.assertIn("not flushed to disk", err)
        elif how == "EIO" and (call != "close" or closed_written) and not answer:
            self.assertEqual(code, 1, f"a failed {call} passed as success: {fired[0]}")
        self.assertEqual(cs.litter(self.dir) + cs.litter(self.other), [])
        self.assertEqual(self.read(self.src), DATA)
        if way == "written in place":
            self.assertEqual(self.read(dst + ".link"), after, "the hard link was split")
        leftover = os.path.join(temp, e2e.TEMP_NAME)
        if code == 0 and os.path.exists(leftover):
            self.fail("the intermediate file stayed after success")
        if os.path.exists(leftover):
            os.remove(leftover)


if __name__ == "__main__":
    e2e.main()
