"""The sweep examples give the numbers of a plain loop, and write their CSV
and PNG."""
import sys

import numpy as np

import vorun
from conftest import SOURCE

sys.path.insert(0, str(SOURCE / "examples"))
import sweep_dask  # noqa: E402
import sweep_threads  # noqa: E402

ARGS = ["--steps", "40", "--values", "4", "--formula", "PES"]


def sequential(values, steps, settings):
    rows = []
    for a1 in values:
        e = sweep_threads.cloud()
        e.A1 = a1
        e.step(settings, n=steps)
        rows.append((e.A1, e.measure()["kinetic_energy"], e.measure()["smallest_distance"]))
    return rows


def check(rows, csv_path, png_path):
    expected = sequential(sweep_threads.sweep_values(4), 40, vorun.Settings(formula="PES"))
    assert [tuple(r.values()) for r in rows] == expected
    lines = csv_path.read_text().splitlines()
    assert lines[0] == "A1,kinetic_energy,smallest_distance" and len(lines) == 5
    # The CSV's 21 digits read back to the same 80-bit values.
    assert [tuple(np.longdouble(c) for c in line.split(",")) for line in lines[1:]] == expected
    assert png_path.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"


def test_the_thread_sweep_gives_the_sequential_numbers(tmp_path):
    rows = sweep_threads.main(ARGS + ["--out", str(tmp_path)])
    check(rows, tmp_path / "sweep_threads.csv", tmp_path / "sweep_threads.png")


def test_the_dask_sweep_gives_the_sequential_numbers(tmp_path):
    rows = sweep_dask.main(ARGS + ["--out", str(tmp_path)], processes=False, workers=2)
    check(rows, tmp_path / "sweep_dask.csv", tmp_path / "sweep_dask.png")
