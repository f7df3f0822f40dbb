#include "python/PyRun.h"

#include <chrono>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Observables.h"
#include "engine/ObservablesCsv.h"
#include "engine/RunCheck.h"
#include "engine/Step.h"
#include "engine/WorkerPool.h"
#include "model/Error.h"
#include "model/Parameters.h"
#include "python/PySettings.h"
#include "python/Reals.h"
#include "run/Export.h"

namespace vorun::python {

namespace {

// The arithmetic the engine is defined under: x87 at 64-bit precision,
// rounding to nearest, every exception masked; SSE likewise, without flushing
// denormals to zero. vorun-run starts with these; inside an interpreter some
// other extension may have changed them, so a step sets them and puts the
// caller's back afterwards.
class StandardArithmetic {
 public:
  StandardArithmetic() {
    asm volatile("fnstcw %0" : "=m"(controlWord_));
    asm volatile("stmxcsr %0" : "=m"(mxcsr_));
    Set();
  }
  ~StandardArithmetic() {
    asm volatile("fldcw %0" : : "m"(controlWord_));
    // The flags are the caller's, not the engine's.
    unsigned int mxcsr = mxcsr_;
    asm volatile("ldmxcsr %0" : : "m"(mxcsr));
  }
  StandardArithmetic(const StandardArithmetic&) = delete;
  StandardArithmetic& operator=(const StandardArithmetic&) = delete;

  static void Set() {
    const unsigned short controlWord = 0x037f;
    const unsigned int mxcsr = 0x1f80;
    asm volatile("fldcw %0" : : "m"(controlWord));
    asm volatile("ldmxcsr %0" : : "m"(mxcsr));
  }

 private:
  unsigned short controlWord_ = 0;
  unsigned int mxcsr_ = 0;
};

// One observable of the CSV, from the measured values of a row.
struct Column {
  std::string_view name;
  bool integer;
  std::int64_t (*count)(const Observables&);
  Extended80 (*real)(const Observables&);
};

constexpr Extended80 Missing = std::numeric_limits<Extended80>::quiet_NaN();

// By name, so that a column added to the CSV without a way to fill it here
// stops the import instead of shifting every column after it.
constexpr Column KnownColumns[] = {
    {"taons", true, [](const Observables& o) -> std::int64_t { return o.taonCount; }, nullptr},
    {"kinetic_energy", false, nullptr, [](const Observables& o) { return o.kineticEnergy; }},
    {"mean_kinetic_energy", false, nullptr, [](const Observables& o) { return o.meanKineticEnergy; }},
    {"momentum_x", false, nullptr, [](const Observables& o) { return o.momentumX; }},
    {"momentum_y", false, nullptr, [](const Observables& o) { return o.momentumY; }},
    {"momentum_z", false, nullptr, [](const Observables& o) { return o.momentumZ; }},
    {"centre_x", false, nullptr, [](const Observables& o) { return o.centreX; }},
    {"centre_y", false, nullptr, [](const Observables& o) { return o.centreY; }},
    {"centre_z", false, nullptr, [](const Observables& o) { return o.centreZ; }},
    // The CSV leaves the pair's cells empty with fewer than two taons: here
    // the distance is NaN, as pandas reads the empty cell, and the slots 0,
    // which is no slot.
    {"smallest_distance", false, nullptr,
     [](const Observables& o) { return o.taonCount < 2 ? Missing : o.smallestDistance; }},
    {"closest_a", true, [](const Observables& o) -> std::int64_t { return o.closestA; }, nullptr},
    {"closest_b", true, [](const Observables& o) -> std::int64_t { return o.closestB; }, nullptr},
    {"largest_radius", false, nullptr, [](const Observables& o) { return o.largestRadius; }},
};

std::vector<std::string> CsvColumnNames() {
  std::vector<std::string> names;
  std::string_view all = ObservablesCsvColumns.substr(0, ObservablesCsvColumns.find('\n'));
  while (!all.empty()) {
    const std::size_t comma = all.find(',');
    names.emplace_back(all.substr(0, comma));
    all = comma == std::string_view::npos ? std::string_view() : all.substr(comma + 1);
  }
  return names;
}

// The columns after step and time, in the CSV's order.
const std::vector<const Column*>& MeasuredColumns() {
  static const std::vector<const Column*> columns = [] {
    const std::vector<std::string> names = CsvColumnNames();
    if (names.size() < 2 || names[0] != "step" || names[1] != "time")
      throw py::import_error("vorun: the observables CSV no longer starts with step and time");
    std::vector<const Column*> found;
    for (std::size_t i = 2; i < names.size(); ++i) {
      const Column* column = nullptr;
      for (const Column& c : KnownColumns)
        if (c.name == names[i]) column = &c;
      if (!column) throw py::import_error("vorun: no value for the observables column " + names[i]);
      found.push_back(column);
    }
    return found;
  }();
  return columns;
}

constexpr int SlotValues = 6;  // x, y, z, u, v, w
static_assert(SlotFieldNames.size() == SlotValues);

struct RunResult {
  Extended80 dt = 0;
  ColourSplit split = ColourSplit::Ak;
  std::int32_t slotCount = MaxSlots;
  SlotBytes exists{};
  bool hasTrajectory = true;
  std::int64_t stepsDone = 0;
  std::vector<std::int64_t> steps;
  std::vector<Observables> observables;
  std::vector<Extended80> trajectory;  // per row: 60 slots of x, y, z, u, v, w

