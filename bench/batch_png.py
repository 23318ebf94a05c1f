#!/usr/bin/python3
"""Times a whole batch run: a new vexa process imports a two-column file of
1,000,000 points and exports a 1200x800 PNG line plot of every point.

    bench/batch_png.py --vexa build/bench/src/app/vexa [--runs 7] [--matplotlib] [--keep DIR]

Two rows: on one core (taskset -c CORE) and with the process free to use
every core. With --matplotlib each row pairs the runs with python3 +
numpy.loadtxt + matplotlib drawing the same picture (bench/peer_render.py
batch), A B A B, so both sides meet the same load. Prints the median and
the spread (min..max) of the wall times, and the ratio of the medians.
Goals: median under 0.2 s, and 10 times faster than matplotlib. --keep DIR
keeps the data and both pictures there, to compare them.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

POINTS = 1_000_000
GOAL_SECONDS = 0.2
GOAL_RATIO = 10

MACRO = """import 'data.txt' 0
windowsize 1200 800
savepng 'plot.png'
"""

PEER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "peer_render.py")


def write_data(path):
    with open(path, "w") as f:
        for i in range(POINTS):
            x = i * 0.001
            f.write(f"{x:.3f}\t{(i * 7919) % 10007 / 10007.0:.6f}\n")


def on_core(command, core):
    return ["taskset", "-c", str(core)] + command if core is not None and shutil.which("taskset") else command


def timed(command, cwd, env=None):
    start = time.perf_counter()
    done = subprocess.run(command, cwd=cwd, env=env, capture_output=True)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit(f"{command[0]} failed ({done.returncode}): {done.stderr.decode(errors='replace')}")
    return elapsed


def spread(times):
    return f"median {statistics.median(times):.3f} s ({min(times):.3f}..{max(times):.3f})"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--vexa", required=True)
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--core", type=int, default=0, help="the core of the one-core row")
    parser.add_argument("--matplotlib", action="store_true")
    parser.add_argument("--keep", help="folder to keep the data and the pictures in")
    args = parser.parse_args()
    vexa = os.path.abspath(args.vexa)
    scratch = os.path.abspath(args.keep) if args.keep else tempfile.mkdtemp(prefix="vexa-batch-")
    os.makedirs(scratch, exist_ok=True)
    try:
        write_data(os.path.join(scratch, "data.txt"))
        with open(os.path.join(scratch, "plot.mac"), "w") as f:
            f.write(MACRO)
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        ours = [vexa, "-m", "plot.mac", "-h", "yes", "-q", "yes"]
        peer = ["/usr/bin/python3", PEER, "batch", "data.txt", "plot-matplotlib.png"]
        for label, core in (("one core", args.core), ("all cores", None)):
            a, b = [], []
            for _ in range(args.runs):
                a.append(timed(on_core(ours, core), scratch, env))
                if args.matplotlib:
                    b.append(timed(on_core(peer, core), scratch))
            median = statistics.median(a)
            verdict = "ok" if median < GOAL_SECONDS else "ABOVE GOAL"
            line = f"1e6-point file -> 1200x800 PNG, {label}: vexa {spread(a)} (goal < {GOAL_SECONDS} s) {verdict}"
            if b:
                ratio = statistics.median(b) / median
                line += (f"; matplotlib {spread(b)}; vexa {ratio:.1f}x faster "
                         f"(goal >= {GOAL_RATIO}x) {'ok' if ratio >= GOAL_RATIO else 'BELOW GOAL'}")
            print(line, flush=True)
    finally:
        if not args.keep:
            shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
