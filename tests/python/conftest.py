"""Shared pieces of the module's tests: vorun-run, a small ensemble that moves
under every formula, and files in a folder of the test's own."""
import os
import pathlib
import subprocess

import numpy as np
import pytest

import vorun

SOURCE = pathlib.Path(os.environ.get("VORUN_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))
BUILD = pathlib.Path(os.environ.get("VORUN_BUILD_DIR", SOURCE / "build"))
RUNNER = os.environ.get("VORUN_RUN", str(BUILD / "vorun-run"))


def place(e, slot, x, y, z, u=0, v=0, w=0, occupancy=1):
    """Puts a taon into slot (1 to 60), as a script builds an ensemble."""
    p, vel, occ = e.positions.copy(), e.velocities.copy(), e.occupancy.copy()
    p[slot - 1] = np.array([x, y, z], dtype=np.longdouble)
    vel[slot - 1] = np.array([u, v, w], dtype=np.longdouble)
    occ[slot - 1] = occupancy
    e.positions, e.velocities, e.occupancy = p, vel, occ


def uniform(e, dt, a, b, c, d, f):
    e.dt = dt
    for name, value in zip(vorun.PARAMETERS[1:], [a, b, c, d, f] * 2):
        setattr(e, name, value)


def with_padding(e):
    """e with padding bytes that are not zero, as a file written elsewhere may
    hold them: a save must carry them over."""
    record = bytearray(e.to_bytes())
    record[110:112] = b"\xa5\xa5"
    record[3772:3776] = b"\x5a\x5a\x5a\x5a"
    return vorun.from_bytes(bytes(record))


def sample():
    """Moves without a fault under every formula: taons in both parameter sets,
    one off the plane y = 0, an empty slot with a value of its own, an
    occupancy byte of 2."""
    e = vorun.Ensemble()
    uniform(e, np.longdouble("0.05"), 1, np.longdouble("2.718"), 5, 10, 20)
    e.A2 = 0.5
    place(e, 1, 0.5, 0, 0, 1, 0, 0)
    place(e, 2, -0.5, 0.25, 0, 0, 0.5, 0)
    place(e, 31, 0, 0, 0.75, 0, 0, -0.25)
    place(e, 47, 1.25, -0.5, -1, 0.125, 0, 0, occupancy=2)
    p = e.positions.copy()
    p[8, 0] = 42  # slot 9, empty
    e.positions = p
    return with_padding(e)


def collision():
    """Two taons 2 apart closing in at speed 1 each with no force meet after 4
    steps of 0.25; the fifth step takes ln 0 of their distance."""
    e = vorun.Ensemble()
    uniform(e, 0.25, 0, 1, 1, 1, 1)
    place(e, 1, -1, 0, 0, 1)
    place(e, 3, 1, 0, 0, -1)
    return e


def runner(*args, check=True):
    """vorun-run with these arguments; its exit status and stderr."""
    done = subprocess.run([RUNNER, "-q", *map(str, args)], capture_output=True, text=True)
    if check and done.returncode not in (0, 4):
        raise AssertionError(f"vorun-run failed ({done.returncode}): {done.stderr}")
    return done