  std::size_t Rows() const { return steps.size(); }

  void Record(const EnsembleState& e, std::int64_t step) {
    steps.push_back(step);
    observables.push_back(MeasureObservables(e));
    if (!hasTrajectory) return;
    const std::size_t at = trajectory.size();
    trajectory.resize(at + MaxSlots * SlotValues);
    for (int n = 1; n <= MaxSlots; ++n)
      for (int k = 0; k < SlotValues; ++k)
        CopyReal(&trajectory[at + (n - 1) * SlotValues + k], (e.*SlotFieldNames[k].state)[n]);
  }

  // The state of row r as far as the trajectory CSV reads it.
  EnsembleState Frame(std::size_t r) const {
    EnsembleState e;
    e.SlotCount = slotCount;
    e.TimeStep = dt;
    e.Exists = exists;
    for (int n = 1; n <= MaxSlots; ++n)
      for (int k = 0; k < SlotValues; ++k)
        CopyReal((e.*SlotFieldNames[k].state)[n], &trajectory[(r * MaxSlots + n - 1) * SlotValues + k]);
    return e;
  }
};

// How a loop ended besides its last step.
struct LoopEnd {
  std::optional<std::string> fault;
  std::int64_t faultStep = 0;
  // A Python exception from a signal handler (KeyboardInterrupt), to be
  // raised once the GIL is back.
  PyObject *type = nullptr, *value = nullptr, *traceback = nullptr;
};

bool OnMainThread() {
  const py::module_ threading = py::module_::import("threading");
  const py::object mainIdent = threading.attr("main_thread")().attr("ident");
  return mainIdent.equal(threading.attr("get_ident")());
}

// Steps e up to `steps` times with the GIL released, recording rows into
// result (if any) at step 0, every `every` steps and at the last completed
// step after a fault, as vorun-run writes its CSV rows.
void Loop(PyEnsemble& e, const StepSettings& settings, std::int64_t steps, std::int64_t every,
          RunResult* result, LoopEnd& end) {
  const bool watchSignals = OnMainThread();
  py::gil_scoped_release release;
  StandardArithmetic arithmetic;
  std::int64_t lastRow = -1;
  const auto record = [&](std::int64_t step) {
    if (!result) return;
    result->Record(e.state, step);
    lastRow = step;
  };
  record(0);
  auto lastLook = std::chrono::steady_clock::now();
  std::int64_t done = 0;
  for (std::int64_t step = 1; step <= steps; ++step) {
    try {
      AdvanceStep(e.state, settings, *e.workspace);
    } catch (const Error& error) {
      end.fault = error.what();
      end.faultStep = step;
      break;
    }
    done = step;
    if (step % every == 0) record(step);
    // Ctrl+C reaches Python's handler only on the main thread, and only with
    // the GIL: a look a few times a second costs nothing next to the steps.
    if (watchSignals && step < steps) {
      const auto now = std::chrono::steady_clock::now();
      if (now - lastLook > std::chrono::milliseconds(50)) {
        lastLook = now;
        bool raised = false;
        {
          py::gil_scoped_acquire acquire;
          if (PyErr_CheckSignals() != 0) {
            PyErr_Fetch(&end.type, &end.value, &end.traceback);
            raised = true;
          }
        }
        StandardArithmetic::Set();
        if (raised) break;
      }
    }
  }
  if (result) {
    result->stepsDone = done;
    if (end.fault && lastRow != done) record(done);
  }
}

// Checks and prepares everything a loop needs; nothing changes on a bad
// argument or a NaN.
void Prepare(PyEnsemble& e, const PySettings& settings, std::int64_t steps, py::handle threads) {
  const int count =
      threads.is_none() ? 0 : static_cast<int>(ReadInteger(threads, "threads", 1, MaxStepThreads));
  if (steps > 0) {
    EnsembleState probe = e.state;
    if (settings.dt) CopyReal(probe.TimeStep, &*settings.dt);
    // A NaN raises no fault and would spread through every taon; as in the
    // window, the run does not start.
    if (const std::optional<std::string> nan = FindNaN(probe, settings.step)) throw py::value_error(*nan);
  }
  if (settings.dt) CopyReal(e.state.TimeStep, &*settings.dt);
  if (!e.workspace) e.workspace = std::make_unique<StepWorkspace>();
  e.workspace->threads = count;
}

[[noreturn]] void RaiseFault(const LoopEnd& end, py::object result) {
  const py::object type = py::module_::import("vorun").attr("FloatingPointFault");
  const py::object error = type(end.faultStep, *end.fault, result);
  PyErr_SetObject(type.ptr(), error.ptr());
  throw py::error_already_set();
}

[[noreturn]] void RaiseInterrupt(LoopEnd& end) {
  PyErr_Restore(end.type, end.value, end.traceback);
  end.type = end.value = end.traceback = nullptr;
  throw py::error_already_set();
}

PySettings SettingsOf(py::handle settings) {
  if (settings.is_none()) return PySettings{};
  if (!py::isinstance<PySettings>(settings))
    throw py::type_error("settings must be a vorun.Settings, not " +
                         std::string(py::str(settings.get_type().attr("__name__"))));
  return settings.cast<PySettings>();
}

Notation NotationOf(const std::string& exact) {
  if (exact == "decimal") return Notation::Decimal;
  if (exact == "hex") return Notation::Hex;
  throw py::value_error("exact must be decimal or hex, not '" + exact + "'");
}

py::array Integers(const std::vector<std::int64_t>& values) {
  py::array_t<std::int64_t> a(static_cast<py::ssize_t>(values.size()));
  if (!values.empty()) std::memcpy(a.mutable_data(), values.data(), values.size() * sizeof(std::int64_t));
  return ReadOnly(a);
}

py::dict ObservableColumns(const RunResult& r) {
  const auto rows = static_cast<py::ssize_t>(r.Rows());
  py::dict d;
  d["step"] = Integers(r.steps);
  py::array time = RealArray({rows});
  for (py::ssize_t i = 0; i < rows; ++i) CopyReal(&RealData(time)[i], run::TimeAt(r.steps[i], r.dt));
  d["time"] = ReadOnly(time);
  for (const Column* c : MeasuredColumns()) {
    if (c->integer) {
      std::vector<std::int64_t> values;
      for (const Observables& o : r.observables) values.push_back(c->count(o));
      d[py::str(std::string(c->name))] = Integers(values);
    } else {
      py::array values = RealArray({rows});
      for (py::ssize_t i = 0; i < rows; ++i) CopyReal(&RealData(values)[i], c->real(r.observables[i]));
      d[py::str(std::string(c->name))] = ReadOnly(values);
    }
  }
  return d;
}

py::array TrajectoryArray(const RunResult& r) {
  py::array a = RealArray({static_cast<py::ssize_t>(r.Rows()), MaxSlots, SlotValues});
  if (!r.trajectory.empty())
    std::memcpy(a.mutable_data(), r.trajectory.data(), r.trajectory.size() * sizeof(Extended80));
  return ReadOnly(a);
}

// x, y, z (first 0) or u, v, w (first 3) of every row: shape (rows, 60, 3).
py::array SlotValuesArray(const RunResult& r, int first) {
  py::array a = RealArray({static_cast<py::ssize_t>(r.Rows()), MaxSlots, 3});
  Extended80* out = RealData(a);
  for (std::size_t i = 0; i < r.Rows() * MaxSlots; ++i)
    for (int k = 0; k < 3; ++k) CopyReal(&out[i * 3 + k], r.trajectory[i * SlotValues + first + k]);
  return ReadOnly(a);
}

const RunResult& WithTrajectory(const RunResult& r) {
  if (!r.hasTrajectory) throw std::runtime_error("this run kept no trajectory (run(..., trajectory=False))");
  return r;
}

// A POD's bytes for pickling, and back.
template <class T>
py::bytes BytesOf(const std::vector<T>& v) {
  return py::bytes(reinterpret_cast<const char*>(v.data()), v.size() * sizeof(T));
}
template <class T>
std::vector<T> VectorOf(py::handle bytes) {
  const std::string s = bytes.cast<std::string>();
  if (s.size() % sizeof(T) != 0) throw py::value_error("a vorun.Result pickled by another build of vorun");
  std::vector<T> v(s.size() / sizeof(T));
  if (!s.empty()) std::memcpy(static_cast<void*>(v.data()), s.data(), s.size());
  return v;
}

void BindResult(py::module_& m) {
  py::class_<RunResult> cls(m, "Result", R"doc(
What vorun.run gives: rows at step 0, every `every` steps, and (after a
fault) at the last completed step, as vorun-run writes its CSV rows.

steps        the step of each row, numpy.int64, shape (rows,)
time         step * dt of each row, numpy.longdouble
trajectory   x, y, z, u, v, w of all 60 slots at each row: numpy.longdouble,
             shape (rows, 60, 6); slot n is index n - 1 (index 0 is slot 1),
             empty slots included (their values do not move)
positions    trajectory[:, :, 0:3];  velocities  trajectory[:, :, 3:6]
occupancy    the occupancy bytes of the 60 slots (they do not change)
observables  a dict of columns named as vorun-run's observables CSV:
             pandas.DataFrame(result.observables) works as it is
steps_done   the steps completed

Every array is a read-only copy.
)doc");
  cls.def_property_readonly("steps", [](const RunResult& r) { return Integers(r.steps); });
  cls.def_property_readonly("time", [](const RunResult& r) { return ObservableColumns(r)["time"]; });
  cls.def_property_readonly("trajectory",
                            [](const RunResult& r) { return TrajectoryArray(WithTrajectory(r)); });
  cls.def_property_readonly("positions",
                            [](const RunResult& r) { return SlotValuesArray(WithTrajectory(r), 0); });
  cls.def_property_readonly("velocities",
                            [](const RunResult& r) { return SlotValuesArray(WithTrajectory(r), 3); });
  cls.def_property_readonly("occupancy", [](const RunResult& r) {
    py::array_t<std::uint8_t> a(MaxSlots);
    std::memcpy(a.mutable_data(), &r.exists[1], MaxSlots);
    return ReadOnly(a);
  });
  cls.def_property_readonly(
      "observables", &ObservableColumns,
      "The observables as a dict of numpy columns named as vorun-run's CSV: step, time, "
      "taons, kinetic_energy, ... largest_radius. With fewer than two taons, where the CSV "
      "leaves the pair's cells empty, smallest_distance is NaN and closest_a, closest_b 0.");
  cls.def_readonly("steps_done", &RunResult::stepsDone);
  cls.def("__len__", &RunResult::Rows);
  cls.def(
      "observables_csv",
      [](const RunResult& r, const std::string& exact) {
        const Notation notation = NotationOf(exact);
        std::string text(run::ObservablesHeader);
        for (std::size_t i = 0; i < r.Rows(); ++i)
          AppendObservablesCsvRow(text, r.steps[i], run::TimeAt(r.steps[i], r.dt), r.observables[i],
                                  notation);
        return text;
      },
      py::arg("exact") = "decimal",
      "The text of vorun-run --observables for this run, byte for byte (exact=\"hex\" as --exact hex).");
  cls.def(
      "trajectory_csv",
      [](const RunResult& r, const std::string& exact) {
        const Notation notation = NotationOf(exact);
        WithTrajectory(r);
        std::string text(run::TrajectoryHeader);
        for (std::size_t i = 0; i < r.Rows(); ++i)
          run::AppendTrajectoryRows(text, r.Frame(i), r.steps[i], r.split, notation);
        return text;
      },
      py::arg("exact") = "decimal",
      "The text of vorun-run --trajectory for this run, byte for byte: occupied slots only.");
  cls.def("__repr__", [](const RunResult& r) {
    return "<vorun.Result: " + std::to_string(r.Rows()) + " rows, " + std::to_string(r.stepsDone) +
           " steps done>";
  });
  cls.def(py::pickle(
      [](const RunResult& r) {
        return py::make_tuple(
            1, py::bytes(reinterpret_cast<const char*>(&r.dt), sizeof r.dt), static_cast<int>(r.split),
            r.slotCount, py::bytes(reinterpret_cast<const char*>(r.exists.data()), r.exists.size()),
            r.hasTrajectory, r.stepsDone, BytesOf(r.steps), BytesOf(r.observables), BytesOf(r.trajectory));
      },
      [](const py::tuple& t) {
        if (t.size() != 10 || t[0].cast<int>() != 1) throw py::value_error("not a pickled vorun.Result");
        RunResult r;
        const std::string dt = t[1].cast<std::string>(), exists = t[4].cast<std::string>();
        if (dt.size() != sizeof r.dt || exists.size() != r.exists.size())
          throw py::value_error("a vorun.Result pickled by another build of vorun");
        std::memcpy(&r.dt, dt.data(), sizeof r.dt);
        r.split = static_cast<ColourSplit>(t[2].cast<int>());
        r.slotCount = t[3].cast<std::int32_t>();
        std::memcpy(r.exists.data(), exists.data(), exists.size());
        r.hasTrajectory = t[5].cast<bool>();
        r.stepsDone = t[6].cast<std::int64_t>();
        r.steps = VectorOf<std::int64_t>(t[7]);
        r.observables = VectorOf<Observables>(t[8]);
        r.trajectory = VectorOf<Extended80>(t[9]);
        return r;
      }));
}

}  // namespace

py::dict MeasuredRow(const EnsembleState& state) {
  const Observables o = MeasureObservables(state);
  py::dict d;
  for (const Column* c : MeasuredColumns())
    d[py::str(std::string(c->name))] =
        c->integer ? py::object(py::int_(c->count(o))) : RealScalar(c->real(o));
  return d;
}

void BindRun(py::module_& m, py::class_<PyEnsemble>& ensemble) {
  MeasuredColumns();  // a column without a value stops the import here
  py::tuple columns(CsvColumnNames().size());
  for (std::size_t i = 0; i < CsvColumnNames().size(); ++i) columns[i] = py::str(CsvColumnNames()[i]);
  m.attr("OBSERVABLE_COLUMNS") = columns;
  py::tuple slotFields(SlotFieldNames.size());
  for (std::size_t i = 0; i < SlotFieldNames.size(); ++i) slotFields[i] = py::str(SlotFieldNames[i].name);
  m.attr("TRAJECTORY_COLUMNS") = slotFields;
  py::tuple parameters(ParameterNames.size());
  for (std::size_t i = 0; i < ParameterNames.size(); ++i) parameters[i] = py::str(ParameterNames[i].name);
  m.attr("PARAMETERS") = parameters;

  BindResult(m);

  ensemble.def(
      "step",
      [](PyEnsemble& e, py::handle settingsArg, py::handle n, py::handle threads) {
        const PySettings settings = SettingsOf(settingsArg);
        const std::int64_t steps = ReadInteger(n, "n", 0, std::numeric_limits<std::int64_t>::max() / 2);
        InUse inUse(e);
        Prepare(e, settings, steps, threads);
        LoopEnd end;
        Loop(e, settings.step, steps, 1, nullptr, end);
        if (end.type) RaiseInterrupt(end);
        if (end.fault) RaiseFault(end, py::none());
      },
      py::arg("settings") = py::none(), py::arg("n") = 1, py::arg("threads") = py::none(), R"doc(
Advances the ensemble in place by n steps (default 1) of its time step under
the settings (default vorun.Settings()). threads is the number of threads
each step is split over, as vorun-run --threads: None takes the cores (or
VORUN_THREADS); every count gives the same bits.

The GIL is released while the engine steps, so other Python threads run,
and Ctrl+C ends the call between two steps with KeyboardInterrupt, the
ensemble holding the last completed step.

A NaN that the step would compute with raises ValueError naming it ("The
position y of slot 2 is not a number (NaN). ...") before the first step. A
floating-point fault raises vorun.FloatingPointFault with the step (1 for
the first step of this call) and the message; the ensemble is then exactly
what vorun-run writes after that fault: the last completed step.
)doc");

  m.def(
      "run",
      [](PyEnsemble& e, py::handle stepsArg, py::handle settingsArg, py::handle everyArg, py::handle threads,
         py::handle trajectoryArg) {
        const PySettings settings = SettingsOf(settingsArg);
        const std::int64_t steps =
            ReadInteger(stepsArg, "steps", 0, std::numeric_limits<std::int64_t>::max() / 2);
        const std::int64_t every =
            ReadInteger(everyArg, "every", 1, std::numeric_limits<std::int64_t>::max());
        const bool keepTrajectory = ReadBool(trajectoryArg, "trajectory");
        InUse inUse(e);
        Prepare(e, settings, steps, threads);
        auto result = std::make_unique<RunResult>();
        result->dt = e.state.TimeStep;
        result->split = settings.step.law.colourSplit;
        result->slotCount = e.state.SlotCount;
        result->exists = e.state.Exists;
        result->hasTrajectory = keepTrajectory;
        const std::size_t rows = static_cast<std::size_t>(std::min<std::int64_t>(steps / every + 2, 1 << 16));
        result->steps.reserve(rows);
        result->observables.reserve(rows);
        if (keepTrajectory) result->trajectory.reserve(rows * MaxSlots * SlotValues);
        LoopEnd end;
        Loop(e, settings.step, steps, every, result.get(), end);
        if (end.type) RaiseInterrupt(end);
        py::object out = py::cast(std::move(result));
        if (end.fault) RaiseFault(end, out);
        return out;
      },
      py::arg("ensemble"), py::arg("steps"), py::arg("settings") = py::none(), py::arg("every") = 1,
      py::arg("threads") = py::none(), py::arg("trajectory") = true, R"doc(
Runs the ensemble in place for `steps` steps, as vorun-run does with the same
settings, and returns a vorun.Result with rows at step 0 and every `every`
steps: the trajectory as numpy.longdouble (shape (rows, 60, 6), slot n at
index n - 1) and the observables as columns named as vorun-run's CSV.
trajectory=False keeps only the observables.

threads, the GIL, Ctrl+C and a NaN in the input as in Ensemble.step. A
floating-point fault raises vorun.FloatingPointFault carrying the step, the
message and the result up to the last completed step (its last row), which
the ensemble then holds: exactly what vorun-run writes after that fault.
)doc");
}

}  // namespace vorun::python
