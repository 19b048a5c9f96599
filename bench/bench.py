#!/usr/bin/env python3
"""Speed and memory of a Mac -> Win conversion, beside iconv, uconv and cp.

Generates its input under BUILD/bench/ (kept between runs), times every
program as a whole process (median of several runs after a warm-up), reads
each one's peak RSS from /usr/bin/time -v, and checks every output against
iconv's, so that a fast wrong answer fails the run (exit status 1).

  python3 bench/bench.py [--size 200M] [--runs 7] [--no-wine] [--help]
"""

import argparse
import os
import random
import re
import shutil
import signal
import statistics
import subprocess
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Characters both Mac OS Roman and Windows-1252 hold, so iconv defines the
# result of every byte of the text file.
WORDS = (
    "Bäcker Größe Übermut schön Straße Öl Ärger Füße Müller Käse Löwe "
    "überall Gemüse Häuser Mädchen fröhlich Brücke Kühlschrank Grüße "
    "Maß Fußgänger Zürich München Köln Düsseldorf naïve Café Crème façade "
    "Señor Ångström Œuvre æsthetisch Ø ¿Qué? ¡Olé! 12 € 3,50 € §4 ¶ © ® ™ "
    "° ± µ · ¬ « » ‹ › † ‡ • … ‰ ƒ ˆ ˜ ¯ ¸ ¨ ´ ¢ £ ¥ ª º"
).split()
QUOTES = [("„", "“"), ("‚", "‘"), ("“", "”"), ("»", "«"), ("‹", "›")]
DASHES = [" – ", " — ", "-"]


def parse_size(text):
    m = re.fullmatch(r"(\d+)([KMG]?)", text.strip().upper())
    if not m:
        raise argparse.ArgumentTypeError(f"not a size: {text}")
    return int(m.group(1)) * {"": 1, "K": 1 << 10, "M": 1 << 20, "G": 1 << 30}[m.group(2)]


def text_chunk(seed=1):
    """About 1 MiB of Mac OS Roman prose with CR line ends."""
    rng = random.Random(seed)
    lines = []
    size = 0
    while size < (1 << 20):
        words = [rng.choice(WORDS) for _ in range(rng.randint(4, 14))]
        if rng.random() < 0.4:
            i = rng.randrange(len(words))
            j = rng.randrange(i, len(words))
            q = rng.choice(QUOTES)
            words[i] = q[0] + words[i]
            words[j] = words[j] + q[1]
        line = " ".join(words)
        if rng.random() < 0.3:
            line += rng.choice(DASHES) + " ".join(rng.choice(WORDS) for _ in range(3))
        line += rng.choice(".!?") + "\r"
        lines.append(line)
        size += len(line)
    text = "".join(lines)
    # Guard against a character only one of the two sets holds.
    text.encode("cp1252")
    return text.encode("mac_roman")


def write_repeated(path, chunk, size):
    with open(path, "wb") as f:
        left = size
        while left > 0:
            part = chunk[:left]
            f.write(part)
            left -= len(part)


def make_inputs(folder, size):
    os.makedirs(folder, exist_ok=True)
    stamp = os.path.join(folder, "stamp")
    want = f"v1 {size}\n"
    files = {
        "text": os.path.join(folder, "text.mac"),
        "all256": os.path.join(folder, "all256.bin"),
        "onebyte": os.path.join(folder, "onebyte.mac"),
    }
    have = open(stamp).read() if os.path.exists(stamp) else ""
    if have != want or not all(os.path.exists(p) for p in files.values()):
        print(f"generating {size / 1e6:.1f} MB inputs in {folder} ...", flush=True)
        write_repeated(files["text"], text_chunk(), size)
        write_repeated(files["all256"], bytes(range(256)) * 4096, size - size % 256)
        with open(files["onebyte"], "wb") as f:
            f.write(b"\x8a")  # Mac a-umlaut
        with open(stamp, "w") as f:
            f.write(want)
    return files


class Failed(Exception):
    pass


def same_files(a, b):
    with open(a, "rb") as fa, open(b, "rb") as fb:
        while True:
            x = fa.read(1 << 20)
            y = fb.read(1 << 20)
            if x != y:
                return False
            if not x:
                return True


def iconv_byte_map():
    """iconv's Windows byte for each Mac byte, None where it defines none."""
    result = []
    for b in range(256):
        r = subprocess.run(["iconv", "-f", "MACINTOSH", "-t", "CP1252"], input=bytes([b]),
                           capture_output=True)
        result.append(r.stdout[0] if r.returncode == 0 and len(r.stdout) == 1 else None)
    return result


