#include "python/PyEnsemble.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "engine/ObservablesCsv.h"
#include "model/Ensemble.h"
#include "model/Error.h"
#include "model/Figures.h"
#include "model/Parameters.h"
#include "python/PyRun.h"
#include "python/Reals.h"

namespace vorun::python {

namespace {

constexpr const char* RowNote = "Row n - 1 is slot n: row 0 is slot 1.";

// The bytes a system call takes for a path (str, bytes or os.PathLike), and
// the text a message shows.
std::pair<std::string, std::string> FileName(py::handle path) {
  const py::module_ os = py::module_::import("os");
  const py::bytes raw = os.attr("fsencode")(path);
  return {std::string(raw), py::str(os.attr("fsdecode")(path))};
}

// The six slot arrays of the state by axis: x, y, z then u, v, w.
SlotReals EnsembleState::*const Positions[3] = {&EnsembleState::PosX, &EnsembleState::PosY,
                                                &EnsembleState::PosZ};
SlotReals EnsembleState::*const Velocities[3] = {&EnsembleState::VelU, &EnsembleState::VelV,
                                                 &EnsembleState::VelW};

py::array SlotArray(const PyEnsemble& e, SlotReals EnsembleState::*const (&axes)[3]) {
  RequireIdle(e);
  py::array a = RealArray({MaxSlots, 3});
  Extended80* out = RealData(a);
  for (int n = 1; n <= MaxSlots; ++n)
    for (int k = 0; k < 3; ++k) CopyReal(&out[(n - 1) * 3 + k], (e.state.*axes[k])[n]);
  return ReadOnly(a);
}

void SetSlotArray(PyEnsemble& e, SlotReals EnsembleState::*const (&axes)[3], const char* field,
                  py::handle value) {
  RequireIdle(e);
  const std::vector<Extended80> v = ReadReals(value, field, {MaxSlots, 3});
  for (int n = 1; n <= MaxSlots; ++n)
    for (int k = 0; k < 3; ++k) CopyReal((e.state.*axes[k])[n], &v[(n - 1) * 3 + k]);
  SyncWorkingCopies(e.state, false);
}

int TaonCount(const EnsembleState& s) {
  int count = 0;
  for (int n = 1; n <= MaxSlots; ++n) count += s.Exists[n] != 0;
  return count;
}

PyEnsemble Spiral() {
  PyEnsemble e;
  MakeStartFigure(e.state, true, 1);
  for (int n = 1; n <= SpiralPointCount; ++n) {
    e.state.PosX[n] = e.state.ViewX[n];
    e.state.PosY[n] = e.state.ViewY[n];
    e.state.PosZ[n] = e.state.ViewZ[n];
    e.state.Exists[n] = 1;
  }
  SyncWorkingCopies(e.state, false);
  return e;
}

}  // namespace

PyEnsemble::PyEnsemble() {
  state.SlotCount = MaxSlots;
  state.TimeStep = DefaultTimeStep();
}

PyEnsemble::PyEnsemble(const PyEnsemble& other) : state(other.state), record(other.record) {}

EnsembleRecord PyEnsemble::Record() const {
  EnsembleRecord r = record;
  CopyToRecord(state, r);
  return r;
}

InUse::InUse(PyEnsemble& e) : e_(e) {
  if (e.busy.exchange(true)) throw std::runtime_error("the ensemble is being stepped in another thread");
}

InUse::~InUse() { e_.busy.store(false); }

void RequireIdle(const PyEnsemble& e) {
  if (e.busy.load()) throw std::runtime_error("the ensemble is being stepped in another thread");
}

void RaiseFileError(const std::string& message, const std::string& file) {
  // The texts of the file layer, back to the codes that choose Python's
  // OSError subclass.
  static const std::pair<const char*, int> codes[] = {{"File not found", ENOENT},
                                                      {"File access denied", EACCES},
                                                      {"Invalid filename", EINVAL},
                                                      {"Too many open files", EMFILE},
                                                      {"Disk full", ENOSPC}};
  const py::object oserror = py::module_::import("builtins").attr("OSError");
  py::object error;
  for (const auto& [text, code] : codes)
    if (message == text) error = oserror(code, message, file);
  // Without a code OSError shows no filename, so the message carries it.
  if (!error) error = oserror(message + ": '" + file + "'");
  PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
  throw py::error_already_set();
}

py::class_<PyEnsemble> BindEnsemble(py::module_& m) {
  py::class_<PyEnsemble> cls(m, "Ensemble", R"doc(
An ensemble of 60 taon slots in 80-bit precision: what an ensemble file
holds, and what the engine steps.

Ensemble() is empty: 60 unoccupied slots at 0, the time step 0.001 (the
nearest 80-bit value) and every parameter 0. vorun.load(path) reads a file,
vorun.easy_square() and vorun.spiral() give the two built-in figures.

Arrays are numpy.longdouble, the x87 80-bit format, and cross without
rounding in both directions: NaN payloads, infinities, denormals and
pseudo-denormals keep their bits. Row n - 1 of every array is slot n: row 0
is slot 1. Reading an array gives a read-only copy; to change values,
assign a whole array:

    p = e.positions.copy(); p[0] = (0.5, 0, 0); e.positions = p

An assignment that does not fit (shape, dtype, value) raises TypeError or
ValueError naming the field and changes nothing.
)doc");
  cls.def(py::init<>(), "An empty ensemble: 60 unoccupied slots, dt 0.001, every parameter 0.");

  cls.def_property(
      "positions", [](const PyEnsemble& e) { return SlotArray(e, Positions); },
      [](PyEnsemble& e, py::handle v) { SetSlotArray(e, Positions, "positions", v); },
      (std::string("Positions x, y, z of the 60 slots: numpy.longdouble, shape (60, 3). ") + RowNote +
       " Assigning them also resets the working copies the step carries, as loading a file does.")
          .c_str());
  cls.def_property(
      "velocities", [](const PyEnsemble& e) { return SlotArray(e, Velocities); },
      [](PyEnsemble& e, py::handle v) { SetSlotArray(e, Velocities, "velocities", v); },
      (std::string("Velocities u, v, w of the 60 slots: numpy.longdouble, shape (60, 3). ") + RowNote +
       " Assigning them also resets the working copies the step carries, as loading a file does.")
          .c_str());
  cls.def_property(
      "occupancy",
      [](const PyEnsemble& e) {
        RequireIdle(e);
        py::array_t<std::uint8_t> a(MaxSlots);
        std::memcpy(a.mutable_data(), &e.state.Exists[1], MaxSlots);
        return ReadOnly(a);
      },
      [](PyEnsemble& e, py::handle v) {
        RequireIdle(e);
        const std::vector<std::uint8_t> bytes = ReadBytes(v, "occupancy", {MaxSlots});
        std::memcpy(&e.state.Exists[1], bytes.data(), MaxSlots);
        SyncWorkingCopies(e.state, false);
      },
      (std::string("Occupancy of the 60 slots: numpy.uint8, shape (60,); 0 is empty, any other byte is "
                   "occupied and kept as it is. ") +
       RowNote)
          .c_str());
  for (const ParameterName& p : ParameterNames) {
    const std::string doc = p.set == 0 ? std::string("The time step, numpy.longdouble.")
                                       : "Parameter " + std::string(p.name) + " of set " +
                                             std::to_string(p.set) + ", numpy.longdouble.";
    cls.def_property(
        p.name,
        [&p](const PyEnsemble& e) {
          RequireIdle(e);
          return RealScalar(e.state.*p.state);
        },
        [&p](PyEnsemble& e, py::handle v) {
          RequireIdle(e);
          const Extended80 value = ReadReal(v, p.name);
          CopyReal(&(e.state.*p.state), value);
        },
        doc.c_str());
  }
  cls.def_property_readonly(
      "parameters",
      [](const PyEnsemble& e) {
        RequireIdle(e);
        py::dict d;
        for (const ParameterName& p : ParameterNames) d[p.name] = RealScalar(e.state.*p.state);
        return d;
      },
      "The time step and the ten parameters by name (dt, A1, B1, C1, D1, F1, A2, ... F2), as a new dict.");
  cls.def_property_readonly(
      "taons",
      [](const PyEnsemble& e) {
        RequireIdle(e);
        return TaonCount(e.state);
      },
      "The number of occupied slots.");

  cls.def(
      "save",
      [](PyEnsemble& e, py::handle path) {
        RequireIdle(e);
        const auto [name, shown] = FileName(path);
        try {
          WriteEnsembleFile(name, e.state, e.record);
        } catch (const Error& error) {
          RaiseFileError(error.what(), shown);
        }
      },
      py::arg("path"),
      "Writes the ensemble file: the 3776 bytes that the window and vorun-run write, padding included (the "
      "padding of the file it was loaded from). A failed save leaves an existing file as it was and raises "
      "OSError naming the file.");
  cls.def(
      "to_bytes",
      [](const PyEnsemble& e) {
        RequireIdle(e);
        const EnsembleRecord r = e.Record();
        return py::bytes(reinterpret_cast<const char*>(&r), sizeof r);
      },
      "The 3776 bytes that save() would write.");
  cls.def(
      "copy",
      [](const PyEnsemble& e) {
        RequireIdle(e);
        return PyEnsemble(e);
      },
      "An independent copy, working copies and padding included.");
  cls.def("__copy__", [](const PyEnsemble& e) {
    RequireIdle(e);
    return PyEnsemble(e);
  });
  cls.def(
      "__deepcopy__",
      [](const PyEnsemble& e, py::handle) {
        RequireIdle(e);
        return PyEnsemble(e);
      },
      py::arg("memo"));
  cls.def(
      "measure",
      [](const PyEnsemble& e) {
        RequireIdle(e);
        return MeasuredRow(e.state);
      },
      "The observables of the ensemble now, under the names of vorun-run's CSV columns (without step and "
      "time): taons, kinetic_energy, ... largest_radius.");
  cls.def("__repr__", [](const PyEnsemble& e) {
    if (e.busy.load()) return std::string("<vorun.Ensemble, being stepped>");
    return "<vorun.Ensemble: " + std::to_string(TaonCount(e.state)) +
           " taons, dt=" + CsvReal(e.state.TimeStep) + ">";
  });
  cls.def(py::pickle(
      [](const PyEnsemble& e) {
        RequireIdle(e);
        return py::make_tuple(1, py::bytes(reinterpret_cast<const char*>(&e.state), sizeof e.state),
                              py::bytes(reinterpret_cast<const char*>(&e.record), sizeof e.record));
      },
      [](const py::tuple& t) {
        if (t.size() != 3 || t[0].cast<int>() != 1) throw py::value_error("not a pickled vorun.Ensemble");
        const std::string state = t[1].cast<std::string>(), record = t[2].cast<std::string>();
        if (state.size() != sizeof(EnsembleState) || record.size() != sizeof(EnsembleRecord))
          throw py::value_error("a vorun.Ensemble pickled by another build of vorun");
        PyEnsemble e;
        std::memcpy(&e.state, state.data(), state.size());
        std::memcpy(&e.record, record.data(), record.size());
        return e;
      }));

  m.def(
      "load",
      [](py::handle path) {
        const auto [name, shown] = FileName(path);
        PyEnsemble e;
        try {
          ReadEnsembleFile(name, e.state, e.record);
        } catch (const Error& error) {
          RaiseFileError(error.what(), shown);
        }
        return e;
      },
      py::arg("path"),
      "Reads an ensemble file (its first 3776 bytes) as the window opens it: all 60 slots, the file's time "
      "step. A missing, short or unreadable file raises OSError (FileNotFoundError, PermissionError, ...) "
      "naming the file.");
  m.def(
      "from_bytes",
      [](py::bytes data) {
        const std::string bytes = data;
        if (bytes.size() != sizeof(EnsembleRecord))
          throw py::value_error("an ensemble record has " + std::to_string(sizeof(EnsembleRecord)) +
                                " bytes, not " + std::to_string(bytes.size()));
        PyEnsemble e;
        std::memcpy(&e.record, bytes.data(), bytes.size());
        ApplyRecord(e.record, e.state);
        return e;
      },
      py::arg("data"), "The ensemble of a 3776-byte record, as load() reads it from a file.");
  m.def(
      "easy_square",
      [] {
        PyEnsemble e;
        MakeStartFigure(e.state, false, 0);
        return e;
      },
      "The easy square: four taons at rest at (+-0.212, 0.212, +-0.212), both parameter sets A=1, B=2.718, "
      "C=5, D=10, F=20, dt 0.001.");
  m.def("spiral", &Spiral,
        "The tetra spiral as an ensemble: its 19 points in slots 1 to 19, at rest, dt 0.001 and every "
        "parameter 0 (the figure has none; set them before a run).");
  return cls;
}

}  // namespace vorun::python
