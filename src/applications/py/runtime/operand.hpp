// Operands: where a signal is expected the caller may pass an HcpIdent or a
// Python int of any size and sign, which the method later turns into a
// constant as wide as the other side of its use.
#pragma once

#include <variant>

#include "applications/py/runtime/from_python.hpp"
#include "model/hw_component/int_constant.hpp"

namespace vorlent::py {

struct PyOperand {
    SignalOrInt value;

    const HcpIdent* ident() const { return std::get_if<HcpIdent>(&value); }
    const WideInt* integer() const { return std::get_if<WideInt>(&value); }
};

// Reads an int (subclasses, bool and IntEnum members included) as its
// two's-complement limbs; false with an exception set on failure.
bool read_wide_int(PyObject* obj, WideInt& out);

template <>
struct FromPython<PyOperand> {
    static bool convert(PyObject* obj, PyOperand& out);
};

}  // namespace vorlent::py
