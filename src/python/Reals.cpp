#include "python/Reals.h"

#include <limits>

namespace vorun::python {

namespace {

py::module_ Numpy() { return py::module_::import("numpy"); }

// obj as a numpy array, or TypeError: None, text and objects numpy cannot
// read as numbers never become an array of objects that fails later.
py::array AsArray(py::handle obj, const std::string& field, const std::string& what) {
  if (obj.is_none() || py::isinstance<py::str>(obj) || py::isinstance<py::bytes>(obj))
    throw py::type_error(field + " must be " + what + ", not " +
                         std::string(py::str(obj.get_type().attr("__name__"))));
  py::object a;
  try {
    a = Numpy().attr("asarray")(obj);
  } catch (py::error_already_set&) {
    throw py::type_error(field + " must be " + what);
  }
  return py::reinterpret_borrow<py::array>(a);
}

std::vector<py::ssize_t> ShapeOf(const py::array& a) { return {a.shape(), a.shape() + a.ndim()}; }

void RequireShape(const py::array& a, const std::string& field, const std::vector<py::ssize_t>& shape) {
  if (ShapeOf(a) != shape)
    throw py::value_error(field + " must have shape " + ShapeText(shape) + ", not " + ShapeText(ShapeOf(a)));
}

std::string DtypeName(const py::array& a) { return py::str(a.dtype()); }

// Visits the elements of a in C order, whatever its strides.
template <class Visit>
void ForEach(const py::array& a, Visit visit) {
  const auto* base = static_cast<const char*>(a.data());
  const py::ssize_t n = a.size();
  const py::ssize_t ndim = a.ndim();
  std::vector<py::ssize_t> index(ndim, 0);
  for (py::ssize_t k = 0; k < n; ++k) {
    py::ssize_t offset = 0;
    for (py::ssize_t d = 0; d < ndim; ++d) offset += index[d] * a.strides(d);
    visit(k, base + offset);
    for (py::ssize_t d = ndim - 1; d >= 0; --d) {
      if (++index[d] < a.shape(d)) break;
      index[d] = 0;
    }
  }
}

}  // namespace

void RequireLongDouble() {
  const py::object finfo = Numpy().attr("finfo")(Numpy().attr("longdouble"));
  if (LongDoubleType().itemsize() != 16 || finfo.attr("nmant").cast<int>() != 63 ||
      finfo.attr("maxexp").cast<int>() != 16384)
    throw py::import_error("vorun needs numpy.longdouble to be the x87 80-bit format; here it is " +
                           std::string(py::str(finfo)));
}

py::dtype LongDoubleType() { return py::dtype::of<long double>(); }

std::string ShapeText(const std::vector<py::ssize_t>& shape) {
  std::string text = "(";
  for (std::size_t i = 0; i < shape.size(); ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(shape[i]);
  }
  return text + (shape.size() == 1 ? ",)" : ")");
}

py::object RealScalar(const Extended80& value) {
  py::array a = RealArray({});
  CopyReal(a.mutable_data(), value);
  return a[py::tuple()];
}

py::array RealArray(const std::vector<py::ssize_t>& shape) {
  py::array a(LongDoubleType(), shape);
  std::memset(a.mutable_data(), 0, static_cast<std::size_t>(a.nbytes()));
  return a;
}

py::array ReadOnly(py::array a) {
  a.attr("setflags")(py::arg("write") = false);
  return a;
}

std::vector<Extended80> ReadReals(py::handle obj, const std::string& field,
                                  const std::vector<py::ssize_t>& shape) {
  py::array a = AsArray(obj, field, "an array of real numbers of shape " + ShapeText(shape));
  const char kind = a.dtype().kind();
  if (kind != 'f' && kind != 'i' && kind != 'u')
    throw py::type_error(field + " must hold real numbers, not " + DtypeName(a));
  RequireShape(a, field, shape);
  // numpy widens every float and every integer of up to 64 bits to 80 bits
  // exactly; a longdouble array is read as it is.
  if (!a.dtype().is(LongDoubleType()))
    a = py::reinterpret_borrow<py::array>(a.attr("astype")(LongDoubleType()));
  std::vector<Extended80> values(static_cast<std::size_t>(a.size()));
  ForEach(a, [&](py::ssize_t k, const char* at) { CopyReal(values[k], at); });
  return values;
}

Extended80 ReadReal(py::handle obj, const std::string& field) {
  // Python ints beyond 64 bits become objects in numpy; beyond 2^64 they
  // might not fit 64 significant bits, so they are refused.
  if (py::isinstance<py::int_>(obj) && !py::isinstance<py::bool_>(obj)) {
    const py::int_ i = py::reinterpret_borrow<py::int_>(obj);
    const py::int_ limit(std::numeric_limits<std::int64_t>::max());
    if (py::int_(py::module_::import("builtins").attr("abs")(i)) > limit)
      throw py::value_error(field + " must be a real number that 80 bits hold exactly; " +
                            std::string(py::str(obj)) + " may not be");
  }
  if (py::isinstance<py::bool_>(obj)) throw py::type_error(field + " must be a real number, not bool");
  return ReadReals(obj, field, {})[0];
}

std::vector<std::uint8_t> ReadBytes(py::handle obj, const std::string& field,
                                    const std::vector<py::ssize_t>& shape) {
  py::array a = AsArray(obj, field, "an array of integers of shape " + ShapeText(shape));
  const char kind = a.dtype().kind();
  if (kind != 'b' && kind != 'i' && kind != 'u')
    throw py::type_error(field + " must hold integers or booleans, not " + DtypeName(a));
  RequireShape(a, field, shape);
  a = py::reinterpret_borrow<py::array>(a.attr("astype")(py::dtype::of<std::int64_t>()));
  std::vector<std::uint8_t> values(static_cast<std::size_t>(a.size()));
  bool fits = true;
  ForEach(a, [&](py::ssize_t k, const char* at) {
    std::int64_t v;
    std::memcpy(&v, at, sizeof v);
    fits = fits && v >= 0 && v <= 255;
    values[k] = static_cast<std::uint8_t>(v);
  });
  if (!fits) throw py::value_error(field + " must hold values from 0 to 255");
  return values;
}

std::int64_t ReadInteger(py::handle obj, const std::string& field, std::int64_t low, std::int64_t high) {
  const std::string range = " from " + std::to_string(low) + " to " + std::to_string(high);
  const bool integer = (py::isinstance<py::int_>(obj) || py::hasattr(obj, "__index__")) &&
                       !py::isinstance<py::bool_>(obj) && !py::isinstance(obj, Numpy().attr("bool_"));
  if (!integer)
    throw py::type_error(field + " must be an integer" + range + ", not " +
                         std::string(py::str(obj.get_type().attr("__name__"))));
  const py::int_ i = py::reinterpret_steal<py::int_>(PyNumber_Index(obj.ptr()));
  if (!i) throw py::error_already_set();
  if (i < py::int_(low) || i > py::int_(high)) throw py::value_error(field + " must be an integer" + range);
  return i.cast<std::int64_t>();
}

bool ReadBool(py::handle obj, const std::string& field) {
  if (py::isinstance<py::bool_>(obj) || py::isinstance(obj, Numpy().attr("bool_")))
    return PyObject_IsTrue(obj.ptr()) == 1;
  throw py::type_error(field + " must be True or False, not " +
                       std::string(py::str(obj.get_type().attr("__name__"))));
}

}  // namespace vorun::python
