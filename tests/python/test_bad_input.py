"""Input that does not fit raises an error that names it, and changes nothing."""
import os

import numpy as np
import pytest

import vorun
from conftest import sample


@pytest.mark.parametrize(
    "field, value, error, words",
    [
        ("positions", np.zeros((59, 3), dtype=np.longdouble), ValueError, "positions must have shape (60, 3), not (59, 3)"),
        ("positions", np.zeros((3, 60)), ValueError, "positions must have shape (60, 3)"),
        ("velocities", np.zeros(180), ValueError, "velocities must have shape (60, 3), not (180,)"),
        ("velocities", np.zeros((60, 3), dtype=np.complex128), TypeError, "velocities must hold real numbers, not complex128"),
        ("positions", np.zeros((60, 3), dtype=bool), TypeError, "positions must hold real numbers, not bool"),
        ("positions", "zeros", TypeError, "positions must be an array"),
        ("positions", None, TypeError, "positions must be an array"),
        ("occupancy", np.zeros(60, dtype=np.float64), TypeError, "occupancy must hold integers or booleans"),
        ("occupancy", np.full(60, 256), ValueError, "occupancy must hold values from 0 to 255"),
        ("occupancy", np.full(60, -1), ValueError, "occupancy must hold values from 0 to 255"),
        ("occupancy", np.ones(61, dtype=np.uint8), ValueError, "occupancy must have shape (60,), not (61,)"),
        ("A1", "1.5", TypeError, "A1 must be"),
        ("dt", np.zeros(2), ValueError, "dt must have shape ()"),
        ("F2", True, TypeError, "F2 must be a real number, not bool"),
        ("C1", 2**80, ValueError, "C1 must be a real number that 80 bits hold exactly"),
    ],
)
def test_a_value_that_does_not_fit_names_its_field_and_changes_nothing(field, value, error, words):
    e = sample()
    before = e.to_bytes()
    with pytest.raises(error) as raised:
        setattr(e, field, value)
    assert words in str(raised.value)
    assert e.to_bytes() == before


@pytest.mark.parametrize(
    "fields, error, words",
    [
        ({"formula": "EPS"}, ValueError, "formula must be one of PE, E, PES, EPES, EPES-, not 'EPS'"),
        ({"formula": 1}, TypeError, "formula must be one of PE, E, PES, EPES, EPES-, not int"),
        ({"split": 20}, ValueError, "split must be one of 30, 15, 10, not 20"),
        ({"scope": "Taoscope"}, ValueError, "scope must be one of taoscope, gravoscope"),
        ({"wall": "30x30"}, ValueError, "wall must be one of 3x3, 20x20, NxN, out"),
        ({"heater": 1}, TypeError, "heater must be True or False, not int"),
        ({"heater": "no"}, TypeError, "heater must be True or False"),
        ({"dt": float("inf")}, ValueError, "dt must be a finite number"),
        ({"fromula": "E"}, TypeError, "Settings has no field 'fromula'; the fields are formula, split, scope"),
    ],
)
def test_a_bad_setting_names_the_choices_and_changes_nothing(fields, error, words):
    with pytest.raises(error) as raised:
        vorun.Settings(**fields)
    assert words in str(raised.value)
    settings = vorun.Settings(formula="PES", wall="3x3")
    before = repr(settings)
    (name, value), = fields.items()
    with pytest.raises(error):
        setattr(settings, name, value) if name != "fromula" else settings.replace(**fields)
    assert repr(settings) == before == repr(vorun.Settings(formula="PES", wall="3x3"))


def test_settings_take_the_runners_names_and_split_as_a_number():
    s = vorun.Settings(formula="EPES-", split="15", scope="taoscope", wall="NxN", check2=True)
    assert (s.formula, s.split, s.scope, s.wall, s.check2, s.check3, s.dt) == ("EPES-", 15, "taoscope", "NxN", True, False, None)
    d = vorun.Settings()
    assert (d.formula, d.split, d.scope, d.wall) == ("E", 30, "gravoscope", "out")
    assert s == vorun.Settings(formula="EPES-", split=15, scope="taoscope", wall="NxN", check2=True) != d
    import pickle

    assert pickle.loads(pickle.dumps(s)) == s


@pytest.mark.parametrize(
    "call, error, words",
    [
        (lambda e: vorun.run(e, -1), ValueError, "steps must be an integer from 0"),
        (lambda e: vorun.run(e, 2.0), TypeError, "steps must be an integer"),
        (lambda e: vorun.run(e, 5, every=0), ValueError, "every must be an integer from 1"),
        (lambda e: e.step(n=True), TypeError, "n must be an integer"),
        (lambda e: e.step(threads=0), ValueError, "threads must be an integer from 1 to 64"),
        (lambda e: e.step(threads=65), ValueError, "threads must be an integer from 1 to 64"),
        (lambda e: e.step({"formula": "E"}), TypeError, "settings must be a vorun.Settings, not dict"),
        (lambda e: vorun.run(e, 3).observables_csv("octal"), ValueError, "exact must be decimal or hex"),
    ],
)
def test_bad_run_arguments(call, error, words):
    e = sample()
    before = e.to_bytes()
    with pytest.raises(error) as raised:
        call(e)
    assert words in str(raised.value)
    if not words.startswith("exact"):  # that call runs before it fails
        assert e.to_bytes() == before


def test_a_nan_in_the_input_stops_the_run_before_its_first_step():
    e = sample()
    e.dt = np.nan
    before = e.to_bytes()
    with pytest.raises(ValueError, match=r"^The time step dt is not a number \(NaN\)"):
        vorun.run(e, 5, vorun.Settings(), every=1)
    assert e.to_bytes() == before
    # A parameter the formula does not read may hold anything.
    e = sample()
    e.C1 = np.nan
    vorun.run(e, 2, vorun.Settings(formula="E"))
    with pytest.raises(ValueError, match="C1"):
        e.step(vorun.Settings(formula="EPES"))


def test_file_errors_are_oserrors_naming_the_file(tmp_path):
    missing = tmp_path / "missing.tvx"
    with pytest.raises(FileNotFoundError) as raised:
        vorun.load(missing)
    assert raised.value.filename == str(missing) and str(missing) in str(raised.value)
    short = tmp_path / "short.tvx"
    short.write_bytes(bytes(3775))
    with pytest.raises(OSError) as raised:
        vorun.load(str(short))
    assert "Read beyond end of file" in str(raised.value) and str(short) in str(raised.value)
    with pytest.raises(OSError) as raised:
        vorun.load(tmp_path)  # a folder
    assert str(tmp_path) in str(raised.value)
    e = sample()
    with pytest.raises(FileNotFoundError) as raised:
        e.save(tmp_path / "no such folder" / "x.tvx")
    assert "no such folder" in str(raised.value)
    if os.geteuid() != 0:
        locked = tmp_path / "locked.tvx"
        e.save(locked)
        locked.chmod(0)
        with pytest.raises(PermissionError):
            vorun.load(locked)
    with pytest.raises(ValueError, match="3776 bytes, not 5"):
        vorun.from_bytes(b"12345")
