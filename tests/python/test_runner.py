"""Runs in Python give the bytes of vorun-run: the record, the observables
and the trajectory, under every formula, wall, split and scope, the heater,
the cooler, the blockade and the check boxes, and after a fault."""
import numpy as np
import pytest

import vorun
from conftest import collision, runner, sample, uniform, place

STEPS = 12
EVERY = 5

CASES = (
    [{"formula": f} for f in vorun.FORMULAS]
    + [{"wall": w} for w in vorun.WALLS]
    + [{"split": s} for s in vorun.SPLITS]
    + [{"scope": s} for s in vorun.SCOPES]
    + [{"heater": True}, {"cooler": True}, {"blockade": True}]
    + [{"formula": "PES", "check2": True}, {"formula": "PES", "check3": True}]
    + [{"formula": "EPES", "split": 10, "scope": "taoscope", "wall": "3x3", "heater": True, "check1": True}]
    + [{"dt": np.longdouble("0.03125")}]
)


def options(fields):
    """The vorun-run options of the same settings."""
    args = []
    for name, value in fields.items():
        if value is True:
            args.append(f"--{name}")
        elif name == "dt":
            args += ["--dt", np.format_float_scientific(value, precision=20, unique=False)]
        else:
            args += [f"--{name}", str(value)]
    return args


def run_both(tmp_path, e, fields, steps=STEPS, exact="decimal"):
    """The runner's files and the module's run of the same ensemble."""
    source = tmp_path / "in.tvx"
    e.save(source)
    done = runner(source, "-o", tmp_path / "out.tvx", "-n", steps, "--every", EVERY, "--exact", exact,
                  "--observables", tmp_path / "o.csv", "--trajectory", tmp_path / "t.csv", *options(fields))
    files = {name: (tmp_path / name).read_bytes() for name in ("out.tvx", "o.csv", "t.csv")}
    return done, files


def case_id(fields):
    return "-".join(f"{k}={v}" for k, v in fields.items())


@pytest.mark.parametrize("fields", CASES, ids=case_id)
def test_a_run_gives_the_runners_bytes(tmp_path, fields):
    e = sample()
    done, files = run_both(tmp_path, e, fields)
    assert done.returncode == 0, done.stderr
    result = vorun.run(e, STEPS, vorun.Settings(**fields), every=EVERY)
    assert e.to_bytes() == files["out.tvx"]
    assert result.observables_csv().encode() == files["o.csv"]
    assert result.trajectory_csv().encode() == files["t.csv"]
    assert list(result.steps) == [0, 5, 10]
    # The arrays hold the numbers the CSV prints, all 80 bits of them.
    rows = [line.split(",") for line in files["o.csv"].decode().splitlines()[1:]]
    for i, row in enumerate(rows):
        assert result.observables["kinetic_energy"][i] == np.longdouble(row[3])
        assert result.observables["largest_radius"][i] == np.longdouble(row[14])
    e.save(tmp_path / "again.tvx")
    assert (tmp_path / "again.tvx").read_bytes() == files["out.tvx"]


def test_steps_one_at_a_time_give_the_run_in_one_call():
    settings = vorun.Settings(formula="PES", wall="3x3")
    a, b = sample(), sample()
    for _ in range(STEPS):
        a.step(settings)
    b.step(settings, n=STEPS)
    c = sample()
    vorun.run(c, STEPS, settings, every=4)
    assert a.to_bytes() == b.to_bytes() == c.to_bytes()


def test_the_trajectory_array_holds_every_slot_at_every_row(tmp_path):
    e = sample()
    result = vorun.run(e, STEPS, vorun.Settings(), every=4)
    assert result.trajectory.shape == (4, 60, 6) and result.trajectory.dtype == np.longdouble
    assert result.positions[-1].tobytes() == e.positions.tobytes()
    assert result.velocities[-1].tobytes() == e.velocities.tobytes()
    assert result.positions[0, 8, 0] == 42  # slot 9, empty, kept
    assert list(result.occupancy[[0, 1, 30, 46]]) == [1, 1, 1, 2]
    assert tuple(result.observables) == vorun.OBSERVABLE_COLUMNS
    assert result.time[1] == 4 * np.longdouble("0.05")


@pytest.mark.parametrize("exact", ["hex"])
def test_hex_csv_as_the_runner_writes_it(tmp_path, exact):
    e = sample()
    done, files = run_both(tmp_path, e, {"formula": "EPES-"}, exact=exact)
    result = vorun.run(e, STEPS, vorun.Settings(formula="EPES-"), every=EVERY)
    assert result.observables_csv(exact).encode() == files["o.csv"]
    assert result.trajectory_csv(exact).encode() == files["t.csv"]


def overflow():
    """A velocity near the largest 80-bit value: the heater's factor overflows
    it at the third step."""
    e = vorun.Ensemble()
    uniform(e, 0, 0, 1, 1, 1, 1)
    place(e, 5, 0, 0, 0, np.finfo(np.longdouble).max / np.longdouble("1.0201") * np.longdouble("0.9999"))
    place(e, 9, 1, 0, 0)
    return e


@pytest.mark.parametrize(
    "make, fields, step, message",
    [
        (collision, {}, 5, "Floating point division by zero"),
        (overflow, {"heater": True}, 3, "Floating point overflow"),
    ],
    ids=["collision", "overflow"],
)
def test_a_fault_carries_the_runners_step_message_and_record(tmp_path, make, fields, step, message):
    e = make()
    done, files = run_both(tmp_path, e, fields, steps=20)
    assert done.returncode == 4
    assert done.stderr == f"vorun-run: step {step}: {message}\n"
    with pytest.raises(vorun.FloatingPointFault) as fault:
        vorun.run(e, 20, vorun.Settings(**fields), every=EVERY)
    assert isinstance(fault.value, ArithmeticError)
    assert (fault.value.step, fault.value.message) == (step, message)
    assert str(fault.value) == f"step {step}: {message}"
    assert e.to_bytes() == files["out.tvx"]
    result = fault.value.result
    assert result.steps_done == step - 1 and result.steps[-1] == step - 1
    assert result.observables_csv().encode() == files["o.csv"]
    assert result.trajectory_csv().encode() == files["t.csv"]

    stepped = make()
    with pytest.raises(vorun.FloatingPointFault) as fault:
        stepped.step(vorun.Settings(**fields), n=20)
    assert (fault.value.step, fault.value.message, fault.value.result) == (step, message, None)
    assert stepped.to_bytes() == files["out.tvx"]


def test_a_nan_is_named_before_the_first_step_with_the_runners_words(tmp_path):
    e = sample()
    p = e.positions.copy()
    p[1, 1] = np.nan
    e.positions = p
    source = tmp_path / "nan.tvx"
    e.save(source)
    done = runner(source, "-o", tmp_path / "out.tvx", "-n", 3)
    before = e.to_bytes()
    with pytest.raises(ValueError) as error:
        vorun.run(e, 3, vorun.Settings())
    assert str(error.value) == "The position y of slot 2 is not a number (NaN). The run does not start."
    assert done.stderr == f"vorun-run: step 1: {error.value}\n"
    with pytest.raises(ValueError):
        e.step(vorun.Settings(dt=0.5))
    assert e.to_bytes() == before
