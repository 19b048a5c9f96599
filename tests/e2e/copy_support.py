"""Fixtures for the tests of the copy step: data that never repeats within
a block, a temp folder on another file system, a program answered through a
terminal or stopped at a chosen call, a second user."""

import os
import random
import signal
import stat
import subprocess
import time

import e2e_support as e2e

LIBRARY = os.environ.get("FALVORI_FAULTINJECT", "")  # tests/faultinject
SECOND_USER = 65534  # nobody
AS_SECOND_USER = ["setpriv", f"--reuid={SECOND_USER}", f"--regid={SECOND_USER}", "--clear-groups"]


environment = e2e.environment  # the name tests/powercut uses


def unrepeated(size, seed=1):
    """Bytes from a PRNG without NULs (a NUL is dropped by the conversion),
    so that a block written twice or at the wrong offset shows."""
    no_nul = bytes(i % 255 + 1 for i in range(256))
    return random.Random(seed).randbytes(size).translate(no_nul)


def converted(data):
    return e2e.convert_through_bytes(e2e.expected_tables()[0], data)


def same_file_system(a, b):
    return os.stat(a).st_dev == os.stat(b).st_dev


def other_file_system_folder(case):
    """A folder on another file system than the test folder: a tmpfs mounted
    for the test when we may mount, else /dev/shm; skips without either."""
    folder = mount_tmpfs(case, "tmpfs", "64m")
    if folder:
        return folder
    shm = "/dev/shm"
    if os.path.isdir(shm) and os.access(shm, os.W_OK) and not same_file_system(shm, case.dir):
        folder = os.path.join(shm, os.path.basename(case.dir))
        os.makedirs(folder)
        case.addCleanup(subprocess.run, ["rm", "-rf", folder])
        return folder
    case.skipTest("no second file system for temp: cannot mount a tmpfs and /dev/shm is "
                  "missing or on the test folder's own file system")


def mount_tmpfs(case, name, size):
    """A tmpfs of size mounted on the test's folder name, or None where we
    may not mount."""
    folder = case.path(name)
    os.makedirs(folder, exist_ok=True)
    if subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs", folder],
                      capture_output=True).returncode != 0:
        return None
    case.addCleanup(subprocess.run, ["umount", "-l", folder], check=True)
    return folder


def stop_at(fault, args, env):
    """Starts the program with the fault library stopping it at the call
    `fault` ("renameat2:1"); returns the process once it has stopped there."""
    env = dict(env, LD_PRELOAD=LIBRARY, FALVORI_FAULT=fault + ":stop")
    proc = subprocess.Popen([e2e.PROGRAM] + list(args), env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        with open(f"/proc/{proc.pid}/stat") as f:
            if f.read().rsplit(")", 1)[1].split()[0] == "T":
                return proc
        if proc.poll() is not None:
            raise AssertionError(f"ended before {fault}: {proc.stderr.read()!r}")
        time.sleep(0.01)
    proc.kill()
    raise AssertionError(f"did not stop at {fault}")


def go_on(proc):
    """Lets a stopped program finish; returns (exit code, stderr text)."""
    proc.send_signal(signal.SIGCONT)
    with proc.stderr:
        err = proc.stderr.read().decode("utf-8", "replace")
    return proc.wait(20), err


def run_answering(args, env, answer=b"r\n", answers=8, timeout=60):
    """Runs the program with a terminal as stdin and gives the answer to
    every question. Returns (exit code, stderr text, number of questions)."""
    with e2e.OnTerminal(args, env) as term:
        asked = 0
        while asked < answers and term.question(timeout, may_end=True) is not None:
            asked += 1
            os.write(term.master, answer)
        code = term.answer(b"", timeout)
        return code, term.said.decode("utf-8", "replace"), asked


def mode_owner(path):
    st = os.stat(path)
    return stat.S_IMODE(st.st_mode), st.st_uid, st.st_gid, st.st_nlink


def litter(folder):
    """Partial copies of ours beside a destination."""
    return [n for n in os.listdir(folder) if n.startswith(".~Falvori~")]
