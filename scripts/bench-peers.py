#!/usr/bin/python3
"""Vexa's benchmarks side by side with numpy, pandas and matplotlib.

Every task runs on the same data in the same run: Vexa's benchmark programs
(Google Benchmark, JSON output) and the peers timed here, best of a few
runs. One line per task: both figures and the ratio of Vexa's speed to the
peer's (above 1: Vexa is faster), with the goal for that ratio.

Run by `make bench-peers`, which builds the benchmarks and the program and
installs the peers first. The machine's load shows in every figure; run it
on a quiet machine for numbers to compare.
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

import numpy as np


def best_of(runs, f):
    best = float("inf")
    for _ in range(runs):
        t0 = time.perf_counter()
        f()
        best = min(best, time.perf_counter() - t0)
    return best


def vexa_bench(bench_dir, program, name_filter, env=None, repetitions=3):
    """Runs one Vexa benchmark program; returns its JSON benchmarks by name."""
    path = os.path.join(bench_dir, "bench", program)
    e = dict(os.environ)
    e.setdefault("QT_QPA_PLATFORM", "offscreen")
    if env:
        e.update(env)
    out = subprocess.run(
        [path, "--benchmark_filter=" + name_filter, "--benchmark_format=json", "--benchmark_repetitions=" + str(repetitions),
         "--benchmark_report_aggregates_only=false"],
        check=True, capture_output=True, text=True, env=e).stdout
    results = {}
    benchmarks = json.loads(out)["benchmarks"] if out.strip() else []
    if not benchmarks:
        raise SystemExit(f"{program}: no benchmark matches {name_filter}")
    for b in benchmarks:
        if b.get("run_type") != "iteration":
            continue
        name = b["run_name"] if "run_name" in b else b["name"]
        # Best of the repetitions, as for the peers.
        if name not in results or b["real_time"] < results[name]["real_time"]:
            results[name] = b
    return results


def seconds(b):
    unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
    return b["real_time"] * unit


def wall(cmd, runs, env=None):
    e = dict(os.environ)
    if env:
        e.update(env)
    return best_of(runs, lambda: subprocess.run(cmd, check=True, env=e, stdout=subprocess.DEVNULL,
                                                 stderr=subprocess.DEVNULL))


ROWS = []


def row(task, vexa, peer, ratio, goal):
    ROWS.append((task, vexa, peer, ratio, goal))
    ok = "ok" if goal[1](ratio) else "BELOW GOAL"
    print(f"{task:<44} | Vexa {vexa:<22} | {peer:<36} | Vexa/peer {ratio:6.2f} | goal {goal[0]:<7} {ok}",
          flush=True)


def at_least(x, shown=None):
    return (f">= {shown or x}", lambda r: r >= x)


def expression(args):
    b = vexa_bench(args.bench_dir, "bench_expression", "^BM_Columns/")
    vexa = b["BM_Columns/real_time"]["items_per_second"]
    n = 1_000_000
    x = np.arange(n) * 0.001
    t = best_of(7, lambda: np.sin(x) * np.exp(-x / 10) + x ** 2)
    peer = n / t
    row("expression sin(x)*e^(-x/10)+x^2, 1e6 points", f"{vexa / 1e6:.1f} M points/s",
        f"numpy {peer / 1e6:.1f} M points/s", vexa / peer, at_least(1.0))


def ascii_import(args, scratch):
    path = os.path.join(scratch, "numbers.txt")
    env = {"VEXA_BENCH_NUMBERS": path}
    b = vexa_bench(args.bench_dir, "bench_import", "^BM_ImportTwoColumns/|^BM_ImportPeakMemory", env, 1)
    vexa = b["BM_ImportTwoColumns/min_time:3.000/real_time"]["MB/s"]
    size = os.path.getsize(path) / 1e6
    t = best_of(2, lambda: np.loadtxt(path))
    peer = size / t
    row(f"ASCII import, {size:.0f} MB, two numeric columns", f"{vexa:.0f} MB/s", f"numpy.loadtxt {peer:.0f} MB/s",
        vexa / peer, at_least(2.0))
    try:
        import pandas as pd
        t = best_of(2, lambda: pd.read_csv(path, sep="\t", header=None, dtype=float, engine="c"))
        print(f"{'':<44} | {'':<27} | pandas.read_csv {size / t:.0f} MB/s", flush=True)
    except ImportError:
        pass
    peak = b["BM_ImportPeakMemory/iterations:1/real_time"]
    ratio = peak["peak/doubles"]
    print(f"{'ASCII import peak memory, 1e7-point file':<44} | {peak['peakMB']:.0f} MB above base for "
          f"{peak['points'] * 16 / 1e6:.0f} MB of doubles: {ratio:.2f}x (goal <= 1.2x: "
          f"{'ok' if ratio <= 1.2 else 'ABOVE GOAL'})", flush=True)


def spectrum(args):
    b = vexa_bench(args.bench_dir, "bench_spectral", "^BM_FftSpectrumDocument/1048576")
    vexa = seconds(b["BM_FftSpectrumDocument/1048576"])
    n = 1 << 20
    i = np.arange(n)
    y = np.sin(0.01 * i) + 0.3 * np.sin(1.7 * i) + 0.1 * np.random.default_rng(1).random(n)
    w = np.hanning(n)
    t = best_of(7, lambda: np.abs(np.fft.rfft(y * w)))
    row("spectrum of 2^20 points, Hanning window", f"{vexa * 1e3:.1f} ms", f"numpy window+rfft+abs {t * 1e3:.1f} ms",
        t / vexa, at_least(1 / 3, "1/3"))


def symbols(args):
    b = vexa_bench(args.bench_dir, "bench_draw", "^BM_DrawSymbols/1000000/")
    vexa = b["BM_DrawSymbols/1000000/real_time"]["items_per_second"]
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
    t = best_of(3, fig.canvas.draw)
    plt.close(fig)
    peer = n / t
    row("1e6 symbols into a 1000x700 image", f"{vexa / 1e6:.1f} M/s", f"matplotlib markers {peer / 1e6:.1f} M/s",
        vexa / peer, at_least(3.0))


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
    vexa = wall([args.vexa, "-h", "yes", "-q", "yes"], 15, env)
    bare = wall([bare_qt_app(scratch)], 15, env)
    ratio = bare / vexa
    print(f"{'start-up, vexa -h yes -q yes':<44} | Vexa {vexa * 1e3:.1f} ms{'':<13} | bare Qt Widgets app "
          f"{bare * 1e3:.1f} ms{'':<9} | Vexa/peer time {vexa / bare:5.2f} | goal <= 1.5 "
          f"{'ok' if vexa / bare <= 1.5 else 'ABOVE GOAL'}", flush=True)
    return ratio


def end_to_end(args, scratch):
    macro = os.path.join(scratch, "fgcalc.mac")
    with open(macro, "w") as f:
        f.write("fg 1 0 1000 1000000 'sin(x)*e^(-x/10)+x^2'\n"
                "calc 2 'y*2+sin(x)' 0\n")
    env = {"QT_QPA_PLATFORM": "offscreen"}
    vexa = wall([args.vexa, "-m", macro, "-h", "yes", "-q", "yes"], 5, env)
    code = ("import numpy as np\n"
            "x = np.linspace(0, 1000, 1000000)\n"
            "y = np.sin(x) * np.exp(-x / 10) + x ** 2\n"
            "y = y * 2 + np.sin(x)\n")
    peer = wall(["/usr/bin/python3", "-c", code], 5)
    row("end to end: fg 1e6 points + calc, new process", f"{vexa * 1e3:.0f} ms", f"python3+numpy {peer * 1e3:.0f} ms",
        peer / vexa, at_least(1.0))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--bench-dir", required=True)
    parser.add_argument("--vexa", required=True)
    args = parser.parse_args()
    load = os.getloadavg()[0]
    print(f"load average {load:.1f} on {os.cpu_count()} cores; numpy {np.__version__}", flush=True)
    scratch = tempfile.mkdtemp(prefix="vexa-peers-")
    try:
        expression(args)
        ascii_import(args, scratch)
        spectrum(args)
        symbols(args)
        startup(args, scratch)
        end_to_end(args, scratch)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
