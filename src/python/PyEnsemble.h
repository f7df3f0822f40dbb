// An ensemble as Python holds it: the state the engine steps, the record whose
// padding a save writes back, and the step's scratch space. Only one thread
// steps an ensemble at a time; while it does, the ensemble refuses every
// other use rather than show half a step.
#pragma once

#include <pybind11/pybind11.h>

#include <atomic>
#include <memory>
#include <string>

#include "engine/Step.h"
#include "model/EnsembleFile.h"
#include "model/Global.h"

namespace vorun::python {

namespace py = pybind11;

struct PyEnsemble {
  PyEnsemble();
  PyEnsemble(const PyEnsemble& other);

  EnsembleState state;
  EnsembleRecord record{};
  // Made at the first step: an ensemble that is only built and saved needs
  // none, and a sweep builds many.
  std::unique_ptr<StepWorkspace> workspace;
  std::atomic<bool> busy{false};

  // The record a save writes now.
  EnsembleRecord Record() const;
};

// Marks an ensemble as in use for its lifetime, or raises RuntimeError when
// another thread is stepping it.
class InUse {
 public:
  explicit InUse(PyEnsemble& e);
  ~InUse();
  InUse(const InUse&) = delete;
  InUse& operator=(const InUse&) = delete;

 private:
  PyEnsemble& e_;
};

// Raises RuntimeError while another thread steps e.
void RequireIdle(const PyEnsemble& e);

// A file error as the OSError subclass that fits (FileNotFoundError,
// PermissionError, ...), naming the file.
[[noreturn]] void RaiseFileError(const std::string& message, const std::string& file);

// Binds Ensemble, load, from_bytes, easy_square and spiral.
py::class_<PyEnsemble> BindEnsemble(py::module_& m);

}  // namespace vorun::python