def check_all256(out_path, src_size, iconv_map):
    """A converted run of 0..255: NUL dropped, every period the same, and each
    byte iconv defines (NUL aside) converted as iconv converts it."""
    periods = src_size // 256
    if os.path.getsize(out_path) != periods * 255:
        raise Failed(f"{out_path}: {os.path.getsize(out_path)} bytes, expected {periods * 255}")
    with open(out_path, "rb") as f:
        block = f.read(255)
        for b in range(1, 256):
            want = iconv_map[b]
            if want is not None and block[b - 1] != want:
                raise Failed(f"{out_path}: Mac 0x{b:02X} -> 0x{block[b - 1]:02X}, "
                             f"iconv gives 0x{want:02X}")
        f.seek(0)
        period = block * 4096
        while True:
            data = f.read(len(period))
            if not data:
                return
            if data != period[:len(data)]:
                raise Failed(f"{out_path}: a later block differs from the first")


# Output goes to files, never to pipes: Wine's helper processes inherit them
# and would hold a pipe open for seconds after the program has ended. The
# wait blocks: Popen.wait with a timeout polls, in steps of up to 50 ms.
def run_to_files(cmd, stdout_path, stderr_path, env):
    with open(stdout_path or os.devnull, "wb") as out, open(stderr_path, "wb") as err:
        p = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=out, stderr=err, env=env)
        watchdog = threading.Timer(600, p.kill)
        watchdog.start()
        try:
            status = p.wait()
        finally:
            watchdog.cancel()
        if status == -signal.SIGKILL:
            raise Failed(f"{' '.join(cmd)}: no end after 600 s")
        return status


def peak_rss_kib(cmd, stdout_path, work, env=None):
    report = os.path.join(work, "time-v.txt")
    run_to_files(["/usr/bin/time", "-v", "-o", report] + cmd, stdout_path,
                 os.path.join(work, "stderr.txt"), env)
    with open(report) as f:
        m = re.search(r"Maximum resident set size \(kbytes\): (\d+)", f.read())
    return int(m.group(1)) if m else None


class Case:
    def __init__(self, name, program, cmd, src, dst, stdout_to_dst=False, env=None, check=None):
        self.name, self.program, self.cmd = name, program, cmd
        self.src, self.dst, self.stdout_to_dst = src, dst, stdout_to_dst
        self.env, self.check = env, check
        self.times = []
        self.rss = None

    def run_once(self):
        if os.path.exists(self.dst):
            os.unlink(self.dst)
        err = os.path.join(os.path.dirname(self.dst), "stderr.txt")
        t0 = time.perf_counter()
        status = run_to_files(self.cmd, self.dst if self.stdout_to_dst else None, err, self.env)
        elapsed = time.perf_counter() - t0
        if status != 0:
            with open(err, errors="replace") as f:
                raise Failed(f"{self.name}: {' '.join(self.cmd)} exited with {status}: "
                             f"{f.read().strip()}")
        return elapsed

    def measure(self, runs):
        self.run_once()  # warm-up: page cache, dynamic loader, wineserver
        self.times = [self.run_once() for _ in range(runs)]
        if self.check:
            self.check(self)
        if os.path.exists(self.dst):
            os.unlink(self.dst)
        self.rss = peak_rss_kib(self.cmd, self.dst if self.stdout_to_dst else None,
                                os.path.dirname(self.dst), self.env)
        if os.path.exists(self.dst):
            os.unlink(self.dst)

    @property
    def median(self):
        return statistics.median(self.times)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wine_environment(prefix):
    env = dict(os.environ)
    env.update(WINEPREFIX=prefix, WINEARCH="win32", WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)  # batch mode shows no window
    return env


