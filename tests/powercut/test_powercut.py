#!/usr/bin/env python3
"""A power cut at any moment of a conversion leaves a replaced destination
as the old file or the complete new one, and after exit 0 as the new one.

ext4 lies on a loop device over a FUSE file that logs every write and flush
as it reaches the "disk". After the program has ended, each prefix of that
log is laid over the image as it was before the run, checked with e2fsck,
and the destination read back with debugfs. Prefixes of one recorded order
are what a disk that writes in order would hold; writes that a disk could
reorder within one flush epoch are not tried."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import copy_support as cs  # noqa: E402
import e2e_support as e2e  # noqa: E402

HELPER = os.environ.get("FALVORI_RECORDING_DISK", "")
TOOLS = ["losetup", "mkfs.ext4", "e2fsck", "debugfs"]
HEAD = struct.Struct("<cQI")
# Each write to the journalled disk takes this long (microseconds).
DELAY_US = 2000
# States replayed at most on the journalled disk (a few hundred are written).
STATES = 80

# Renames a file back and forth in its folder and flushes the folder: every
# flush commits the journal, with whatever else is in the running transaction.
FOLDER_FLUSHER = """
import os, sys
folder = sys.argv[1]
fd = os.open(folder, os.O_RDONLY)
names = [os.path.join(folder, n) for n in ("a", "b")]
open(names[0], "wb").close()
i = 0
while True:
    os.replace(names[i % 2], names[(i + 1) % 2])
    os.fsync(fd)
    i += 1
