#!/usr/bin/python3
"""Vexa's benchmarks side by side with numpy, numexpr, pandas and matplotlib.

Every task runs on the same data and draws the same picture on both sides,
in pairs: one run of Vexa, then one of the peer, again and again (A B A B),
so that a change in the machine's load falls on both. Each row gives the
median of each side with its spread (the range of the runs, in per cent of
the median), and the median of the pairs' ratios (above 1: Vexa is faster),
with the target where there is one.

Every task has a row on one core: both sides pinned to the same core with
taskset (Vexa's threads are counted from the cores it may run on, so it
runs one). A task that Vexa runs on several threads has a row on all cores
too, beside a threaded peer where there is one (numexpr for expressions);
where there is none the row says so and its peer is the one-thread one.

Run by `make bench-peers`, which builds the benchmarks and the program and
installs the peers first. A benchmark that is not built yet prints
"missing" in its row. Other work on the machine shows in every figure: the
load is printed at the start and the end; run it on a quiet machine for
numbers to compare.
"""

import argparse
import json
import os
import re
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

# One thread for the peers' libraries unless a row asks for more; set
# before numpy is loaded.
for _name in ("OMP_NUM_THREADS", "OPENBLAS_NUM_THREADS", "MKL_NUM_THREADS", "NUMEXPR_NUM_THREADS"):
    os.environ.setdefault(_name, "1")

import numpy as np  # noqa: E402


def keep_freed_memory():
    """Arrays of up to 32 MB come from the heap and stay there when freed, as
    Vexa's benchmarks reuse their columns: a peer's run does not pay the
    kernel's fresh pages for every temporary, or pays them only when the
    allocator happened to raise its own threshold before, which made the
    same numpy line vary fifteenfold from run to run."""
    import ctypes
    try:
        libc = ctypes.CDLL("libc.so.6")
    except OSError:
        return
    m_trim_threshold, m_mmap_threshold = -1, -3
    libc.mallopt(m_mmap_threshold, 32 << 20)
    libc.mallopt(m_trim_threshold, 256 << 20)


keep_freed_memory()

BENCH_SOURCES = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "bench")
ALL_CORES = sorted(os.sched_getaffinity(0))
ONE_CORE = ALL_CORES[-1]
PAIRS = 5


class Missing(Exception):
    """A Vexa benchmark that this build does not have."""


def pinned(one_core):
    """Pins this process (the peer) to one core, or frees it to all."""
    os.sched_setaffinity(0, {ONE_CORE} if one_core else set(ALL_CORES))


def taskset(command, one_core):
    return (["taskset", "-c", str(ONE_CORE)] + command) if one_core else command


class Time:
    """One run's wall time and processor time (user and system), seconds."""

    def __init__(self, wall, cpu):
        self.wall, self.cpu = wall, cpu


def timed(f, runs=1):
    """The best of a few runs of f (a warm cache, no first-call cost)."""
    best = None
    for _ in range(runs):
        c0, t0 = time.process_time(), time.perf_counter()
        f()
        t = Time(time.perf_counter() - t0, time.process_time() - c0)
        if best is None or t.wall < best.wall:
            best = t
    return best


# Google Benchmark's least time per run (its default): it repeats the work
# at least this long and gives the mean.
BENCHMARK_MIN_TIME = 0.5


def mean_of_many(f):
    """The mean of many runs of f, as Google Benchmark takes Vexa's side: one
    run first (a warm cache, no first-call cost, as its estimate of the
    iteration count gives), then runs for at least BENCHMARK_MIN_TIME."""
    f()
    runs = 0
    c0, t0 = time.process_time(), time.perf_counter()
    while True:
        f()
        runs += 1
        elapsed = time.perf_counter() - t0
        if elapsed >= BENCHMARK_MIN_TIME:
            return Time(elapsed / runs, (time.process_time() - c0) / runs)


def bench_program(args, program):
    path = os.path.join(args.bench_dir, "bench", program)
    if not os.access(path, os.X_OK):
        raise Missing(program)
    return path


