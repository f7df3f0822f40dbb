"""Vorun's engine in Python, exact to the bit.

An ensemble holds 60 taon slots in the x87 80-bit format; positions and
velocities are numpy.longdouble arrays of shape (60, 3) in which row 0 is
slot 1. Files, runs, observables and faults are those of vorun-run: the
same settings give the same bytes.

    import vorun
    e = vorun.load("ring.tvx")
    result = vorun.run(e, 1000, vorun.Settings(formula="PES", wall="3x3"), every=10)
    frame = pandas.DataFrame(result.observables)
    e.save("ring-1000.tvx")
"""


class FloatingPointFault(ArithmeticError):
    """A floating-point fault ended a step: overflow, division by zero or an
    invalid operation, with the message the window shows.

    step     the step that faulted (1 for the first step of the call)
    message  "Floating point overflow", "Floating point division by zero" or
             "Invalid floating point operation"
    result   for vorun.run, the vorun.Result up to the last completed step
             (None for Ensemble.step)

    The ensemble holds the last completed step, as vorun-run writes it.
    """

    def __init__(self, step, message, result=None):
        super().__init__(f"step {step}: {message}")
        self.step = step
        self.message = message
        self.result = result

    def __reduce__(self):
        return (type(self), (self.step, self.message, self.result))


from ._core import (  # noqa: E402  (the exception class must exist first)
    FORMULAS,
    OBSERVABLE_COLUMNS,
    PARAMETERS,
    SCOPES,
    SPLITS,
    TRAJECTORY_COLUMNS,
    WALLS,
    Ensemble,
    Result,
    Settings,
    easy_square,
    from_bytes,
    load,
    run,
    spiral,
)

__all__ = [
    "FORMULAS",
    "OBSERVABLE_COLUMNS",
    "PARAMETERS",
    "SCOPES",
    "SPLITS",
    "TRAJECTORY_COLUMNS",
    "WALLS",
    "Ensemble",
    "FloatingPointFault",
    "Result",
    "Settings",
    "easy_square",
    "from_bytes",
    "load",
    "run",
    "spiral",
]
