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

    def convert(self, env):
        return subprocess.run(cs.AS_SECOND_USER + [e2e.PROGRAM, "m", self.src],
                              env=cs.environment(**env), capture_output=True,
                              stdin=subprocess.DEVNULL, timeout=20)

    def assertRefused(self, run, text):
        self.assertEqual(run.returncode, 1, run.stderr)
        texts = [f[2] for f in e2e.failure_lines(run.stderr.decode())]
        self.assertEqual(len(texts), 1, run.stderr)
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
                run = self.convert({"temp": shared})
                self.assertRefused(run, text)
                self.assertEqual(self.read(victim), b"root's file\n")
                self.assertEqual(stat.S_IFMT(os.lstat(planted).st_mode), kind)
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
        run = subprocess.run(cs.AS_SECOND_USER + [e2e.PROGRAM, "m", self.src, link],
                             env=cs.environment(temp=self.mine), capture_output=True,
                             stdin=subprocess.DEVNULL, timeout=20)
        self.assertEqual(run.returncode, 1, run.stderr)
        self.assertEqual([f[2] for f in e2e.failure_lines(run.stderr.decode())],
                         [os.strerror(errno.EACCES)])
        self.assertEqual(self.read(own), b"keep me")
        self.assertTrue(os.path.islink(link))

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
        self.assertEqual(run.returncode, 0, run.stderr)
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