def vexa_bench(args, program, name, one_core, env=None, field=None):
    """One run of one Vexa benchmark (`name` as declared, without what Google
    Benchmark adds to it): its seconds per iteration, or one of its counters."""
    path = bench_program(args, program)
    e = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    if env:
        e.update(env)
    pattern = "^" + re.escape(name) + "(/|$)"
    done = subprocess.run(taskset([path, "--benchmark_filter=" + pattern, "--benchmark_format=json"], one_core),
                          capture_output=True, text=True, env=e)
    results = []
    if done.stdout.strip():
        results = [b for b in json.loads(done.stdout).get("benchmarks", [])
                   if b.get("run_type", "iteration") == "iteration"]
    if not results:
        if "match any" in done.stderr or done.returncode == 0:
            raise Missing(f"{program} {name}")
        raise SystemExit(f"{program} failed: {done.stderr[-2000:]}")
    b = results[0]
    if b.get("error_occurred"):
        raise SystemExit(f"{program} {name}: {b.get('error_message')}")
    if field:
        return b[field]
    unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
    # Google Benchmark's processor time is its main thread's: the whole of
    # the work on one core.
    return Time(b["real_time"] * unit, b["cpu_time"] * unit)


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def wall(command, one_core, cwd=None, env=None):
    """One run of a whole process."""
    e = dict(os.environ)
    if env:
        e.update(env)
    c0, t0 = children_cpu(), time.perf_counter()
    subprocess.run(taskset(command, one_core), check=True, cwd=cwd, env=e, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    return Time(time.perf_counter() - t0, children_cpu() - c0)


def paired(vexa, peer, one_core, pairs=None):
    """Times of `vexa` and `peer` (seconds, lower is better) in pairs, A B A B."""
    pinned(one_core)
    try:
        vs, ps = [], []
        for _ in range(pairs or PAIRS):
            vs.append(vexa())
            ps.append(peer())
        return vs, ps
    finally:
        pinned(False)


def spread(values):
    m = statistics.median(values)
    return 100.0 * (max(values) - min(values)) / m if m else 0.0


def show(value, unit):
    if unit == "MB/s":
        return f"{value:.0f} MB/s"
    if value >= 1.0:
        return f"{value:.2f} s"
    return f"{value * 1e3:.1f} ms"


def print_row(task, vexa_side, peer_side, ratio, target):
    print(f"{task:<46} | Vexa {vexa_side:<24} | {peer_side:<44} | {ratio:<22} | {target}", flush=True)


def row(task, peer_name, vs, ps, target=None, unit="s", rate=None, one_core=False):
    """One row from paired runs. `rate`: the work of one run (MB for MB/s);
    `target`: (text, test of Vexa's median figure and the median ratio).
    On one core the processor times follow: less hurt by other work on the
    machine than the wall times, which are the figures."""
    def figure(t):
        return rate / t if rate else t

    walls_v, walls_p = [v.wall for v in vs], [p.wall for p in ps]
    ratios = [p / v for v, p in zip(walls_v, walls_p)]
    ratio = statistics.median(ratios)
    vexa_figure = figure(statistics.median(walls_v))
    verdict = ""
    if target:
        ok = target[1](vexa_figure, ratio)
        verdict = f"target {target[0]}: {'ok' if ok else 'MISSED'}"
    print_row(task, f"{show(vexa_figure, unit)} ±{spread(walls_v):.0f}%",
              f"{peer_name} {show(figure(statistics.median(walls_p)), unit)} ±{spread(walls_p):.0f}%",
              f"speed ratio {ratio:.2f}x ±{spread(ratios):.0f}%", verdict)
    if one_core:
        cpu_v = statistics.median(v.cpu for v in vs)
        cpu_p = statistics.median(p.cpu for p in ps)
        if cpu_v > 0 and cpu_p > 0:
            print_row("", f"processor time {show(figure(cpu_v), unit)}", f"{show(figure(cpu_p), unit)}",
                      f"ratio {cpu_p / cpu_v:.2f}x", "")


def missing(task, what):
    print_row(task, "missing", f"({what} is not there yet)", "", "")


def attempt(task, f):
    try:
        f()
    except Missing as m:
        missing(task, m)


# --- the tasks ---------------------------------------------------------------

# The data of bench_draw's line: a noisy wave over x 0..100.
def wave(n):
    x = 100.0 * np.arange(n) / n
    return x, np.sin(x * 0.3) + 0.2 * (np.random.default_rng(3).random(n) - 0.5)


def matplotlib_figure(x, y, width, height):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    fig = plt.figure(figsize=(width / 100, height / 100), dpi=100)
    ax = fig.add_axes([0.1, 0.1, 0.85, 0.85])
    ax.plot(x, y, color="black", linewidth=1)
    ax.set_xlim(0, 100)
    ax.set_ylim(-1.3, 1.3)
    return fig, plt


def peer_render():
    """bench/peer_render.py as a module: matplotlib drawing the pictures of
    Vexa's line benchmarks, with their data; None where it is not there."""
    if not os.path.exists(os.path.join(BENCH_SOURCES, "peer_render.py")):
        return None
    sys.path.insert(0, BENCH_SOURCES)
    sys.dont_write_bytecode = True
    import peer_render as module
    return module


def replot(args):
    """A replot of a line of 1e7 points at 1200x800, the picture of every point:
    Vexa's view (through the points each pixel column keeps) against
    matplotlib's Agg with its default path simplification, on the data of
    BM_ReplotLine1e7 (bench/peer_render.py's; a wave of noise without it)."""
    module = peer_render()
    if module:
        x, y = module.noise(10_000_000)
        fig, ax = module.figure()
        ax.plot(x, y, linewidth=1, color="black")
        ax.set_xlim(0, 100)
        ax.set_ylim(-1.6, 1.6)
        plt = module.plt
    else:
        x, y = wave(10_000_000)
        fig, plt = matplotlib_figure(x, y, 1200, 800)
    fig.canvas.draw() # the first draw sets up what the others reuse
    try:
        for one_core, target in ((True, ("<= 40 ms", lambda v, r: v <= 0.040)),
                                 (False, ("<= 15 ms", lambda v, r: v <= 0.015))):
            where = "one core" if one_core else f"{len(ALL_CORES)} threads"
            task = f"replot 1e7-point line 1200x800, {where}"
            peer = "matplotlib Agg" + ("" if one_core else " (1 thread)")

            def run(one_core=one_core, task=task, peer=peer, target=target):
                vs, ps = paired(lambda: vexa_bench(args, "bench_draw", "BM_ReplotLine1e7", one_core),
                                lambda: timed(fig.canvas.draw), one_core)
                row(task, peer, vs, ps, target, one_core=one_core)
            attempt(task, run)
    finally:
        plt.close(fig)


def render_file(args, scratch):
    """A new process reads a file of 1e6 points and writes a 1200x800 PNG of
    the line through every point."""
    # The job of bench/batch_png.py: its data, its macro, its peer.
    sys.path.insert(0, BENCH_SOURCES)
    sys.dont_write_bytecode = True
    import batch_png
    folder = os.path.join(scratch, "render")
    os.makedirs(folder, exist_ok=True)
    batch_png.write_data(os.path.join(folder, "data.txt"))
    with open(os.path.join(folder, "plot.mac"), "w") as f:
        f.write(batch_png.MACRO)
    # bench/peer_render.py draws the peer's picture as Vexa's.
    if not os.path.exists(batch_png.PEER):
        missing("1e6-point file -> 1200x800 PNG, process", "bench/peer_render.py")
        return
    peer_command = ["/usr/bin/python3", batch_png.PEER, "batch", "data.txt", "plot-mpl.png"]
    env = {"QT_QPA_PLATFORM": "offscreen"}
    vexa = [os.path.abspath(args.vexa), "-m", "plot.mac", "-h", "yes", "-q", "yes"]
    for one_core in (True, False):
        where = "one core" if one_core else "all cores"
        # matplotlib takes seconds here: fewer pairs keep the whole run short.
        vs, ps = paired(lambda: wall(vexa, one_core, folder, env), lambda: wall(peer_command, one_core, folder),
                        one_core, min(PAIRS, 3))
        target = ("<= 0.2 s, >= 10x", lambda v, r: v <= 0.2 and r >= 10) if one_core else None
        row(f"1e6-point file -> 1200x800 PNG, process, {where}", "python3+matplotlib", vs, ps, target,
            one_core=one_core)


EXPRESSION = "sin(x)*e^(-x/10)+x^2"


def expression(args):
    import numexpr
    n = 1_000_000
    x = np.arange(n) * 0.001
    # numpy's best: one temporary at a time, x*x for the square. Both sides
    # take the same statistic: the mean time of one evaluation over many in
    # a row, as Google Benchmark gives Vexa's (with the benchmark's own
    # least time).
    numpy_side = lambda: mean_of_many(lambda: np.sin(x) * np.exp(-x / 10) + x * x)  # noqa: E731
    numexpr_side = lambda: mean_of_many(  # noqa: E731
        lambda: numexpr.evaluate("sin(x)*exp(-x/10)+x**2", local_dict={"x": x}))
    vs, ps = paired(lambda: vexa_bench(args, "bench_expression", "BM_Columns", True), numpy_side, True)
    row(f"expression {EXPRESSION}, 1e6, one core", "numpy", vs, ps, (">= 1.5x", lambda v, r: r >= 1.5),
        one_core=True)
    threads = len(ALL_CORES)
    numexpr.set_num_threads(threads)
    try:
        vs, ps = paired(lambda: vexa_bench(args, "bench_expression", "BM_Columns", False), numexpr_side, False)
    finally:
        numexpr.set_num_threads(1)
    row(f"expression {EXPRESSION}, 1e6, {threads} threads", f"numexpr {threads} threads", vs, ps,
        (">= 3x", lambda v, r: r >= 3))


def spectrum(args):
    """The magnitude spectrum of 2^20 points with a Hanning window. Vexa pads
    to the power of two at least n + 2 and transforms in single precision;
    the peer does the same length in the same precision where scipy is there
    (numpy's transform is double precision only)."""
    n = 1 << 20
    length = 1 << 21
    i = np.arange(n)
    y = np.sin(0.01 * i) + 0.3 * np.sin(1.7 * i) + 0.1 * np.random.default_rng(1).random(n)
    try:
        import scipy.fft
        y32 = y.astype(np.float32)
        w32 = np.hanning(n).astype(np.float32)
        peer_name = "scipy.fft float32"
        peer = lambda: timed(lambda: np.abs(scipy.fft.rfft(y32 * w32, n=length)), 3)  # noqa: E731
    except ImportError:
        w = np.hanning(n)
        peer_name = "numpy rfft float64"
        peer = lambda: timed(lambda: np.abs(np.fft.rfft(y * w, n=length)), 3)  # noqa: E731
    vs, ps = paired(lambda: vexa_bench(args, "bench_spectral", "BM_FftSpectrumDocument/1048576", True), peer, True)
    row("spectrum 2^20 Hanning (2^21 transform), one core", peer_name, vs, ps, (">= 1.0x", lambda v, r: r >= 1.0),
        one_core=True)


def ascii_import(args, scratch):
    path = os.path.join(scratch, "numbers.txt")
    env = {"VEXA_BENCH_NUMBERS": path}
    # The first run writes the file; the peers read the very same bytes.
    vexa_bench(args, "bench_import", "BM_ImportPeakMemory", False, env, "peakMB")
    size = os.path.getsize(path) / 1e6
    import pandas as pd
    pandas_side = lambda: timed(lambda: pd.read_csv(path, sep="\t", header=None, dtype=float, engine="c"))  # noqa: E731
    loadtxt_side = lambda: timed(lambda: np.loadtxt(path))  # noqa: E731
    name = "BM_ImportTwoColumns"
    for one_core in (True, False):
        where = "one core" if one_core else f"{len(ALL_CORES)} threads"
        target = (">= 1000 MB/s", lambda v, r: v >= 1000) if one_core else (">= 3000 MB/s", lambda v, r: v >= 3000)
        vs, ps = paired(lambda: vexa_bench(args, "bench_import", name, one_core, env), pandas_side, one_core)
        peer = "pandas.read_csv" + ("" if one_core else " (1 thread: no threaded peer)")
        row(f"ASCII import {size:.0f} MB two columns, {where}", peer, vs, ps, target, "MB/s", size, one_core)
        if one_core:
            vs, ps = paired(lambda: vexa_bench(args, "bench_import", name, one_core, env), loadtxt_side, one_core, 3)
            row(f"ASCII import {size:.0f} MB two columns, {where}", "numpy.loadtxt", vs, ps, None, "MB/s", size, True)
    peak = vexa_bench(args, "bench_import", "BM_ImportPeakMemory", False, env, "peak/doubles")
    print_row("ASCII import peak memory, 1e7-point file", f"{peak:.2f}x the doubles kept", "", "",
              f"target <= 1.2x: {'ok' if peak <= 1.2 else 'MISSED'}")


def symbols(args):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    n = 1_000_000
    x = 100.0 * np.arange(n) / n
    y = np.sin(x * 0.3) + 0.2 * (np.random.default_rng(2).random(n) - 0.5)
    # 72 dots per inch: a point is a pixel, as in Vexa's 1000 x 700 image.
    fig = plt.figure(figsize=(1000 / 72, 700 / 72), dpi=72)
    ax = fig.add_axes([0.1, 0.1, 0.85, 0.85])
    ax.plot(x, y, "o", markersize=6, markerfacecolor="none", color="black", linewidth=0)
    try:
        vs, ps = paired(lambda: vexa_bench(args, "bench_draw", "BM_DrawSymbols/1000000", True),
                        lambda: timed(fig.canvas.draw), True, 3)
    finally:
        plt.close(fig)
    row("1e6 symbols into a 1000x700 image, one core", "matplotlib markers", vs, ps, (">= 3x", lambda v, r: r >= 3),
        one_core=True)


def bare_qt_app(scratch):
    source = os.path.join(scratch, "bare.cpp")
    with open(source, "w") as f:
        f.write("#include <QApplication>\n"
                "int main(int argc, char** argv) { QApplication app(argc, argv); return 0; }\n")
    flags = subprocess.run(["pkg-config", "--cflags", "--libs", "Qt6Widgets"], check=True, capture_output=True,
                           text=True).stdout.split()
    program = os.path.join(scratch, "bare")
    subprocess.run(["g++", "-O2", "-fPIC", source, "-o", program] + flags, check=True)
    return program


def startup(args, scratch):
    env = {"QT_QPA_PLATFORM": "offscreen"}
    bare = bare_qt_app(scratch)
    vs, ps = paired(lambda: wall([args.vexa, "-h", "yes", "-q", "yes"], True, env=env),
                    lambda: wall([bare], True, env=env), True, 15)
    row("start-up, vexa -h yes -q yes, one core", "bare Qt Widgets app", vs, ps,
        ("Vexa <= 1.5x the bare app's time", lambda v, r: r >= 1 / 1.5), one_core=True)


def end_to_end(args, scratch):
    macro = os.path.join(scratch, "fgcalc.mac")
    with open(macro, "w") as f:
        f.write("fg 1 0 1000 1000000 'sin(x)*e^(-x/10)+x^2'\n"
                "calc 2 'y*2+sin(x)' 0\n")
    env = {"QT_QPA_PLATFORM": "offscreen"}
    code = ("import numpy as np\n"
            "x = np.linspace(0, 1000, 1000000)\n"
            "y = np.sin(x) * np.exp(-x / 10) + x ** 2\n"
            "y = y * 2 + np.sin(x)\n")
    for one_core in (True, False):
        where = "one core" if one_core else "all cores"
        vs, ps = paired(lambda: wall([args.vexa, "-m", macro, "-h", "yes", "-q", "yes"], one_core, env=env),
                        lambda: wall(["/usr/bin/python3", "-c", code], one_core), one_core)
        row(f"end to end: fg 1e6 + calc, new process, {where}", "python3+numpy", vs, ps,
            (">= 1.0x", lambda v, r: r >= 1.0), one_core=one_core)


def load():
    one, five, _ = os.getloadavg()
    return f"load average {one:.1f} (5 min {five:.1f}) on {os.cpu_count()} cores"


def main():
    global PAIRS
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bench-dir", required=True)
    parser.add_argument("--vexa", required=True)
    parser.add_argument("--pairs", type=int, default=PAIRS, help="pairs of runs per row (default %(default)s)")
    parser.add_argument("--only", nargs="*", metavar="TASK",
                        help="only these tasks: replot render expression spectrum import symbols startup end-to-end")
    args = parser.parse_args()
    PAIRS = max(1, args.pairs)
    if not shutil.which("taskset"):
        raise SystemExit("bench-peers: taskset (util-linux) is needed to pin both sides to one core")
    print(f"{load()}; one-core rows on core {ONE_CORE}; {PAIRS} pairs per row (A B A B), "
          f"medians ±spread (range of the runs); numpy {np.__version__}", flush=True)
    started = time.perf_counter()
    scratch = tempfile.mkdtemp(prefix="vexa-peers-")
    tasks = {
        "replot": lambda: replot(args),
        "render": lambda: render_file(args, scratch),
        "expression": lambda: expression(args),
        "spectrum": lambda: spectrum(args),
        "import": lambda: ascii_import(args, scratch),
        "symbols": lambda: symbols(args),
        "startup": lambda: startup(args, scratch),
        "end-to-end": lambda: end_to_end(args, scratch),
    }
    try:
        for name, task in tasks.items():
            if not args.only or name in args.only:
                task()
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print(f"{load()}; {time.perf_counter() - started:.0f} s in all", flush=True)


if __name__ == "__main__":
    sys.exit(main())
