"""Python threads: stepping releases the GIL, two ensembles stepped at the
same time give what one after the other gives, an ensemble being stepped
refuses other uses, and Ctrl+C stops a run between two steps."""
import os
import signal
import threading
import time

import numpy as np
import pytest

import vorun
from conftest import sample


def cloud(taons=30, seed=11):
    e = vorun.Ensemble()
    rng = np.random.default_rng(seed)
    p = np.zeros((60, 3), dtype=np.longdouble)
    p[:taons] = rng.uniform(-2, 2, size=(taons, 3))
    e.positions = p
    e.occupancy = np.array([1] * taons + [0] * (60 - taons), dtype=np.uint8)
    for name, value in zip(vorun.PARAMETERS, [0.001, 0.1, 0.5, 1, 1.5, 2, 0.12, 0.6, 1.1, 1.6, 2.1]):
        setattr(e, name, value)
    return e


def test_two_threads_give_what_one_after_the_other_gives():
    settings = [vorun.Settings(formula="PES"), vorun.Settings(formula="E", wall="3x3", heater=True)]
    alone = [cloud(seed=1), cloud(seed=2)]
    for e, s in zip(alone, settings):
        vorun.run(e, 60, s, threads=1)
    together = [cloud(seed=1), cloud(seed=2)]
    results = [None, None]
    start = threading.Barrier(2)

    def work(i):
        start.wait()
        results[i] = vorun.run(together[i], 60, settings[i], threads=1)

    threads = [threading.Thread(target=work, args=(i,)) for i in range(2)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for a, b in zip(alone, together):
        assert a.to_bytes() == b.to_bytes()
    assert results[0].trajectory.shape == (61, 60, 6)


@pytest.mark.parametrize("threads", [1, 2, 3])
def test_every_thread_count_gives_the_same_bits(threads):
    one, many = cloud(), cloud()
    one.step(vorun.Settings(formula="EPES"), n=15, threads=1)
    many.step(vorun.Settings(formula="EPES"), n=15, threads=threads)
    assert one.to_bytes() == many.to_bytes()


def test_the_gil_is_free_while_the_engine_steps():
    e = cloud(taons=60)
    counted = []
    stop = threading.Event()

    def count():
        n = 0
        while not stop.is_set():
            n += 1
        counted.append(n)

    counter = threading.Thread(target=count)
    counter.start()
    started = time.perf_counter()
    e.step(vorun.Settings(formula="PES"), n=150, threads=1)
    took = time.perf_counter() - started
    stop.set()
    counter.join()
    # With the GIL held for the whole call the counter could run only at the
    # interpreter's switch points before and after it.
    assert took > 0.05 and counted[0] > 1000


def test_an_ensemble_being_stepped_refuses_other_uses():
    e = cloud(taons=60)
    seen = []
    running = threading.Thread(target=lambda: e.step(vorun.Settings(formula="PES"), n=400, threads=1))
    running.start()
    deadline = time.monotonic() + 5
    while running.is_alive() and time.monotonic() < deadline:
        try:
            e.positions
        except RuntimeError as error:
            seen.append(str(error))
            break
    if seen:
        with pytest.raises(RuntimeError):
            e.step()
    running.join()
    assert seen == ["the ensemble is being stepped in another thread"]
    e.positions  # free again


def test_ctrl_c_ends_a_run_between_two_steps():
    e = cloud(taons=8)
    reference = e.copy()
    settings = vorun.Settings(formula="E")
    timer = threading.Timer(0.3, lambda: os.kill(os.getpid(), signal.SIGINT))
    timer.start()
    started = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        e.step(settings, n=10**9, threads=1)
    assert time.monotonic() - started < 5
    # The ensemble holds a completed step: the reference meets it after the
    # same number of steps, and both go on alike.
    done = 0
    while reference.to_bytes() != e.to_bytes():
        reference.step(settings, threads=1)
        done += 1
        assert done < 10**7
    assert done > 0
    e.step(settings, n=3)
    reference.step(settings, n=3)
    assert e.to_bytes() == reference.to_bytes()
