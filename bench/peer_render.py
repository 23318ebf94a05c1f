#!/usr/bin/python3
"""matplotlib (Agg) drawing the pictures Vexa's line benchmarks draw, for
side-by-side figures: the line through every point (matplotlib's default
path simplification, which keeps the picture), 1 point wide, at 72 dpi so
that a point is a pixel as in Vexa's pictures.

    bench/peer_render.py replot [--points 10000000] [--runs 7] [--png FILE]
        The data of BM_ReplotLine1e7 (bench/bench_draw.cpp): noise of +-1.5
        over x 0..100, y range -1.6..1.6, 1200 x 800 pixels. Draws once,
        then times `runs` redraws (fig.canvas.draw) and prints the median
        and the spread in milliseconds as one JSON line.

    bench/peer_render.py batch DATA PNG
        What `vexa -m macro -h yes -q yes` does in bench/batch_png.py: reads
        a two-column text file and saves the line as a 1200 x 800 PNG. Time
        the whole process.

For a one-core row run it under `taskset -c N`, as the Vexa side.
"""

import argparse
import json
import statistics
import sys
import time

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

DPI = 72


def figure():
    fig = plt.figure(figsize=(1200 / DPI, 800 / DPI), dpi=DPI)
    return fig, fig.add_subplot()


def noise(points):
    """The data of BM_ReplotLine1e7: the same generator, the same values."""
    mult, inc = np.uint64(6364136223846793005), np.uint64(1442695040888963407)
    # The bench's state after i + 1 steps, computed in blocks with numpy's
    # wrapping uint64 arithmetic: s_{i+1} = s_i * mult + inc.
    state = np.empty(points, dtype=np.uint64)
    s = np.uint64(0x9E3779B97F4A7C15)
    with np.errstate(over="ignore"):
        for i in range(points):
            s = s * mult + inc
            state[i] = s
            if i == 4095:
                break
        if points > 4096:
            # Jump ahead 4096 steps at a time: s -> s * A + C.
            a, c = np.uint64(1), np.uint64(0)
            for _ in range(4096):
                a, c = a * mult, c * mult + inc
            done = 4096
            while done < points:
                n = min(4096, points - done)
                state[done:done + n] = state[done - 4096:done - 4096 + n] * a + c
                done += n
    r = (state >> np.uint64(40)).astype(np.float64) / float(1 << 24) - 0.5
    x = 100.0 * np.arange(points, dtype=np.float64) / points
    return x, 3 * r


def replot(args):
    x, y = noise(int(args.points))
    fig, ax = figure()
    ax.plot(x, y, linewidth=1, color="black")
    ax.set_xlim(0, 100)
    ax.set_ylim(-1.6, 1.6)
    fig.canvas.draw()
    times = []
    for _ in range(args.runs):
        t0 = time.perf_counter()
        fig.canvas.draw()
        times.append(time.perf_counter() - t0)
    if args.png:
        fig.savefig(args.png, dpi=DPI)
    ms = [t * 1e3 for t in times]
    print(json.dumps({"task": "replot", "points": int(args.points), "median_ms": statistics.median(ms),
                      "min_ms": min(ms), "max_ms": max(ms), "runs": len(ms)}))


def batch(args):
    x, y = np.loadtxt(args.data, unpack=True)
    fig, ax = figure()
    ax.plot(x, y, linewidth=1, color="black")
    fig.savefig(args.png, dpi=DPI)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="task", required=True)
    p = sub.add_parser("replot")
    p.add_argument("--points", type=float, default=1e7)
    p.add_argument("--runs", type=int, default=7)
    p.add_argument("--png")
    p = sub.add_parser("batch")
    p.add_argument("data")
    p.add_argument("png")
    args = parser.parse_args()
    {"replot": replot, "batch": batch}[args.task](args)


if __name__ == "__main__":
    sys.exit(main())
