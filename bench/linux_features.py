"""Speed of the Linux program's own features, beside what a user would
otherwise run:

  check     falvori --check m FILE (SIZE of Mac text)   baseline: cat FILE > /dev/null
  in place  falvori -i m over FILES small files          baselines: a shell loop of
                                                          "falvori m F", and dos2unix F...

The file read by --check and cat is in the page cache (a warm-up round reads
it first), so both measure the pass over the bytes, not the disk. For -i,
every run starts from the same untouched files (copied back, untimed, with a
sync); dos2unix gets CR LF copies of them, so that it changes every line as
falvori changes every file. All programs of a scenario run in turn within
each round, in an order that rotates. Prints medians, min-max and the
median of the per-round ratios; checks every result (falvori's against
Python's codecs, --check's line against the file), and a wrong one fails the
run (exit status 1).

  python3 bench/linux_features.py [--size 200M] [--files 1000] [--runs 7] [--build-dir build/native]
"""

import argparse
import os
import platform
import random
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORDS = ("Bäcker Größe Übermut schön Straße Öl Ärger Füße Käse Löwe Grüße Zürich "
         "naïve Café façade Señor Œuvre „Anführung“ – — … € § © ® ™ ° ± µ").split()


def parse_size(text):
    units = {"K": 1 << 10, "M": 1 << 20, "G": 1 << 30}
    text = text.strip().upper()
    return int(text[:-1]) * units[text[-1]] if text[-1] in units else int(text)


