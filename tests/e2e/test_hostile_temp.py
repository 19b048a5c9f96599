#!/usr/bin/env python3
"""A second user on the same machine prepares "~Falvori~" in a folder that
both use, or the private folder under /tmp, or a link where the user's
destination will be: the conversion must refuse, never write through it,
never hang, and leave every file as it was."""

import errno
import os
import shutil
import stat
import subprocess
import unittest

import copy_support as cs
import e2e_support as e2e

TEXT = "Grüße\r".encode("mac_roman")
WIN = "Grüße\r".encode("cp1252")
NOBODY = cs.SECOND_USER
OTHER = 65533  # a third user, neither root nor the one converting


class HostileTemp(e2e.E2ETestCase):
    def setUp(self):
        super().setUp()
        if os.geteuid() != 0:
            self.skipTest("needs root to act as two users")
        os.chmod(self.dir, 0o755)
        self.mine = self.path("mine")  # the user's own folder
        os.makedirs(self.mine)
        os.chown(self.mine, NOBODY, NOBODY)
        self.src = os.path.join(self.mine, "brief.txt")
        with open(self.src, "wb") as f:
            f.write(TEXT)
        os.chown(self.src, NOBODY, NOBODY)

    def convert(self, env, dst=()):
        return self.run_program(["m", self.src, *dst], env=env, prefix=cs.AS_SECOND_USER)

    def assertRefused(self, run, text):
        self.assertEqual(run.code, 1, run)
        texts = [f[2] for f in e2e.failure_lines(run.stderr)]
        self.assertEqual(len(texts), 1, run)
        self.assertIn(texts[0], text if isinstance(text, tuple) else (text,))
        self.assertEqual(self.read(self.src), TEXT, "converted through a planted file")

    def test_planted_intermediate_file_in_a_shared_folder(self):
        shared = self.path("shared")  # like /tmp: sticky, open to all
        os.makedirs(shared)
        os.chmod(shared, 0o1777)
        planted = os.path.join(shared, e2e.TEMP_NAME)
        victim = self.write("victim.txt", b"root's file\n")
        # name, plants "~Falvori~", the failure's text
        cases = [
            ("link to another user's file", lambda: os.symlink(victim, planted), "Not a regular file"),
            ("link to /dev/null", lambda: os.symlink("/dev/null", planted), "Not a regular file"),
            ("FIFO", lambda: os.mkfifo(planted, 0o666), "Not a regular file"),
            # EACCES where the system protects such files itself (protected_regular)
            ("another user's file", lambda: self.plant_file(planted, 0o666),
             (os.strerror(errno.EPERM), os.strerror(errno.EACCES))),
            ("a second name of the user's file", lambda: os.link(self.src, planted),
             os.strerror(errno.EMLINK)),
        ]
        for name, plant, text in cases:
            with self.subTest(case=name):
                plant()
                kind = stat.S_IFMT(os.lstat(planted).st_mode)
                content = self.read(planted) if kind == stat.S_IFREG else None
                run = self.convert({"temp": shared})
                self.assertRefused(run, text)
                self.assertEqual(self.read(victim), b"root's file\n")
                self.assertEqual(stat.S_IFMT(os.lstat(planted).st_mode), kind)
                if content is not None:
                    self.assertEqual(self.read(planted), content, "written into another's file")
                os.remove(planted)

    def test_planted_link_as_destination_in_a_shared_folder(self):
        shared = self.path("shared")
        os.makedirs(shared)
        os.chmod(shared, 0o1777)
        own = os.path.join(self.mine, "wichtig.txt")  # the user's file the link aims at
        with open(own, "wb") as f:
            f.write(b"keep me")
        os.chown(own, NOBODY, NOBODY)
        link = os.path.join(shared, "bericht.txt")
        os.symlink(own, link)
        os.lchown(link, OTHER, OTHER)  # planted by a third user
        chain = os.path.join(self.mine, "zum Bericht")  # the user's own link to it
        os.symlink(link, chain)
        os.lchown(chain, NOBODY, NOBODY)
        folder_link = os.path.join(shared, "Ordner")  # a third user's link to the user's folder
        os.symlink(self.mine, folder_link)
        os.lchown(folder_link, OTHER, OTHER)
        loop = os.path.join(self.mine, "Schleife")
        os.symlink(loop + "2", loop)
        os.symlink(loop, loop + "2")
        # destination, the failure's text
        through_folder = os.path.join(folder_link, "wichtig.txt")
        for dst, text in ((link, errno.EACCES), (chain, errno.EACCES), (through_folder, errno.EACCES),
                          (loop, errno.ELOOP)):
            with self.subTest(destination=os.path.relpath(dst, self.dir)):
                run = self.convert({"temp": self.mine}, [dst])
                self.assertEqual(run.code, 1, run)
                self.assertEqual([f[2] for f in e2e.failure_lines(run.stderr)], [os.strerror(text)])
                self.assertEqual(self.read(own), b"keep me")

    def test_a_temp_folder_others_may_write(self):
        open_to_all = self.path("offen")
        os.makedirs(open_to_all)
        os.chmod(open_to_all, 0o777)  # and not sticky: anyone could swap our file
        self.assertRefused(self.convert({"temp": open_to_all}), "Folder is writable by others and not sticky")
        self.assertEqual(os.listdir(open_to_all), [])

    @unittest.skipUnless(os.path.exists(cs.LIBRARY), "the fault library is not built")
    def test_the_intermediate_file_is_never_taken_again_by_its_name(self):
        """Root converts with temp in the second user's folder, where that
        user may rename anything: what they put in place of "~Falvori~"
        while the conversion runs is neither used nor removed."""
        theirs = self.path("theirs")
        os.makedirs(theirs)
        os.chown(theirs, NOBODY, NOBODY)
        dst = self.write("ziel.txt", b"root's old text")
        proc = cs.stop_at("fsync:1", ["m", self.src, dst], e2e.environment(temp=theirs))
        planted = os.path.join(theirs, e2e.TEMP_NAME)
        os.rename(planted, planted + ".weg")
        self.plant_file(planted, 0o644)
        os.chown(planted, NOBODY, NOBODY)
        self.assertEqual(cs.go_on(proc), (0, ""))
        self.assertEqual(self.read(dst), WIN)
        self.assertEqual(os.stat(dst).st_uid, 0)
        self.assertEqual(self.read(planted), b"root's data")

    @unittest.skipUnless(os.path.exists(cs.LIBRARY), "the fault library is not built")
    def test_no_lock_of_another_user_holds_the_conversion(self):
        """Where the new file beside the destination has a name (no
        O_TMPFILE), another user may open it: their lock must not stop us."""
        folder = self.path("ziel")
        os.makedirs(folder)
        dst = os.path.join(folder, "neu.txt")
        proc = cs.stop_at("o_tmpfile:1:EOPNOTSUPP,copy_file_range:1", ["m", self.src, dst],
                          e2e.environment(temp=cs.other_file_system_folder(self)))
        ours = [os.path.join(folder, n) for n in os.listdir(folder)]
        self.assertEqual(len(ours), 1, ours)
        locker = subprocess.Popen(cs.AS_SECOND_USER + [
            "python3", "-c", "import fcntl, sys, time; f = open(sys.argv[1], 'rb'); "
            "fcntl.flock(f, fcntl.LOCK_SH); print(flush=True); time.sleep(60)", ours[0]],
            stdout=subprocess.PIPE)
        self.addCleanup(locker.wait)
        self.addCleanup(locker.kill)
        self.assertEqual(locker.stdout.readline(), b"\n", "the second user could not lock it")
        self.assertEqual(cs.go_on(proc), (0, ""))
        self.assertEqual(self.read(dst), WIN)

    def test_a_file_a_killed_run_gave_away_is_taken_back(self):
        """Killed after giving "~Falvori~" the destination's owner, a run of
        root's leaves it in root's own closed folder: the next one takes it
        back instead of failing."""
        closed = self.path("root's temp")
        os.makedirs(closed, 0o700)
        left = os.path.join(closed, e2e.TEMP_NAME)
        self.plant_file(left, 0o4755)
        os.chown(left, NOBODY, NOBODY)
        dst = self.write("ziel.txt", b"root's old text")
        run = self.run_program(["m", self.src, dst], env={"temp": closed})
        self.assertEqual(run.code, 0, run)
        self.assertEqual(self.read(dst), WIN)
        self.assertEqual(os.listdir(closed), [])

    def plant_file(self, path, mode):
        with open(path, "wb") as f:
            f.write(b"root's data")
        os.chmod(path, mode)

    def test_private_folder_under_tmp(self):
        folder = f"/tmp/falvori-{NOBODY}"
        shutil.rmtree(folder, ignore_errors=True)
        if os.path.lexists(folder):
            os.remove(folder)
        self.addCleanup(lambda: shutil.rmtree(folder, ignore_errors=True)
                        if not os.path.islink(folder) else os.remove(folder))
        env = {"temp": None, "TMPDIR": None}

        run = self.convert(env)
        self.assertEqual(run.code, 0, run)
        self.assertEqual(self.read(self.src), WIN)
        st = os.lstat(folder)
        self.assertTrue(stat.S_ISDIR(st.st_mode))
        self.assertEqual((stat.S_IMODE(st.st_mode), st.st_uid), (0o700, NOBODY))
        self.assertEqual(os.listdir(folder), [])
        os.rmdir(folder)

        def made_by_root():
            os.makedirs(folder, 0o700)

        def open_to_all():
            os.makedirs(folder)
            os.chown(folder, NOBODY, NOBODY)
            os.chmod(folder, 0o777)

        def a_link():
            os.makedirs(self.path("elsewhere"), 0o777, exist_ok=True)
            os.symlink(self.path("elsewhere"), folder)

        def a_file():
            self.plant_file(folder, 0o600)
            os.chown(folder, NOBODY, NOBODY)

        # name, plants the folder, the failure's text
        cases = [("made by another user", made_by_root,
                  (os.strerror(errno.EPERM), os.strerror(errno.EACCES))),
                 ("open to others", open_to_all, os.strerror(errno.EPERM)),
                 ("a link", a_link, os.strerror(errno.ENOTDIR)),
                 ("a file", a_file, os.strerror(errno.ENOTDIR))]
        for name, plant, text in cases:
            with self.subTest(case=name):
                with open(self.src, "wb") as f:
                    f.write(TEXT)
                plant()
                self.assertRefused(self.convert(env), text)
                self.assertEqual(os.listdir(self.path("elsewhere")) if name == "a link" else [], [])
                if os.path.islink(folder) or os.path.isfile(folder):
                    os.remove(folder)
                else:
                    shutil.rmtree(folder)


if __name__ == "__main__":
    e2e.main()
