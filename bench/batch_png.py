#!/usr/bin/python3
"""Times a whole batch run: a new vexa process imports a two-column file of
1,000,000 points and exports a 1200x800 PNG line plot, on one core.

    bench/batch_png.py --vexa build/release/src/app/vexa [--runs 7] [--matplotlib]

Prints the best and the median wall time of the runs (goal: under 0.4 s) and
the median processor time (user and system, children included), and with
--matplotlib the same job done by python3 with matplotlib. On a shared
machine the wall times wait for other work; the processor times much less.
"""

import argparse
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

POINTS = 1_000_000
GOAL_SECONDS = 0.4

MACRO = """import 'data.txt' 0
windowsize 1200 800
savepng 'plot.png'
"""

MATPLOTLIB = """
import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt
import numpy as np
x, y = np.loadtxt("data.txt", unpack=True)
fig = plt.figure(figsize=(12, 8), dpi=100)
plt.plot(x, y, linewidth=1)
fig.savefig("plot-mpl.png")
"""


def write_data(path):
    with open(path, "w") as f:
        for i in range(POINTS):
            x = i * 0.001
            f.write(f"{x:.3f}\t{(i * 7919) % 10007 / 10007.0:.6f}\n")


def on_one_core(command):
    return ["taskset", "-c", "0"] + command if shutil.which("taskset") else command


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def timed_runs(command, cwd, runs, env=None):
    """Wall times and processor times of the runs."""
    times, cpu = [], []
    for _ in range(runs):
        cpu_before = children_cpu()
        start = time.perf_counter()
        done = subprocess.run(command, cwd=cwd, env=env, capture_output=True)
        times.append(time.perf_counter() - start)
        cpu.append(children_cpu() - cpu_before)
        if done.returncode != 0:
            sys.exit(f"{command[0]} failed ({done.returncode}): {done.stderr.decode(errors='replace')}")
    return times, cpu


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--vexa", required=True)
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--matplotlib", action="store_true")
    args = parser.parse_args()
    vexa = os.path.abspath(args.vexa)
    scratch = tempfile.mkdtemp(prefix="vexa-batch-")
    try:
        write_data(os.path.join(scratch, "data.txt"))
        with open(os.path.join(scratch, "plot.mac"), "w") as f:
            f.write(MACRO)
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        times, cpu = timed_runs(on_one_core([vexa, "-m", "plot.mac", "-h", "yes", "-q", "yes"]), scratch, args.runs,
                                env)
        best, median = min(times), statistics.median(times)
        verdict = "ok" if median < GOAL_SECONDS else "ABOVE GOAL"
        print(f"vexa, import 1e6 points + 1200x800 PNG, one core: best {best:.3f} s, median {median:.3f} s "
              f"(goal < {GOAL_SECONDS} s) {verdict}; processor time median {statistics.median(cpu):.3f} s")
        if args.matplotlib:
            peer, peer_cpu = timed_runs(on_one_core(["/usr/bin/python3", "-c", MATPLOTLIB]), scratch,
                                        max(1, args.runs // 2))
            print(f"python3 + numpy.loadtxt + matplotlib, the same job: median {statistics.median(peer):.3f} s, "
                  f"processor time median {statistics.median(peer_cpu):.3f} s")
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
