// Reals between the engine and numpy without rounding. A value crosses as
// its ten bytes, never through an x87 load or a double, so NaN payloads,
// infinities, denormals, pseudo-denormals and unnormals arrive as they left.
// Input that does not fit raises TypeError or ValueError naming the field
// before anything is written.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "model/Global.h"

namespace vorun::python {

namespace py = pybind11;

// Raises ImportError unless numpy.longdouble is the x87 80-bit format in 16
// bytes: anything else would round every value on its way.
void RequireLongDouble();

py::dtype LongDoubleType();

// The ten bytes of a real, copied as bytes.
inline void CopyReal(Extended80& to, const void* from) { std::memcpy(&to, from, 10); }
inline void CopyReal(void* to, const Extended80& from) { std::memcpy(to, &from, 10); }

// A numpy.longdouble scalar with exactly these bits.
py::object RealScalar(const Extended80& value);

// A C-ordered longdouble array of this shape, zero-filled, so that the six
// bytes beyond each value's ten are zero and tobytes() is defined.
py::array RealArray(const std::vector<py::ssize_t>& shape);
inline Extended80* RealData(py::array& a) { return static_cast<Extended80*>(a.mutable_data()); }

// A copy that Python cannot write to: writing into it could never reach the
// ensemble, so it must not look as if it did.
py::array ReadOnly(py::array a);

// The reals of obj in C order, which must have exactly this shape: any real
// or integer dtype (each converts to 80 bits exactly; numpy.longdouble keeps
// its bits). field names the value in every message.
std::vector<Extended80> ReadReals(py::handle obj, const std::string& field,
                                  const std::vector<py::ssize_t>& shape);

// One real: a Python int or float, or a numpy scalar or 0-d array.
Extended80 ReadReal(py::handle obj, const std::string& field);

// Bytes of an integer or boolean array of this shape, each in 0 .. 255.
std::vector<std::uint8_t> ReadBytes(py::handle obj, const std::string& field,
                                    const std::vector<py::ssize_t>& shape);

// A whole number from low to high; bool is refused, as True is no count.
std::int64_t ReadInteger(py::handle obj, const std::string& field, std::int64_t low, std::int64_t high);

// True or False (numpy's bool too); 0, 1 or "no" are refused, not guessed.
bool ReadBool(py::handle obj, const std::string& field);

// "(60, 3)"
std::string ShapeText(const std::vector<py::ssize_t>& shape);

}  // namespace vorun::python