def mac_text(size, seed):
    """Mac OS Roman prose with CR line ends, only characters both sets share."""
    rng = random.Random(seed)
    lines, length = [], 0
    while length < min(size, 1 << 20):
        lines.append(" ".join(rng.choice(WORDS) for _ in range(rng.randint(3, 12))).encode("mac_roman") + b"\r")
        length += len(lines[-1])
    chunk = b"".join(lines)
    return (chunk * (size // len(chunk) + 1))[:size]


def timed(args, **kwargs):
    start = time.perf_counter()
    done = subprocess.run(args, stdin=subprocess.DEVNULL, **kwargs)
    elapsed = time.perf_counter() - start
    return elapsed, done


def report(title, times, baseline):
    print(f"\n{title}: medians in ms (min-max), and the median of the per-round ratios to {baseline}")
    for name, runs in times.items():
        ratios = [r / b for r, b in zip(runs, times[baseline])]
        print(f"  {name:34} {statistics.median(runs) * 1000:8.1f}  ({min(runs) * 1000:.1f}-{max(runs) * 1000:.1f})"
              f"   x{statistics.median(ratios):.2f}")


def fail(text):
    print(f"WRONG: {text}", file=sys.stderr)
    sys.exit(1)


def bench_check(program, work, size, runs):
    path = os.path.join(work, "check.txt")
    if not os.path.exists(path) or os.path.getsize(path) != size:
        with open(path, "wb") as f:
            f.write(mac_text(size, 1))
    with open(path, "rb") as f:
        data = f.read()
    moved = bytes(int(b >= 0x80 and bytes([b]).decode("mac_roman").encode("cp1252", "replace") != bytes([b]))
                  for b in range(256))
    want_changed = data.translate(moved).count(1)
    commands = {
        "falvori --check m": [program, "--check", "m", path],
        "cat FILE > /dev/null": ["cat", path],
    }
    times = {name: [] for name in commands}
    for round_ in range(runs + 1):
        names = list(commands)
        names = names[round_ % len(names):] + names[:round_ % len(names)]
        for name in names:
            elapsed, done = timed(commands[name], stdout=subprocess.PIPE if "check" in name else subprocess.DEVNULL)
            if done.returncode != 0:
                fail(f"{name} ended with {done.returncode}")
            if "check" in name and not done.stdout.startswith(f"changed={want_changed} inexact=0 ".encode()):
                fail(f"--check said {done.stdout!r}, want changed={want_changed}")
            if round_:
                times[name].append(elapsed)
    report(f"--check of {size >> 20} MiB (page cache)", times, "cat FILE > /dev/null")


def bench_in_place(program, work, count, runs):
    pristine = os.path.join(work, "pristine")
    if not os.path.isdir(pristine) or len(os.listdir(pristine)) != count:
        shutil.rmtree(pristine, ignore_errors=True)
        os.makedirs(pristine)
        for i in range(count):
            with open(os.path.join(pristine, f"brief{i:04}.txt"), "wb") as f:
                f.write(mac_text(random.Random(i).randint(500, 4000), i))
    names = sorted(os.listdir(pristine))
    temp = os.path.join(work, "temp")  # on the files' file system, as for most users
    os.makedirs(temp, exist_ok=True)
    env = dict(os.environ, temp=temp)
    files = os.path.join(work, "files")
    loop = 'for f in "$@"; do "$0" m "$f" || exit 1; done'
    paths = [os.path.join(files, n) for n in names]
    commands = {
        "falvori -i m FILE...": ([program, "-i", "m"] + paths, False),
        "shell loop of falvori m FILE": (["bash", "-c", loop, program] + paths, False),
        "dos2unix FILE... (CR LF copies)": (["dos2unix", "-q"] + paths, True),
    }
    times = {name: [] for name in commands}

    def reset(crlf):
        shutil.rmtree(files, ignore_errors=True)
        os.makedirs(files)
        for n in names:
            with open(os.path.join(pristine, n), "rb") as src, open(os.path.join(files, n), "wb") as dst:
                data = src.read()
                dst.write(data.replace(b"\r", b"\r\n") if crlf else data)
        subprocess.run(["sync"])

    for round_ in range(runs + 1):
        order = list(commands)
        order = order[round_ % len(order):] + order[:round_ % len(order)]
        for name in order:
            args, crlf = commands[name]
            reset(crlf)
            elapsed, done = timed(args, env=env, stderr=subprocess.PIPE)
            if done.returncode != 0:
                fail(f"{name} ended with {done.returncode}: {done.stderr[-300:]!r}")
            for n in (names[0], names[-1]):
                with open(os.path.join(pristine, n), "rb") as f:
                    want = f.read()
                want = want.replace(b"\r", b"\n") if crlf else want.decode("mac_roman").encode("cp1252")
                with open(os.path.join(files, n), "rb") as f:
                    if f.read() != want:
                        fail(f"{name}: {n} is not as it should be")
            if round_:
                times[name].append(elapsed)
    report(f"{count} files in place ({sum(os.path.getsize(os.path.join(pristine, n)) for n in names) >> 10} KiB)",
           times, "falvori -i m FILE...")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--size", type=parse_size, default=parse_size("200M"))
    parser.add_argument("--files", type=int, default=1000)
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build", "native"))
    options = parser.parse_args()
    program = os.path.join(os.path.abspath(options.build_dir), "falvori")
    if not os.access(program, os.X_OK):
        sys.exit(f"{program} is missing: cmake --preset native && cmake --build --preset native")
    if not shutil.which("dos2unix"):
        sys.exit("dos2unix is missing (tools/setup-debian.sh installs it)")
    work = os.path.join(os.path.abspath(options.build_dir), "bench-linux")
    os.makedirs(work, exist_ok=True)
    mount = subprocess.run(["findmnt", "-n", "-o", "FSTYPE,OPTIONS", "-T", work], capture_output=True, text=True)
    print(f"kernel {platform.release()}, {os.cpu_count()} CPUs, {work}: {mount.stdout.strip()}, "
          f"load {os.getloadavg()[0]:.2f}, {options.runs} rounds after one warm-up round")
    bench_check(program, work, options.size, options.runs)
    bench_in_place(program, work, options.files, options.runs)


if __name__ == "__main__":
    main()