"""


def missing_requirement():
    if os.geteuid() != 0:
        return "needs root for loop devices and mounts"
    if not os.path.exists("/dev/fuse"):
        return "no /dev/fuse"
    for tool in TOOLS:
        if shutil.which(tool) is None:
            return f"{tool} is not installed"
    if not os.path.exists(HELPER):
        return "the recording FUSE file system was not built (no libfuse3?)"
    return None


class Disk:
    """ext4 on a loop device over the recording FUSE file."""

    def __init__(self, case, size_mb, journal, delay_us):
        self.case = case
        shm = "/dev/shm" if os.access("/dev/shm", os.W_OK) else None
        self.work = tempfile.mkdtemp(prefix="falvori-powercut-", dir=shm)
        case.addCleanup(shutil.rmtree, self.work, ignore_errors=True)
        self.image, self.base, self.log = (os.path.join(self.work, n) for n in ("image", "base", "log"))
        fuse, self.root = os.path.join(self.work, "fuse"), os.path.join(self.work, "ext4")
        os.mkdir(fuse)
        os.mkdir(self.root)
        with open(self.image, "wb") as f:
            f.truncate(size_mb << 20)
        features = [] if journal else ["-O", "^has_journal"]
        subprocess.run(["mkfs.ext4", "-q", "-F", "-b", "4096"] + features + [self.image], check=True)
        shutil.copyfile(self.image, self.base)

        helper = subprocess.Popen([HELPER, self.image, self.log, str(delay_us), fuse],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        case.addCleanup(self.stop_helper, helper, fuse)
        disk = os.path.join(fuse, "disk")
        deadline = time.monotonic() + 10
        while not os.path.exists(disk):
            if helper.poll() is not None or time.monotonic() > deadline:
                case.fail(f"the FUSE file system did not come up: {helper.stderr.read()!r}")
            time.sleep(0.02)

        self.loop = subprocess.run(["losetup", "--direct-io=on", "--show", "-f", disk],
                                   capture_output=True, text=True, check=True).stdout.strip()
        case.addCleanup(subprocess.run, ["losetup", "-d", self.loop], check=True)
        with open(f"/sys/block/{os.path.basename(self.loop)}/loop/dio") as f:
            if f.read().strip() != "1":
                case.skipTest("the loop device does not run with direct I/O on this FUSE file")
        subprocess.run(["mount", "-t", "ext4", self.loop, self.root], check=True)
        case.addCleanup(subprocess.run, ["umount", "-l", self.root], check=True)

    @staticmethod
    def stop_helper(helper, fuse):
        subprocess.run(["umount", "-l", fuse], capture_output=True)
        try:
            helper.wait(10)
        except subprocess.TimeoutExpired:
            helper.kill()
            helper.wait()
        helper.stderr.close()

    def path(self, *parts):
        return os.path.join(self.root, *parts)

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)

    def keep_flushing(self, folder):
        os.mkdir(self.path(folder))
        load = subprocess.Popen([sys.executable, "-c", FOLDER_FLUSHER, self.path(folder)])
        self.case.addCleanup(load.wait)
        self.case.addCleanup(load.kill)
        return load

    def mark(self):
        return os.path.getsize(self.log)

    def records(self, start, stop):
        """(records before start, the records from start to stop, each with
        its end in the log); a record that began before start was on its way
        already and goes with those."""
        with open(self.log, "rb") as f:
            log = memoryview(f.read())
        before, recorded, at = [], [], 0
        while at + HEAD.size <= len(log):
            kind, offset, length = HEAD.unpack_from(log, at)
            end = at + HEAD.size + length
            if end > stop:
                break
            data = log[at + HEAD.size:end]
            (before if at < start else recorded).append((kind, offset, length, data, end))
            at = end
        return before, recorded


def apply(fd, record):
    kind, offset, _, data, _ = record
    if kind == b"W":
        os.pwrite(fd, data, offset)


def flushes(recorded):
    return sum(kind != b"W" for kind, *_ in recorded)


def read_back(image, path):
    """(e2fsck's exit code, the file's bytes or None, entries in lost+found)."""
    fsck = subprocess.run(["e2fsck", "-fy", image], capture_output=True)
    cat = subprocess.run(["debugfs", "-R", f"cat {path}", image], capture_output=True)
    if b"File not found" in cat.stderr:
        listing = subprocess.run(["debugfs", "-R", "ls -p /lost+found", image],
                                 capture_output=True, text=True).stdout
        lost = [f[5] for f in (line.split("/") for line in listing.splitlines())
                if len(f) > 6 and f[1] != "0" and f[5] not in (".", "..")]
        return fsck.returncode, None, len(lost)
    return fsck.returncode, cat.stdout, 0


def kind_of(content, old, new, lost):
    if content is None:
        return f"missing ({lost} in lost+found)" if lost else "missing"
    if content == new:
        return "new"
    if content == old:
        return "old"
    if not content:
        return "empty"
    if content.count(0) == len(content):
        return "zeros"
    return f"mixed ({len(content)} bytes)"


@unittest.skipIf(missing_requirement(), missing_requirement())
class PowerCut(unittest.TestCase):
    def crash_anywhere(self, old, source=None, journal=False, delay_us=0, flush_load=False, most=None):
        """Replaces ziel/ziel.txt (old) by the converted source, or converts
        it in place without one, and checks the disk at every write until
        all that the program left to the system has reached it (or at most
        `most` of those states, evenly spread, and every one at a flush)."""
        new = cs.converted(old if source is None else source)
        disk = Disk(self, size_mb=max(16, 5 * len(old) >> 20), journal=journal, delay_us=delay_us)
        for folder in ("ziel", "temp"):
            os.mkdir(disk.path(folder))
        disk.write("ziel/ziel.txt", old)
        args = ["ziel/ziel.txt"]
        if source is not None:
            disk.write("quelle.txt", source)
            args.insert(0, "quelle.txt")
        load = disk.keep_flushing("last") if flush_load else None
        os.sync()
        start = disk.mark()
        run = subprocess.run([e2e.PROGRAM, "m"] + [disk.path(a) for a in args],
                             env=cs.environment(temp=disk.path("temp")), stdin=subprocess.DEVNULL,
                             capture_output=True, timeout=60)
        # What the disk had got by the moment the program ended; what the
        # system still held is written on, as after any program, until a
        # sync (a crash may come at any point of that too).
        at_exit = disk.mark()
        subprocess.run(["sync", "-f", disk.root], check=True)
        stop = disk.mark()
        self.assertEqual(run.returncode, 0, run.stderr)
        if load:
            self.assertIsNone(load.poll(), "the folder flushes stopped")
        with open(disk.path("ziel", "ziel.txt"), "rb") as f:
            self.assertEqual(f.read(), new)

        before, recorded = disk.records(start, stop)
        writes = [r for r in recorded if r[0] == b"W"]
        exit_state = sum(r[4] <= at_exit for r in writes)
        checked = set(range(len(writes) + 1))
        if most and len(checked) > most:
            at_flush = {sum(w[4] <= r[4] for w in writes) for r in recorded if r[0] != b"W"}
            checked = {round(i * len(writes) / (most - 1)) for i in range(most)} | at_flush | {exit_state}
        replay, check = disk.image + ".replay", disk.image + ".check"
        shutil.copyfile(disk.base, replay)
        fd = os.open(replay, os.O_RDWR)
        try:
            for record in before:
                apply(fd, record)
            seen, bad = [], []
            # State k: the first k writes are on the disk.
            for state in range(len(writes) + 1):
                if state:
                    apply(fd, writes[state - 1])
                if state not in checked:
                    continue
                shutil.copyfile(replay, check)
                code, content, lost = read_back(check, "/ziel/ziel.txt")
                kind = kind_of(content, old, new, lost) + (f", e2fsck exit {code}" if code >= 4 else "")
                seen.append(kind)
                # Exit 0 promises the new file, on the disk by then.
                if kind not in ("old", "new") or (state >= exit_state and kind != "new"):
                    bad.append((state, kind))
        finally:
            os.close(fd)
        print(f"\n{len(seen)} of {len(writes) + 1} states checked ({flushes(recorded)} flushes, "
              f"program ended at state {exit_state}), {len(bad)} bad: {bad}", file=sys.stderr)
        self.assertEqual(seen[0], "old", "the old file was not on the disk before the run")
        self.assertEqual(bad, [], f"{len(seen)} states checked, {len(bad)} bad")

    def test_replace_without_journal(self):
        self.crash_anywhere(cs.unrepeated(256 << 10, seed=2), source=cs.unrepeated(256 << 10, seed=1))

    def test_in_place_without_journal(self):
        self.crash_anywhere(cs.unrepeated(256 << 10, seed=3))

    def test_replace_with_journal_on_a_slow_disk_under_folder_flushes(self):
        self.crash_anywhere(cs.unrepeated(16 << 20, seed=5), source=cs.unrepeated(16 << 20, seed=4),
                            journal=True, delay_us=DELAY_US, flush_load=True, most=STATES)

    def test_in_place_with_journal_on_a_slow_disk_under_folder_flushes(self):
        self.crash_anywhere(cs.unrepeated(16 << 20, seed=6), journal=True, delay_us=DELAY_US,
                            flush_load=True, most=STATES)


if __name__ == "__main__":
    e2e.main()
