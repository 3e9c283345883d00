// Operands: where a signal is expected the caller may pass an HcpIdent or a
// Python int of any size and sign, which the method later turns into a
// constant as wide as the other side of its use.
#pragma once

#include <optional>
#include <string_view>
#include <variant>

#include "applications/py/runtime/from_python.hpp"
#include "common/error_text.hpp"
#include "model/hw_component/common/slice.hpp"
#include "model/hw_component/int_constant.hpp"

namespace vorlent::py {

struct PyOperand {
    SignalOrInt value;

    const HcpIdent* ident() const { return std::get_if<HcpIdent>(&value); }
    const WideInt* integer() const { return std::get_if<WideInt>(&value); }
};

// An int operand is read as the constant the method makes of it, as wide as
// the method says (`int_width`); a slice given with it selects bits of that
// constant as a slice of a signal does. So the slice given with an operand
// is checked against the signal, or against the constant, shown as
// "int operand {operand_name}".
CheckResult check_operand_slice(const ModelArena& m, std::string_view where, std::string_view param,
                                const std::optional<Slice>& slice, const PyOperand& operand,
                                std::string_view operand_name, int32_t int_width);

// The bits of an int operand's constant, `width` bits wide, that are read:
// those a checked slice selects, or all of them for Slice() or no slice.
Slice int_operand_bits(const std::optional<Slice>& slice, int32_t width);

// Reads an int (subclasses, bool and IntEnum members included) as its
// two's-complement limbs; false with an exception set on failure.
bool read_wide_int(PyObject* obj, WideInt& out);

template <>
struct FromPython<PyOperand> {
    static bool convert(PyObject* obj, PyOperand& out);
};

}  // namespace vorlent::py
