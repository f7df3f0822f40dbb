#include "python/PySettings.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "model/Choices.h"
#include "python/Reals.h"

namespace vorun::python {

namespace {

template <class Row, std::size_t N>
py::tuple NamesOf(const std::array<Row, N>& rows) {
  py::tuple names(N);
  for (std::size_t i = 0; i < N; ++i) names[i] = py::str(rows[i].name);
  return names;
}

// A name from the table, as vorun-run reads it; the split also as the
// number it is (split=15).
template <class Row, std::size_t N>
auto Choose(const std::array<Row, N>& rows, const char* field, py::handle value) {
  std::string text;
  if (py::isinstance<py::str>(value))
    text = value.cast<std::string>();
  else if (std::is_same_v<Row, SplitChoice> && py::isinstance<py::int_>(value) &&
           !py::isinstance<py::bool_>(value))
    text = std::string(py::str(value));
  else
    throw py::type_error(std::string(field) + " must be one of " + ChoiceNames(rows) + ", not " +
                         std::string(py::str(value.get_type().attr("__name__"))));
  if (const auto chosen = ValueNamed(rows, text)) return *chosen;
  throw py::value_error(std::string(field) + " must be one of " + ChoiceNames(rows) + ", not " +
                        std::string(py::repr(value)));
}

struct Field {
  const char* name;
  std::function<void(PySettings&, py::handle)> set;
  std::function<py::object(const PySettings&)> get;
};

template <bool StepSettings::*member>
Field Flag(const char* name) {
  return {name, [name](PySettings& s, py::handle v) { s.step.*member = ReadBool(v, name); },
          [](const PySettings& s) { return py::object(py::bool_(s.step.*member)); }};
}

template <bool LawSettings::*member>
Field LawFlag(const char* name) {
  return {name, [name](PySettings& s, py::handle v) { s.step.law.*member = ReadBool(v, name); },
          [](const PySettings& s) { return py::object(py::bool_(s.step.law.*member)); }};
}

// Every field in the order of vorun-run's options.
const std::vector<Field>& Fields() {
  static const std::vector<Field> fields = {
      {"formula",
       [](PySettings& s, py::handle v) { s.step.law.formula = Choose(FormulaChoices, "formula", v); },
       [](const PySettings& s) { return py::object(py::str(NameOf(FormulaChoices, s.step.law.formula))); }},
      {"split",
       [](PySettings& s, py::handle v) { s.step.law.colourSplit = Choose(SplitChoices, "split", v); },
       [](const PySettings& s) { return py::object(py::int_(SetTwoSize(s.step.law.colourSplit))); }},
      {"scope", [](PySettings& s, py::handle v) { s.step.law.scope = Choose(ScopeChoices, "scope", v); },
       [](const PySettings& s) { return py::object(py::str(NameOf(ScopeChoices, s.step.law.scope))); }},
      {"check1", [](PySettings& s, py::handle v) { s.check1 = ReadBool(v, "check1"); },
       [](const PySettings& s) { return py::object(py::bool_(s.check1)); }},
      LawFlag<&LawSettings::noShellB>("check2"),
      LawFlag<&LawSettings::noShellsCDF>("check3"),
      Flag<&StepSettings::blockade>("blockade"),
      Flag<&StepSettings::heater>("heater"),
      Flag<&StepSettings::cooler>("cooler"),
      {"wall", [](PySettings& s, py::handle v) { s.step.wall = Choose(WallChoices, "wall", v); },
       [](const PySettings& s) { return py::object(py::str(NameOf(WallChoices, s.step.wall))); }},
      {"dt",
       [](PySettings& s, py::handle v) {
         if (v.is_none()) {
           s.dt.reset();
           return;
         }
         const Extended80 dt = ReadReal(v, "dt");
         if (!std::isfinite(dt))
           throw py::value_error("dt must be a finite number (or None for the ensemble's own)");
         s.dt = dt;
       },
       [](const PySettings& s) { return s.dt ? RealScalar(*s.dt) : py::object(py::none()); }},
  };
  return fields;
}

std::string FieldNames() {
  std::string names;
  for (const Field& f : Fields()) names += (names.empty() ? "" : ", ") + std::string(f.name);
  return names;
}

const Field& FieldNamed(const std::string& name) {
  for (const Field& f : Fields())
    if (name == f.name) return f;
  throw py::type_error("Settings has no field '" + name + "'; the fields are " + FieldNames());
}

bool Same(const PySettings& a, const PySettings& b) {
  const LawSettings &x = a.step.law, &y = b.step.law;
  return x.formula == y.formula && x.colourSplit == y.colourSplit && x.scope == y.scope &&
         x.noShellB == y.noShellB && x.noShellsCDF == y.noShellsCDF && a.check1 == b.check1 &&
         a.step.blockade == b.step.blockade && a.step.heater == b.step.heater &&
         a.step.cooler == b.step.cooler && a.step.wall == b.step.wall &&
         a.dt.has_value() == b.dt.has_value() && (!a.dt || std::memcmp(&*a.dt, &*b.dt, 10) == 0);
}

std::string Repr(const PySettings& s) {
  std::string text = "vorun.Settings(";
  for (const Field& f : Fields()) {
    if (text.back() != '(') text += ", ";
    text += f.name;
    text += '=';
    text += py::repr(f.get(s));
  }
  return text + ")";
}

}  // namespace

void BindSettings(py::module_& m) {
  m.attr("FORMULAS") = NamesOf(FormulaChoices);
  m.attr("SPLITS") = NamesOf(SplitChoices);
  m.attr("SCOPES") = NamesOf(ScopeChoices);
  m.attr("WALLS") = NamesOf(WallChoices);

  py::class_<PySettings> settings(m, "Settings", R"doc(
The settings of a run: the window's controls under the names of vorun-run's
options, with the same defaults.

    vorun.Settings(formula="PES", split=15, scope="taoscope", wall="3x3",
                   heater=True)

formula   "PE", "E" (default), "PES", "EPES" or "EPES-"  (vorun.FORMULAS)
split     30 (default), 15 or 10: the last that many slots take parameter
          set 2 (also as text, "15")
scope     "taoscope" or "gravoscope" (default)
check1    the window's box (1+6)'; it changes no formula
check2    PES without its B shell (the box (2)')
check3    PES without its C, D and F shells (the box (3-:-5)')
blockade  hold taons 1 to 4 in place
heater    velocities times 1.01 every step
cooler    velocities times 0.99 every step
wall      "3x3", "20x20", "NxN" or "out" (default)
dt        a time step for the ensemble before the run, as vorun-run --dt;
          None (default) keeps the ensemble's own

A name that is not a choice raises ValueError listing the choices; a value
of the wrong type raises TypeError. Either way the settings keep their
values. The fields can be read and assigned as attributes.
)doc");
  settings.def(py::init([](py::kwargs kwargs) {
                 PySettings s;
                 for (const auto& [key, value] : kwargs) FieldNamed(py::str(key)).set(s, value);
                 return s;
               }),
               "Settings(**fields): every field not given keeps its default.");
  for (const Field& f : Fields()) {
    settings.def_property(
        f.name, [&f](const PySettings& s) { return f.get(s); },
        [&f](PySettings& s, py::handle v) {
          PySettings changed = s;
          f.set(changed, v);
          s = changed;
        });
  }
  settings.def("__repr__", &Repr);
  settings.def("__eq__", &Same, py::is_operator());
  settings.def(
      "replace",
      [](const PySettings& s, py::kwargs kwargs) {
        PySettings copy = s;
        for (const auto& [key, value] : kwargs) FieldNamed(py::str(key)).set(copy, value);
        return copy;
      },
      "A copy with the fields given changed: settings.replace(formula=\"PES\").");
  settings.def(py::pickle(
      [](const PySettings& s) {
        py::dict d;
        for (const Field& f : Fields()) d[f.name] = f.get(s);
        return d;
      },
      [](const py::dict& d) {
        PySettings s;
        for (const auto& [key, value] : d) FieldNamed(py::str(key)).set(s, value);
        return s;
      }));
}

}  // namespace vorun::python
