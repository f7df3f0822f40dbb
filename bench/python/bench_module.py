#!/usr/bin/python3
"""Steps per second of the module against vorun-run on the 60-taon cloud of
step_bench (formula E, split 30, one thread per step), measured in one run:

- vorun-run: the whole program on a file (wall time of the process);
- vorun.run: one call, no trajectory;
- a Python loop calling ensemble.step once per step;
- two ensembles stepped by two Python threads at once, against one;
- two vorun-run processes at once, the same work in two processes;
- one ensemble on each other core: two streams can go no faster than twice
  the slower core, and a virtual machine's cores need not be equally fast.

The single streams run pinned to one core (--core), the two-stream cases on
every core.

    PYTHONPATH=build/python /usr/bin/python3 bench/python/bench_module.py [--steps N] [--repeats R]

Prints the medians of R interleaved repetitions and the ratios, with the CPU
seconds per wall second of each case (of the children for the processes).
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


def cpu_seconds():
    """CPU seconds of this process and of its finished children."""
    t = os.times()
    return t.user + t.system + t.children_user + t.children_system


def timed(work):
    """Wall seconds, and the CPU seconds spent in them."""
    started, cpu = time.perf_counter(), cpu_seconds()
    work()
    return time.perf_counter() - started, cpu_seconds() - cpu


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--steps", type=int, default=2000)
    parser.add_argument("--repeats", type=int, default=5)
    parser.add_argument("--runner", default=os.environ.get("VORUN_RUN", "build/vorun-run"))
    parser.add_argument("--core", type=int, help="the core of the single streams (default: the first allowed)")
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

    def one_run(e):
        vorun.run(e, n, settings, every=n, threads=1, trajectory=False)

    def two_threads():
        workers = [threading.Thread(target=one_run, args=(cloud.copy(),)) for _ in range(2)]
        for w in workers:
            w.start()
        for w in workers:
            w.join()

    def two_processes():
        children = [subprocess.Popen(command[:3] + [os.path.join(folder, f"out{k}.tvx")] + command[4:])
                    for k in range(2)]
        if any(child.wait() != 0 for child in children):
            raise RuntimeError("vorun-run failed")

    def pinned(core, work):
        """work with this thread (and a child it starts) on one core only."""
        def run():
            everywhere = os.sched_getaffinity(0)
            os.sched_setaffinity(0, {core})
            try:
                work()
            finally:
                os.sched_setaffinity(0, everywhere)
        return run

    # The single streams run on one and the same core, so that their ratios
    # compare like with like; a virtual machine's cores need not be equally
    # fast, and where the scheduler puts a lone process is chance.
    all_cores = sorted(os.sched_getaffinity(0))
    core = args.core if args.core is not None else all_cores[0]
    cases = {
        "vorun-run": pinned(core, lambda: subprocess.run(command, check=True)),
        "vorun.run": pinned(core, lambda: one_run(cloud.copy())),
        "Python loop of step": pinned(core, lambda: python_loop(cloud.copy())),
    }
    for other in all_cores:
        if other != core:
            cases[f"vorun.run on core {other}"] = pinned(other, lambda: one_run(cloud.copy()))
    cases["two ensembles, two threads"] = two_threads
    cases["two vorun-run processes"] = two_processes
    seconds = {name: [] for name in cases}
    cores = {name: [] for name in cases}
    for _ in range(args.repeats):
        for name, work in cases.items():
            wall, cpu = timed(work)
            seconds[name].append(wall)
            cores[name].append(cpu / wall)
    rate = {name: n * (2 if "two" in name else 1) / statistics.median(s) for name, s in seconds.items()}
    per_core = {c: rate["vorun.run" if c == core else f"vorun.run on core {c}"] for c in all_cores}
    print(f"{n} steps, medians of {args.repeats} interleaved repetitions, wall time, load {os.getloadavg()[0]:.1f}")
    print(f"single streams on core {core}; cores: CPU seconds per wall second (of the children for vorun-run)")
    for name, r in rate.items():
        print(f"{name:32s} {r:8.0f} steps/s   cores {statistics.median(cores[name]):.2f}")
    threads, processes = rate["two ensembles, two threads"], rate["two vorun-run processes"]
    print(f"vorun.run / vorun-run                {rate['vorun.run'] / rate['vorun-run']:.3f}")
    print(f"Python loop / vorun-run              {rate['Python loop of step'] / rate['vorun-run']:.3f}")
    for c, r in per_core.items():
        print(f"two threads / one on core {c:<2d}         {threads / r:.2f}")
    print(f"two processes / two threads          {processes / threads:.2f}")
    if len(all_cores) >= 2:
        # Two equal halves of work end when the slower core ends its half.
        print(f"two threads / (2 x slower core)      {threads / (2 * min(per_core.values())):.2f}")

if __name__ == "__main__":
    main()
