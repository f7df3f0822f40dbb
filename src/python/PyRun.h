// Steps and runs from Python: the loop of vorun-run over an ensemble in
// memory, with the GIL released while the engine works. Rows, faults and the
// state a fault leaves are those of vorun-run, so a script and the runner
// give the same bytes.
#pragma once

#include <pybind11/pybind11.h>

#include "model/Global.h"
#include "python/PyEnsemble.h"

namespace vorun::python {

namespace py = pybind11;

// The observables of the state under the CSV's column names, step and time
// left out.
py::dict MeasuredRow(const EnsembleState& state);

// Binds Ensemble.step, run, Result and the column names.
void BindRun(py::module_& m, py::class_<PyEnsemble>& ensemble);

}  // namespace vorun::python