def prepare_wine(prefix):
    env = wine_environment(prefix)
    ready = os.path.join(prefix, ".bench-ready")
    if not os.path.exists(ready):
        print(f"building a private Wine prefix in {prefix} ...", flush=True)
        subprocess.run(["wineboot", "-i"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=True, timeout=600)
        subprocess.run(["wineserver", "-w"], env=env, check=True, timeout=600)
        open(ready, "w").close()
    # A server that stays up between runs, as in a session with Wine in use;
    # fails harmlessly when one is running already.
    subprocess.run(["wineserver", "-p30"], env=env, stderr=subprocess.DEVNULL)
    return env


def stop_wine(env):
    subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def fmt_ms(seconds):
    return f"{seconds * 1000:9.1f}"


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    ap.add_argument("--size", type=parse_size, default=parse_size("200M"),
                    help="size of the generated inputs, e.g. 2M, 200M (default 200M)")
    ap.add_argument("--runs", type=int, default=7, help="timed runs per case after one warm-up")
    ap.add_argument("--build-dir", default=os.path.join(ROOT, "build", "native"),
                    help="native build folder with falvori and map_bench (default build/native)")
    ap.add_argument("--exe", default=os.path.join(ROOT, "build", "win32", "Falvori.exe"),
                    help="the Windows program (default build/win32/Falvori.exe)")
    ap.add_argument("--work-dir", default=os.path.join(ROOT, "build", "bench"),
                    help="where inputs and outputs go (default build/bench)")
    ap.add_argument("--no-wine", action="store_true", help="leave out Falvori.exe under Wine")
    args = ap.parse_args()

    work = args.work_dir
    native = os.path.join(args.build_dir, "falvori")
    map_bench = os.path.join(args.build_dir, "map_bench")
    exe = args.exe
    if not os.access(native, os.X_OK) or not os.access(map_bench, os.X_OK):
        sys.exit(f"no {native} or {map_bench}: build with "
                 "cmake --preset native && cmake --build --preset native")
    for tool in ("iconv", "uconv", "cp", "/usr/bin/time"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is missing (packages libc-bin, icu-devtools, coreutils, time)")

    files = make_inputs(os.path.join(work, "data"), args.size)
    out = os.path.join(work, "out")
    temp = os.path.join(work, "temp")
    os.makedirs(out, exist_ok=True)
    os.makedirs(temp, exist_ok=True)
    # The intermediate file on the same disk as everything else.
    native_env = dict(os.environ, temp=temp)

    iconv_map = iconv_byte_map()
    reference = {}  # input name -> iconv's output

    def same_as_iconv(case):
        ref = reference.get(case.input_name)
        if ref is None:
            raise Failed(f"{case.name}: no output of iconv to compare with")
        if not same_files(case.dst, ref):
            raise Failed(f"{case.name}: output differs from iconv's")

    def same_as_source(case):
        if not same_files(case.dst, case.src):
            raise Failed(f"{case.name}: copy differs from the source")

    def all256_ok(case):
        check_all256(case.dst, os.path.getsize(case.src), iconv_map)

    wine_note = None
    wine_env = None
    if args.no_wine:
        wine_note = "Falvori.exe under Wine: left out (--no-wine)"
    elif not os.path.exists(exe):
        wine_note = f"Falvori.exe under Wine: skipped, {exe} not built yet"
    elif not shutil.which("wine"):
        wine_note = "Falvori.exe under Wine: skipped, wine is not installed"

    cases = []
    for input_name in ("onebyte", "text", "all256"):
        src = files[input_name]

        def add(program, cmd, check, stdout_to_dst=False, env=None):
            dst = os.path.join(out, f"{input_name}.{program.split()[0].lower()}")
            c = Case(f"{program} / {input_name}", program,
                     [a.replace("{src}", src).replace("{dst}", dst) for a in cmd],
                     src, dst, stdout_to_dst, env, check)
            c.input_name = input_name
            cases.append(c)

        iconv_defines_all = input_name != "all256"
        add("falvori", [native, "m", "{src}", "{dst}"],
            same_as_iconv if iconv_defines_all else all256_ok, env=native_env)
        if wine_note is None:
            add("Falvori.exe (Wine)", ["wine", exe, "m", "WSRC", "WDST"],
                same_as_iconv if iconv_defines_all else all256_ok)
        if iconv_defines_all:
            add("iconv", ["iconv", "-f", "MACINTOSH", "-t", "CP1252", "{src}"], None,
                stdout_to_dst=True)
            add("uconv", ["uconv", "-f", "macintosh", "-t", "windows-1252", "{src}"],
                same_as_iconv, stdout_to_dst=True)
        add("cp", ["cp", "{src}", "{dst}"], same_as_source)

    failures = []
    print("mapping loops alone:", flush=True)
    r = subprocess.run([map_bench, os.path.join(args.build_dir, "ZeichenCodes Mac-Win.txt"),
                        files["text"]], stdout=subprocess.PIPE, text=True)
    print(r.stdout, end="", flush=True)
    if r.returncode != 0:
        failures.append("map_bench: a mapping loop gives a wrong result")
    print("whole programs:", flush=True)
    try:
        if wine_note is None:
            wine_env = prepare_wine(os.path.join(work, "wineprefix"))
            for c in cases:
                if c.program.startswith("Falvori.exe"):
                    c.cmd = [windows_path(c.src) if a == "WSRC" else
                             windows_path(c.dst) if a == "WDST" else a for a in c.cmd]
                    c.env = wine_env
        # iconv first: its outputs are the references of the others.
        cases.sort(key=lambda c: (c.input_name, c.program != "iconv"))
        for c in cases:
            print(f"  {c.name} ...", end="", flush=True)
            try:
                # Start-up is short and easily disturbed: more runs.
                c.measure(max(args.runs, 31) if c.input_name == "onebyte" else args.runs)
                if c.program == "iconv":
                    ref = os.path.join(out, f"{c.input_name}.reference")
                    c.run_once()
                    os.replace(c.dst, ref)
                    reference[c.input_name] = ref
                print(f" {c.median * 1000:.1f} ms")
            except Failed as e:
                print(" FAILED")
                failures.append(str(e))
                c.times = []
    finally:
        if wine_env:
            stop_wine(wine_env)

    print_report(args, files, cases, wine_note, failures)
    return 1 if failures else 0


LOAD_AT_START = os.getloadavg()


def machine_line():
    model = "?"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    load = os.getloadavg()
    return (f"machine: {os.cpu_count()} CPUs, {model}; 1-minute load average "
            f"{LOAD_AT_START[0]:.2f} at the start, {load[0]:.2f} at the end")


def print_report(args, files, cases, wine_note, failures):
    size = os.path.getsize(files["text"])
    print()
    print(machine_line())
    print(f"inputs: text {size / 1e6:.1f} MB, all256 {os.path.getsize(files['all256']) / 1e6:.1f} MB, "
          f"onebyte 1 B; {args.runs} runs after a warm-up ({max(args.runs, 31)} on onebyte)")
    print()
    print(f"{'case':34} {'median ms':>9} {'min ms':>9} {'max ms':>9} {'MB/s':>8} {'peak RSS':>10}")
    for c in cases:
        if not c.times:
            print(f"{c.name:34} {'failed':>9}")
            continue
        rate = os.path.getsize(c.src) / c.median / 1e6
        rss = f"{c.rss / 1024:7.1f} MiB" if c.rss else "        ?"
        print(f"{c.name:34} {fmt_ms(c.median)} {fmt_ms(min(c.times))} {fmt_ms(max(c.times))} "
              f"{rate if c.src != files['onebyte'] else 0:8.0f} {rss}")
    if wine_note:
        print(wine_note)

    def t(program, input_name):
        for c in cases:
            if c.program == program and c.input_name == input_name and c.times:
                return c.median
        return None

    print()
    rows = []
    fal, ico, cpt = t("falvori", "text"), t("iconv", "text"), t("cp", "text")
    exe = t("Falvori.exe (Wine)", "text")
    start = t("falvori", "onebyte")
    if fal and ico:
        rows.append(("falvori / iconv (text)", fal / ico, "<= 0.25 (4x faster)", fal / ico <= 0.25))
    if fal and cpt:
        rows.append(("falvori / cp (text)", fal / cpt, "<= 2.5", fal / cpt <= 2.5))
    if fal and exe:
        rows.append(("Falvori.exe (Wine) / falvori (text)", exe / fal, "<= 3", exe / fal <= 3))
    # Start-up outweighs everything else in small files.
    judged = size >= 100 * 10**6
    for name, value, target, ok in rows:
        verdict = ("met" if ok else "NOT MET") if judged else "(targets are for 200 MB)"
        print(f"{name:40} {value:7.2f}   target {target:22} {verdict}")
    if start:
        print(f"{'falvori start-up (1-byte file)':40} {start * 1000:7.2f} ms target < 5 ms"
              f"{'':14} {'met' if start < 0.005 else 'NOT MET'}")
    rss = [c.rss for c in cases if c.program == "falvori" and c.rss]
    if rss:
        peak = max(rss) / 1024
        print(f"{'falvori peak RSS (all inputs)':40} {peak:7.2f} MiB target < 8 MiB{'':12} "
              f"{'met' if peak < 8 else 'NOT MET'}")
    if failures:
        print()
        for f in failures:
            print("WRONG OUTPUT OR FAILED RUN: " + f)


if __name__ == "__main__":
    sys.exit(main())
