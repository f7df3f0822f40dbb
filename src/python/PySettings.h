// The settings of a run under the names of vorun-run's options, with the
// values taken from the one table of choices that the window and the runner
// use.
#pragma once

#include <pybind11/pybind11.h>

#include <optional>

#include "engine/Settings.h"
#include "model/Global.h"

namespace vorun::python {

namespace py = pybind11;

struct PySettings {
  StepSettings step;
  bool check1 = false;           // in no formula; kept so that a script names every box the window has
  std::optional<Extended80> dt;  // none: the ensemble's own time step
};

void BindSettings(py::module_& m);

}  // namespace vorun::python
