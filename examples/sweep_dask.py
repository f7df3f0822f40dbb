#!/usr/bin/python3
"""The sweep of sweep_threads.py on dask.distributed: here a LocalCluster of
worker processes; on a cluster, the same code with the scheduler's address
(see the README).

    /usr/bin/python3 examples/sweep_dask.py [ENSEMBLE.tvx] --steps 500 --values 16 --out sweep
    /usr/bin/python3 examples/sweep_dask.py --scheduler tcp://head:8786 ...

Writes OUT/sweep_dask.csv and OUT/sweep_dask.png.
"""
import os
import sys

from dask.distributed import Client, LocalCluster

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import sweep_threads  # noqa: E402  (the ensemble, the values, the CSV and the plot)

import vorun  # noqa: E402


def energy_after(record, a1, steps, settings):
    """Runs a copy of the ensemble in `record` with A1 = a1 on one thread. Here
    and not imported, so that a worker that cannot import the examples runs it."""
    e = vorun.from_bytes(record)
    e.A1 = a1
    result = vorun.run(e, steps, settings, every=steps, threads=1, trajectory=False)
    o = result.observables
    return {"A1": e.A1, "kinetic_energy": o["kinetic_energy"][-1], "smallest_distance": o["smallest_distance"][-1]}


def sweep(client, record, values, steps, settings):
    shared = client.scatter(record, broadcast=True)
    futures = client.map(energy_after, [shared] * len(values), values, steps=steps, settings=settings, pure=False)
    return client.gather(futures)


def main(argv=None, processes=True, workers=None):
    parser_args = list(sys.argv[1:] if argv is None else argv)
    scheduler = None
    if "--scheduler" in parser_args:
        at = parser_args.index("--scheduler")
        scheduler = parser_args[at + 1]
        del parser_args[at : at + 2]
    args = sweep_threads.arguments(parser_args, "A sweep of A1 on dask.distributed.")
    e = vorun.load(args.ensemble) if args.ensemble else sweep_threads.cloud()
    settings = vorun.Settings(formula=args.formula)
    values = sweep_threads.sweep_values(args.values)
    if scheduler:
        with Client(scheduler) as client:
            rows = sweep(client, e.to_bytes(), values, args.steps, settings)
    else:
        workers = workers or os.cpu_count()
        with LocalCluster(
            n_workers=workers, threads_per_worker=1, processes=processes, dashboard_address=None
        ) as cluster, Client(cluster) as client:
            rows = sweep(client, e.to_bytes(), values, args.steps, settings)
    os.makedirs(args.out, exist_ok=True)
    sweep_threads.write_csv(rows, os.path.join(args.out, "sweep_dask.csv"))
    sweep_threads.plot(rows, os.path.join(args.out, "sweep_dask.png"), f"{args.steps} steps on Dask")
    return rows


if __name__ == "__main__":
    main()
