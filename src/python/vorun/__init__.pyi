# Type stubs of the package vorun (the extension vorun._core re-exported).
from os import PathLike
from typing import Any, Final

import numpy as np
import numpy.typing as npt

_Path = str | bytes | PathLike[str] | PathLike[bytes]
_Real = float | int | np.floating[Any] | np.integer[Any]

FORMULAS: Final[tuple[str, ...]]  # "PE", "E", "PES", "EPES", "EPES-"
SPLITS: Final[tuple[str, ...]]  # "30", "15", "10"
SCOPES: Final[tuple[str, ...]]  # "taoscope", "gravoscope"
WALLS: Final[tuple[str, ...]]  # "3x3", "20x20", "NxN", "out"
OBSERVABLE_COLUMNS: Final[tuple[str, ...]]  # the columns of vorun-run --observables
TRAJECTORY_COLUMNS: Final[tuple[str, ...]]  # "x", "y", "z", "u", "v", "w"
PARAMETERS: Final[tuple[str, ...]]  # "dt", "A1", ... "F2"

class FloatingPointFault(ArithmeticError):
    """A floating-point fault ended a step; the ensemble holds the last completed step."""

    step: int
    message: str
    result: Result | None
    def __init__(self, step: int, message: str, result: Result | None = ...) -> None: ...

class Settings:
    """The window's controls under vorun-run's option names and defaults."""

    formula: str
    split: int
    scope: str
    check1: bool
    check2: bool
    check3: bool
    blockade: bool
    heater: bool
    cooler: bool
    wall: str
    dt: np.longdouble | None
    def __init__(
        self,
        *,
        formula: str = "E",
        split: int | str = 30,
        scope: str = "gravoscope",
        check1: bool = False,
        check2: bool = False,
        check3: bool = False,
        blockade: bool = False,
        heater: bool = False,
        cooler: bool = False,
        wall: str = "out",
        dt: _Real | None = None,
    ) -> None: ...
    def replace(self, **fields: Any) -> Settings:
        """A copy with the fields given changed."""

class Ensemble:
    """60 taon slots in 80-bit precision; row 0 of every array is slot 1."""

    positions: npt.NDArray[np.longdouble]  # (60, 3): x, y, z; reading gives a read-only copy
    velocities: npt.NDArray[np.longdouble]  # (60, 3): u, v, w
    occupancy: npt.NDArray[np.uint8]  # (60,): 0 empty, any other byte occupied
    dt: np.longdouble
    A1: np.longdouble
    B1: np.longdouble
    C1: np.longdouble
    D1: np.longdouble
    F1: np.longdouble
    A2: np.longdouble
    B2: np.longdouble
    C2: np.longdouble
    D2: np.longdouble
    F2: np.longdouble
    @property
    def parameters(self) -> dict[str, np.longdouble]:
        """dt and A1 ... F2 by name."""
    @property
    def taons(self) -> int:
        """The number of occupied slots."""
    def __init__(self) -> None:
        """60 empty slots, dt 0.001, every parameter 0."""
    def save(self, path: _Path) -> None:
        """Writes the 3776-byte file, padding included, as the window and vorun-run do."""
    def to_bytes(self) -> bytes:
        """The 3776 bytes save() would write."""
    def copy(self) -> Ensemble: ...
    def __copy__(self) -> Ensemble: ...
    def __deepcopy__(self, memo: Any) -> Ensemble: ...
    def measure(self) -> dict[str, int | np.longdouble]:
        """The observables now, named as vorun-run's CSV columns (no step, no time)."""
    def step(self, settings: Settings | None = None, n: int = 1, threads: int | None = None) -> None:
        """Advances in place by n steps; raises FloatingPointFault, ValueError for a NaN."""

class Result:
    """Rows at step 0, every `every` steps and at the last completed step after a fault."""

    @property
    def steps(self) -> npt.NDArray[np.int64]: ...
    @property
    def time(self) -> npt.NDArray[np.longdouble]: ...
    @property
    def trajectory(self) -> npt.NDArray[np.longdouble]:
        """(rows, 60, 6): x, y, z, u, v, w; slot n at index n - 1."""
    @property
    def positions(self) -> npt.NDArray[np.longdouble]: ...
    @property
    def velocities(self) -> npt.NDArray[np.longdouble]: ...
    @property
    def occupancy(self) -> npt.NDArray[np.uint8]: ...
    @property
    def observables(self) -> dict[str, npt.NDArray[Any]]:
        """Columns named as vorun-run's observables CSV."""
    @property
    def steps_done(self) -> int: ...
    def __len__(self) -> int: ...
    def observables_csv(self, exact: str = "decimal") -> str:
        """vorun-run --observables, byte for byte."""
    def trajectory_csv(self, exact: str = "decimal") -> str:
        """vorun-run --trajectory, byte for byte."""

def load(path: _Path) -> Ensemble:
    """Reads an ensemble file; OSError (FileNotFoundError, ...) names the file."""

def from_bytes(data: bytes) -> Ensemble:
    """The ensemble of a 3776-byte record."""

def easy_square() -> Ensemble:
    """Four taons at rest, the window's fallback figure."""

def spiral() -> Ensemble:
    """The tetra spiral's 19 points in slots 1 to 19; parameters 0."""

def run(
    ensemble: Ensemble,
    steps: int,
    settings: Settings | None = None,
    every: int = 1,
    threads: int | None = None,
    trajectory: bool = True,
) -> Result:
    """Runs in place as vorun-run does and returns the trajectory and observables."""
