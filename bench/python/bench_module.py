#!/usr/bin/python3
"""Steps per second of the module against vorun-run on the 60-taon cloud of
step_bench (formula E, split 30, one thread per step), measured in one run:

- vorun-run: the whole program on a file (wall time of the process);
- vorun.run: one call, no trajectory;
- a Python loop calling ensemble.step once per step;
- two ensembles stepped by two Python threads at once, against one.

    PYTHONPATH=build/python /usr/bin/python3 bench/python/bench_module.py [--steps N] [--repeats R]

Prints the medians of R interleaved repetitions and the ratios.
"""
import argparse
import os
import statistics
import subprocess
import tempfile
import threading
import time

import numpy as np

import vorun


def bench_cloud():
    """The cloud of bench/BenchCloud.h, value for value: its generator and its
    arithmetic in 80 bits."""
    e = vorun.Ensemble()
    e.dt = np.longdouble("0.001")
    for name, text in zip(vorun.PARAMETERS[1:], ["0.1", "0.5", "1", "1.5", "2", "0.12", "0.6", "1.1", "1.6", "2.1"]):
        setattr(e, name, np.longdouble(text))
    seed = 20261208
    points = []

    def coordinate():
        nonlocal seed
        seed = (seed * 6364136223846793005 + 1442695040888963407) % 2**64
        return np.longdouble(seed >> 11) / np.longdouble(2**53) * 6 - 3

    while len(points) < 60:
        p = [coordinate(), coordinate(), coordinate()]
        if all(sum((a - b) * (a - b) for a, b in zip(p, q)) >= np.longdouble("0.09") for q in points):
            points.append(p)
    e.positions = np.array(points, dtype=np.longdouble)
    e.occupancy = np.ones(60, dtype=np.uint8)
    return e


def timed(work):
    """Wall seconds, and the CPU seconds of this process in them."""
    started, cpu = time.perf_counter(), time.process_time()
    work()
    return time.perf_counter() - started, time.process_time() - cpu


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--steps", type=int, default=2000)
    parser.add_argument("--repeats", type=int, default=5)
    parser.add_argument("--runner", default=os.environ.get("VORUN_RUN", "build/vorun-run"))
    args = parser.parse_args()
    n = args.steps
    settings = vorun.Settings()
    cloud = bench_cloud()
    folder = tempfile.mkdtemp()
    source = os.path.join(folder, "cloud.tvx")
    cloud.save(source)
    command = [args.runner, source, "-o", os.path.join(folder, "out.tvx"), "-n", str(n), "--threads", "1", "-q"]

    def python_loop(e):
        for _ in range(n):
            e.step(settings, threads=1)

    def two_threads():
        pair = [cloud.copy(), cloud.copy()]
        workers = [threading.Thread(target=vorun.run, args=(e, n, settings), kwargs={"threads": 1, "trajectory": False})
                   for e in pair]
        for w in workers:
            w.start()
        for w in workers:
            w.join()

    cases = {
        "vorun-run": lambda: subprocess.run(command, check=True),
        "vorun.run": lambda: vorun.run(cloud.copy(), n, settings, every=n, threads=1, trajectory=False),
        "Python loop of step": lambda: python_loop(cloud.copy()),
        "two ensembles, two threads": two_threads,
    }
    seconds = {name: [] for name in cases}
    cores = {name: [] for name in cases}
    for _ in range(args.repeats):
        for name, work in cases.items():
            wall, cpu = timed(work)
            seconds[name].append(wall)
            cores[name].append(cpu / wall)
    rate = {name: n * (2 if "two" in name else 1) / statistics.median(s) for name, s in seconds.items()}
    print(f"{n} steps, medians of {args.repeats} interleaved repetitions, wall time, load {os.getloadavg()[0]:.1f}")
    print("(cores: CPU seconds of this process per wall second; vorun-run runs in a child, so 0 there)")
    for name, r in rate.items():
        print(f"{name:28s} {r:8.0f} steps/s   cores {statistics.median(cores[name]):.2f}")
    print(f"vorun.run / vorun-run            {rate['vorun.run'] / rate['vorun-run']:.3f}")
    print(f"Python loop / vorun-run          {rate['Python loop of step'] / rate['vorun-run']:.3f}")
    print(f"two threads / one (vorun.run)    {rate['two ensembles, two threads'] / rate['vorun.run']:.2f}")


if __name__ == "__main__":
    main()
