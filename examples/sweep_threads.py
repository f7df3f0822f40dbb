#!/usr/bin/python3
"""Sweeps the parameter A1 of an ensemble and records the kinetic energy
after a number of steps, on a pool of Python threads. vorun releases the GIL
while it steps, so the threads keep every core busy.

    /usr/bin/python3 examples/sweep_threads.py [ENSEMBLE.tvx] --steps 500 --values 16 --out sweep

Writes OUT/sweep_threads.csv (A1, the final kinetic energy and smallest pair
distance, 21 significant digits) and OUT/sweep_threads.png. Without a file
it sweeps a cloud of 20 taons made here.
"""
import argparse
import concurrent.futures
import os

import numpy as np

import vorun


def cloud(taons=20, seed=7):
    """A cloud of taons at rest within +-2, both parameter sets alike."""
    e = vorun.Ensemble()
    rng = np.random.default_rng(seed)
    p = np.zeros((60, 3), dtype=np.longdouble)
    p[:taons] = rng.uniform(-2, 2, size=(taons, 3))
    e.positions = p
    occupancy = np.zeros(60, dtype=np.uint8)
    occupancy[:taons] = 1
    e.occupancy = occupancy
    for name, value in zip(vorun.PARAMETERS[1:], [0.1, 0.5, 1, 1.5, 2] * 2):
        setattr(e, name, value)
    return e


def energy_after(record, a1, steps, settings):
    """Runs a copy of the ensemble in `record` with A1 = a1 on one thread."""
    e = vorun.from_bytes(record)
    e.A1 = a1
    result = vorun.run(e, steps, settings, every=steps, threads=1, trajectory=False)
    o = result.observables
    return {"A1": e.A1, "kinetic_energy": o["kinetic_energy"][-1], "smallest_distance": o["smallest_distance"][-1]}


def sweep(record, values, steps, settings, workers=None):
    with concurrent.futures.ThreadPoolExecutor(max_workers=workers or os.cpu_count()) as pool:
        return list(pool.map(lambda a1: energy_after(record, a1, steps, settings), values))


def sweep_values(count):
    return [np.longdouble(v) for v in np.linspace(0.02, 0.4, count)]


def write_csv(rows, path):
    """numpy prints a longdouble with the digits that read back to it."""
    with open(path, "w") as f:
        f.write(",".join(rows[0]) + "\n")
        for row in rows:
            f.write(",".join(np.format_float_scientific(v, precision=20, unique=False) for v in row.values()) + "\n")


def plot(rows, path, title):
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    fig, ax = plt.subplots(figsize=(6, 4))
    ax.plot([float(r["A1"]) for r in rows], [float(r["kinetic_energy"]) for r in rows], marker="o")
    ax.set(xlabel="A1", ylabel="kinetic energy", title=title)
    fig.tight_layout()
    fig.savefig(path)
    plt.close(fig)


def arguments(argv, description):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("ensemble", nargs="?", help="ensemble file (default: a cloud of 20 taons)")
    parser.add_argument("--steps", type=int, default=500)
    parser.add_argument("--values", type=int, default=16, help="number of A1 values")
    parser.add_argument("--formula", default="E", choices=vorun.FORMULAS)
    parser.add_argument("--out", default=".", help="folder for the CSV and the PNG")
    return parser.parse_args(argv)


def main(argv=None):
    args = arguments(argv, "A sweep of A1 on a pool of threads.")
    e = vorun.load(args.ensemble) if args.ensemble else cloud()
    settings = vorun.Settings(formula=args.formula)
    rows = sweep(e.to_bytes(), sweep_values(args.values), args.steps, settings)
    os.makedirs(args.out, exist_ok=True)
    write_csv(rows, os.path.join(args.out, "sweep_threads.csv"))
    plot(rows, os.path.join(args.out, "sweep_threads.png"), f"{args.steps} steps, formula {args.formula}")
    return rows


if __name__ == "__main__":
    main()
