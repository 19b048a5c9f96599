#!/usr/bin/env python3
"""What the destination is, and what it stays: a destination that is no
ordinary file is refused; an ordinary one is replaced atomically when the
new file can carry everything the old one had (owner, group, mode with
set-user-ID, extended attributes, ACLs, one name), else written in place.
Both with temp on the destination's file system (the intermediate file is
moved into place) and on another one (a new file is made beside it)."""

import errno
import os
import shutil
import socket
import stat
import subprocess
import unittest

import copy_support as cs
import e2e_support as e2e

TEXT = "Grüße – „Straßenbahn“ fährt um 8 Uhr.\r".encode("mac_roman")
WIN = TEXT.decode("mac_roman").encode("cp1252")
OLD = b"old contents\n"
NOT_REGULAR = "Not a regular file"
NOBODY = cs.SECOND_USER
needs_root = unittest.skipUnless(os.geteuid() == 0, "needs root to give files to a second user")


def has_acl_tools():
    return shutil.which("setfacl") is not None


class Destinations(e2e.E2ETestCase):
    def setUp(self):
        super().setUp()
        os.chmod(self.dir, 0o755)  # the second user works in here too
        self.src = self.write("quelle.txt", TEXT)
        os.chmod(self.src, 0o644)

    def test_no_ordinary_file_is_refused(self):
        fifo = self.path("fifo")
        os.mkfifo(fifo)
        sock = socket.socket(socket.AF_UNIX)
        sock.bind(self.path("socket"))
        self.addCleanup(sock.close)
        os.symlink(fifo, self.path("link to a pipe"))
        os.symlink(self.path("nirgends"), self.path("dangling"))
        device = self.path("device")
        try:
            os.mknod(device, 0o666 | stat.S_IFCHR, os.makedev(1, 3))
        except PermissionError:
            device = None
        # name, destination, the failure's text
        cases = [("FIFO", fifo, NOT_REGULAR), ("socket", self.path("socket"), NOT_REGULAR),
                 ("link to a pipe", self.path("link to a pipe"), NOT_REGULAR),
                 ("dangling link", self.path("dangling"), os.strerror(errno.ENOENT)),
                 ("folder", self.dir, os.strerror(errno.EISDIR))]
        if device:
            cases.append(("character device", device, NOT_REGULAR))
        for name, dst, text in cases:
            with self.subTest(case=name):
                kind = stat.S_IFMT(os.lstat(dst).st_mode)
                run = self.run_program(["m", self.src, dst])
                self.assertEqual(run.code, 1, run)
                self.assertEqual(e2e.failure_lines(run.stderr),
                                 [(dst, "cannot write the destination", text)], run)
                self.assertEqual(run.stderr.count("\n"), 1, run)  # Cancel ends it
                self.assertEqual(stat.S_IFMT(os.lstat(dst).st_mode), kind, "replaced")
                self.assertEqual(run.stdout, "")
                self.assertEqual(cs.litter(self.dir), [])
        self.assertFalse(os.path.exists(self.path("nirgends")))

    def prepare(self, name, mode=0o644, owner=(0, 0), folder=None, folder_owner=0, xattr=False,
                acl=False, link=False, caps=False, old=OLD, temp_acl=False):
        folder = folder or self.path(name)
        os.makedirs(folder, exist_ok=True)
        os.chown(folder, folder_owner, folder_owner)
        dst = os.path.join(folder, "ziel.txt")
        with open(dst, "wb") as f:
            f.write(old)
        os.chown(dst, *owner)
        if xattr:
            os.setxattr(dst, "user.herkunft", b"Mac")
        if acl:
            subprocess.run(["setfacl", "-m", f"u:{NOBODY}:rw", dst], check=True)
        os.chmod(dst, mode)  # after chown, which clears set-user-ID
        if caps:
            subprocess.run(["setcap", "cap_net_raw+ep", dst], check=True)
        if link:
            os.link(dst, dst + ".zweiter Name")
        return dst

    @needs_root
    def test_replacing_keeps_what_the_file_is(self):
        """Atomic where everything can be carried, in place where not."""
        other = cs.other_file_system_folder(self)
        locked = self.path("locked")  # a folder the second user may not create files in
        os.makedirs(locked)
        shared = self.path("shared")  # sticky and open to all, like /tmp
        os.makedirs(shared)
        os.chmod(shared, 0o1777)
        # name, options for prepare, run as the second user, atomic
        cases = [
            ("plain 0640", dict(mode=0o640), False, True),
            ("other owner, set-user-ID", dict(mode=0o4755, owner=(NOBODY, NOBODY)), False, True),
            ("set-group-ID", dict(mode=0o2775, owner=(NOBODY, NOBODY)), False, True),
            ("extended attribute", dict(xattr=True), False, True),
            ("hard link", dict(link=True, mode=0o600), False, False),
            # Written in place, the kernel drops capabilities (for root too)
            # and set-ID bits (without CAP_FSETID): they are given back. The
            # old file is longer than the new one: cut to length.
            ("hard link, capability, longer", dict(link=True, mode=0o755, caps=True, old=OLD * 9),
             False, False),
            ("user's own, hard link, set-user-ID",
             dict(link=True, mode=0o4755, owner=(NOBODY, NOBODY), folder_owner=NOBODY), True, False),
            # The temp folder's default ACL must not reach the replaced file.
            ("temp with a default ACL", dict(temp_acl=True), False, True),
            ("user's own, set-user-ID",
             dict(mode=0o4755, owner=(NOBODY, NOBODY), folder_owner=NOBODY), True, True),
            ("user's file, folder not writable", dict(owner=(NOBODY, NOBODY), folder=locked), True, False),
            ("another's writable file", dict(mode=0o666, folder=shared), True, False),
        ]
        if has_acl_tools():
            cases.append(("POSIX ACL", dict(acl=True, mode=0o660), False, True))
        for temp_name, temp in (("temp beside", None), ("temp elsewhere", other)):
            for name, options, second_user, atomic in cases:
                with self.subTest(temp=temp_name, case=name):
                    self.check_replace(temp, f"{temp_name} {name}", options, second_user, atomic)

    def check_replace(self, temp, name, options, second_user, atomic):
        if "folder" in options:
            for f in os.listdir(options["folder"]):
                os.remove(os.path.join(options["folder"], f))
            options["folder_owner"] = os.stat(options["folder"]).st_uid
        dst = self.prepare(name, **options)
        before = os.stat(dst)
        attributes = {n: os.getxattr(dst, n) for n in os.listxattr(dst)}
        temp_folder = self.path(f"temp {NOBODY if second_user else 0}" + " acl" * options.get("temp_acl", False))
        os.makedirs(temp_folder, exist_ok=True)
        if temp:
            temp_folder = os.path.join(temp, os.path.basename(temp_folder))
            os.makedirs(temp_folder, exist_ok=True)
        if second_user:
            os.chown(temp_folder, NOBODY, NOBODY)
        if options.get("temp_acl"):
            subprocess.run(["setfacl", "-d", "-m", f"u:{NOBODY}:rwx", temp_folder], check=True)
        run = self.run_program(["m", self.src, dst], env={"temp": temp_folder},
                               prefix=cs.AS_SECOND_USER if second_user else ())
        self.assertEqual(run.code, 0, run)
        self.assertEqual(self.read(dst), WIN)
        after = os.stat(dst)
        self.assertEqual(after.st_ino != before.st_ino, atomic, "replaced the wrong way")
        self.assertEqual((stat.S_IMODE(after.st_mode), after.st_uid, after.st_gid, after.st_nlink),
                         (stat.S_IMODE(before.st_mode), before.st_uid, before.st_gid, before.st_nlink))
        self.assertEqual({n: os.getxattr(dst, n) for n in os.listxattr(dst)}, attributes)
        if options.get("link"):
            self.assertEqual(self.read(dst + ".zweiter Name"), WIN)
        self.assertEqual(cs.litter(os.path.dirname(dst)), [])
        self.assertFalse(os.path.exists(os.path.join(temp_folder, e2e.TEMP_NAME)))

    @needs_root
    def test_new_destination_gets_what_its_folder_gives(self):
        other = cs.other_file_system_folder(self)
        inherit = self.path("inherit")
        os.makedirs(inherit)
        os.chown(inherit, 0, NOBODY)
        os.chmod(inherit, 0o2775)
        # name, folder, expected group, default ACL
        cases = [("plain folder", self.path("plain"), 0, False),
                 ("set-group-ID folder", inherit, NOBODY, False)]
        if has_acl_tools():
            cases.append(("default ACL", self.path("acl"), 0, True))
        for temp_name, temp in (("temp beside", self.dir), ("temp elsewhere", other)):
            for name, folder, group, acl in cases:
                with self.subTest(temp=temp_name, case=name):
                    os.makedirs(folder, exist_ok=True)
                    if acl:
                        subprocess.run(["setfacl", "-d", "-m", f"u:{NOBODY}:rw", folder], check=True)
                    dst = os.path.join(folder, f"neu {temp_name}.txt")
                    env = e2e.environment(temp=temp)
                    run = subprocess.run([e2e.PROGRAM, "m", self.src, dst], env=env,
                                         capture_output=True, stdin=subprocess.DEVNULL,
                                         preexec_fn=lambda: os.umask(0o027))
                    self.assertEqual(run.returncode, 0, run.stderr)
                    self.assertEqual(self.read(dst), WIN)
                    st = os.stat(dst)
                    self.assertEqual(st.st_gid, group)
                    self.assertEqual("system.posix_acl_access" in os.listxattr(dst), acl)
                    if not acl:
                        self.assertEqual(stat.S_IMODE(st.st_mode), 0o640)
                    self.assertFalse(os.path.exists(os.path.join(temp, e2e.TEMP_NAME)))

    def test_flush_before_a_replacing_rename(self):
        """A replaced destination must never come out empty after a crash:
        its data reach the disk, then its attributes, before it takes the
        name, and the folder after. A new destination is not flushed: the
        source stays."""
        if not shutil.which("strace"):
            self.skipTest("strace is not installed")
        tmpfs = cs.other_file_system_folder(self)
        calls = "fsync,fdatasync,fchown,fchmod,rename,renameat,renameat2,linkat"
        # name, destination's folder, temp, existing destination, the calls in their order
        cases = [("moved into place", tmpfs, tmpfs, True, ["fsync", "fchmod", "fsync", "rename", "fsync"]),
                 ("new file beside it", tmpfs, self.dir, True,
                  ["fsync", "fchmod", "fsync", "linkat", "rename", "fsync"]),
                 ("new destination", self.dir, tmpfs, False, ["linkat"])]
        for name, folder, temp, existing, order in cases:
            with self.subTest(case=name):
                dst = os.path.join(folder, "ziel.txt")
                if existing:
                    self.write(dst, OLD)
                    os.chmod(dst, 0o640)
                log = self.path("strace.log")
                run = subprocess.run(["strace", "-f", "-o", log, "-e", f"trace={calls}",
                                      e2e.PROGRAM, "m", self.src, dst],
                                     # LeakSanitizer cannot run under ptrace
                                     env=e2e.environment(temp=temp, ASAN_OPTIONS="detect_leaks=0"),
                                     capture_output=True)
                self.assertEqual(run.returncode, 0, run.stderr)
                with open(log) as f:
                    seen = [line.split()[1].split("(")[0] for line in f if "(" in line
                            and "= 0" in line]
                seen = ["rename" if c.startswith("rename") else c for c in seen]
                os.remove(log)
                self.assertEqual(seen, order)
                self.assertEqual(self.read(dst), WIN)
                os.remove(dst)

    @needs_root
    def test_failed_move_leaves_everything_where_it_was(self):
        """A failing rename puts the intermediate file back as it was (ours,
        0600), keeps the old destination, and Retry then gets through."""
        if not os.path.exists(cs.LIBRARY):
            self.skipTest("the fault library is not built (sanitizer build?)")
        dst = self.prepare("move", mode=0o4755, owner=(NOBODY, NOBODY))
        env = e2e.environment(temp=self.dir, LD_PRELOAD=cs.LIBRARY, FALVORI_FAULT="renameat2:1:EIO")
        run = self.run_program(["m", self.src, dst], env=env)
        self.assertEqual(run.code, 1, run)
        self.assertEqual(self.read(dst), OLD)
        intermediate = self.path(e2e.TEMP_NAME)
        self.assertEqual(self.read(intermediate), WIN)
        self.assertEqual(cs.mode_owner(intermediate), (0o600, os.geteuid(), os.getegid(), 1))
        code, err, asked = cs.run_answering(["m", self.src, dst], env)
        self.assertEqual((code, asked), (0, 1), err)
        self.assertEqual(self.read(dst), WIN)
        self.assertEqual(cs.mode_owner(dst), (0o4755, NOBODY, NOBODY, 1))

    def test_nothing_is_removed_by_its_name(self):
        """A file the user named like our new files, and one that another
        program holds open, stay where a conversion goes."""
        other = cs.other_file_system_folder(self)
        for way, temp in (("moved into place", self.dir), ("new file beside it", other)):
            with self.subTest(way=way):
                folder = self.path(way)
                os.makedirs(folder)
                theirs = [self.write(os.path.join(folder, ".~Falvori~" + n), b"mine") for n in ("abcdef", "ZZZZZZ")]
                dst = self.write(os.path.join(folder, "ziel.txt"), OLD)
                with open(theirs[1], "rb"):
                    run = self.run_program(["m", self.src, dst], env={"temp": temp})
                self.assertEqual(run.code, 0, run)
                self.assertEqual([self.read(p) for p in theirs], [b"mine", b"mine"])

    @unittest.skipUnless(os.path.exists(cs.LIBRARY), "the fault library is not built")
    def test_a_new_intermediate_file_of_another_program_survives(self):
        """After the move, "~Falvori~" may belong to another conversion: the
        first one must not delete it when it ends."""
        other = cs.other_file_system_folder(self)
        dst = self.write(os.path.join(other, "ziel.txt"), OLD)
        intermediate = os.path.join(other, e2e.TEMP_NAME)
        # Stopped at the folder's flush, after the rename.
        first = cs.stop_at("fsync:3", ["m", self.src, dst], e2e.environment(temp=other))
        self.assertEqual(self.read(dst), WIN)
        self.assertFalse(os.path.exists(intermediate))
        # A second program makes a new intermediate file and is cancelled.
        second = self.run_program(["w", self.src, self.path("kein Ordner", "x.txt")],
                                  env={"temp": other})
        self.assertEqual(second.code, 1, second)
        theirs = self.read(intermediate)
        self.assertEqual(cs.go_on(first), (0, ""))
        self.assertEqual(self.read(intermediate), theirs)
        self.assertEqual(self.read(dst), WIN)

    @unittest.skipUnless(os.path.exists(cs.LIBRARY), "the fault library is not built")
    def test_a_destination_that_appears_meanwhile_is_never_replaced(self):
        other = cs.other_file_system_folder(self)
        # name, temp, the call that gives the new file its name, where O_TMPFILE is refused
        cases = [("moved into place", self.dir, "renameat2:1", False),
                 ("unnamed new file beside it", other, "linkat:1", False),
                 ("named new file beside it", other, "renameat2:1", True)]
        for name, temp, call, named in cases:
            with self.subTest(case=name):
                dst = self.path(name)
                env = e2e.environment(temp=temp)
                if named:
                    call = "o_tmpfile:1:EOPNOTSUPP," + call
                proc = cs.stop_at(call, ["m", self.src, dst], env)
                self.write(dst, b"theirs")
                code, err = cs.go_on(proc)
                self.assertEqual(code, 1, err)
                self.assertEqual([f[2] for f in e2e.failure_lines(err)], [os.strerror(errno.EEXIST)])
                self.assertEqual(self.read(dst), b"theirs")
                self.assertEqual(cs.litter(self.dir), [])

if __name__ == "__main__":
    e2e.main()
