"""Values cross between files, the engine and numpy without rounding: any
80-bit pattern, any occupancy byte, the padding of the file."""
import numpy as np
import pytest

import vorun
from conftest import sample

RECORD = 3776
POSITIONS, VELOCITIES, OCCUPANCY = 112, 1912, 3712


def random_reals(rng, count):
    """count values of 16 bytes with random first ten bytes: every class of
    80-bit value, including NaN payloads, unnormals and pseudo-denormals."""
    raw = np.zeros((count, 16), dtype=np.uint8)
    raw[:, :10] = rng.integers(0, 256, size=(count, 10), dtype=np.uint8)
    return raw.view(np.longdouble).reshape(count)


def special_reals():
    """Patterns an arithmetic round trip would change: (significand, sign and exponent)."""
    cases = [
        (0xC000000000000001, 0x7FFF),  # quiet NaN with a payload
        (0x8000000000000001, 0xFFFF),  # signalling NaN, negative
        (0x8000000000000000, 0x7FFF),  # +infinity
        (0x8000000000000000, 0xFFFF),  # -infinity
        (0x0000000000000001, 0x0000),  # smallest denormal
        (0x8000000000000000, 0x0000),  # pseudo-denormal
        (0x4000000000000000, 0x3FFF),  # unnormal
        (0x4000000000000000, 0x7FFF),  # pseudo-NaN
        (0x0000000000000000, 0x8000),  # -0
    ]
    raw = np.zeros((len(cases), 16), dtype=np.uint8)
    for i, (mant, se) in enumerate(cases):
        raw[i, :8] = np.frombuffer(mant.to_bytes(8, "little"), dtype=np.uint8)
        raw[i, 8:10] = np.frombuffer(se.to_bytes(2, "little"), dtype=np.uint8)
    return raw.view(np.longdouble).reshape(len(cases))


def ten_bytes(values):
    return np.ascontiguousarray(values).view(np.uint8).reshape(-1, 16)[:, :10].tobytes()


def test_numpy_longdouble_is_the_80_bit_format():
    info = np.finfo(np.longdouble)
    assert (np.dtype(np.longdouble).itemsize, info.nmant, info.maxexp) == (16, 63, 16384)


def test_ten_thousand_random_patterns_round_trip_through_arrays_and_files(tmp_path):
    rng = np.random.default_rng(20261209)
    patterns = 0
    for round_ in range(28):
        values = random_reals(rng, 360)
        if round_ == 0:
            values[: len(special_reals())] = special_reals()
        e = vorun.Ensemble()
        e.positions = values[:180].reshape(60, 3)
        e.velocities = values[180:].reshape(60, 3)
        # Arrays back, bit for bit, the six bytes beyond the ten zero.
        assert e.positions.tobytes() == np.ascontiguousarray(values[:180]).tobytes()
        assert e.velocities.tobytes() == np.ascontiguousarray(values[180:]).tobytes()
        # And through a file: slot n of axis k at offset + 600 k + 10 (n - 1).
        e.save(tmp_path / "r.tvx")
        record = (tmp_path / "r.tvx").read_bytes()
        columns = values.reshape(2, 60, 3).transpose(0, 2, 1)  # [pos/vel][axis][slot]
        assert record[POSITIONS:OCCUPANCY] == ten_bytes(columns)
        loaded = vorun.load(tmp_path / "r.tvx")
        assert loaded.positions.tobytes() == e.positions.tobytes()
        assert loaded.velocities.tobytes() == e.velocities.tobytes()
        patterns += values.size
    assert patterns >= 10_000


def test_parameters_keep_every_pattern():
    e = vorun.Ensemble()
    for value in list(special_reals()) + list(random_reals(np.random.default_rng(5), 40)):
        for name in vorun.PARAMETERS:
            setattr(e, name, value)
            got = getattr(e, name)
            assert isinstance(got, np.longdouble)
            assert ten_bytes(np.array([got])) == ten_bytes(np.array([value])), name
    assert list(e.parameters) == list(vorun.PARAMETERS)


def test_wider_inputs_convert_exactly():
    e = vorun.Ensemble()
    e.positions = np.full((60, 3), 0.1)  # a double: its exact value, not 0.1 in 80 bits
    assert e.positions[0, 0] == np.longdouble(np.float64(0.1)) != np.longdouble("0.1")
    e.velocities = np.full((60, 3), 2**63 - 1, dtype=np.int64)
    assert e.velocities[59, 2] == np.longdouble(2**63 - 1)
    e.B2 = 2**62 + 1
    assert e.B2 == np.longdouble(2**62) + 1


@pytest.mark.parametrize("seed", [1, 2, 3])
def test_load_then_save_gives_the_same_bytes(tmp_path, seed):
    rng = np.random.default_rng(seed)
    record = rng.integers(0, 256, size=RECORD, dtype=np.uint8).tobytes()
    (tmp_path / "a.tvx").write_bytes(record + b"tail beyond the record")
    e = vorun.load(tmp_path / "a.tvx")
    e.save(tmp_path / "b.tvx")
    assert (tmp_path / "b.tvx").read_bytes() == record
    assert e.to_bytes() == record
    assert vorun.from_bytes(record).to_bytes() == record
    assert e.occupancy.tobytes() == record[OCCUPANCY : OCCUPANCY + 60]


def test_the_padding_of_the_record_read_is_written_back(tmp_path):
    e = sample()
    e.A1 = 3
    e.save(tmp_path / "s.tvx")
    record = (tmp_path / "s.tvx").read_bytes()
    assert record[110:112] == b"\xa5\xa5" and record[3772:] == b"\x5a" * 4


def test_built_in_figures_and_copies():
    square = vorun.easy_square()
    assert square.taons == 4 and square.dt == np.longdouble("0.001")
    assert square.positions[0].tolist() == [np.longdouble("0.212"), np.longdouble("0.212"), -np.longdouble("0.212")]
    assert (square.A1, square.B2, square.F1) == (1, np.longdouble("2.718"), 20)
    spiral = vorun.spiral()
    assert spiral.taons == 19 and spiral.positions[1].tolist() == [1, 0, 0]
    empty = vorun.Ensemble()
    assert empty.taons == 0 and empty.dt == np.longdouble("0.001") and empty.A1 == 0
    copy = square.copy()
    copy.A1 = 2
    assert square.A1 == 1
    import pickle

    again = pickle.loads(pickle.dumps(sample()))
    assert again.to_bytes() == sample().to_bytes()


def test_arrays_read_are_copies_that_cannot_be_written():
    e = sample()
    with pytest.raises(ValueError):
        e.positions[0, 0] = 7
    assert e.positions[0, 0] == np.longdouble("0.5")
