// The extension module vorun._core; the package vorun around it adds the
// fault's exception class and re-exports everything.
#include <pybind11/pybind11.h>

#include "python/PyEnsemble.h"
#include "python/PyRun.h"
#include "python/PySettings.h"
#include "python/Reals.h"

PYBIND11_MODULE(_core, m) {
  namespace python = vorun::python;
  m.doc() =
      "The engine of Vorun in 80-bit precision: ensembles as numpy.longdouble arrays, runs as vorun-run's.";
  python::RequireLongDouble();
  auto ensemble = python::BindEnsemble(m);
  python::BindSettings(m);
  python::BindRun(m, ensemble);
}
