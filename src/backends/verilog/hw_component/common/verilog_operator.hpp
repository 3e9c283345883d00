// Operator tokens of expressions.
#pragma once

#include <string_view>

#include "model/hw_component/common/logic_op.hpp"

namespace vorlent {

// The Verilog token of a binary or unary operation. ExtendBit, SliceBit and
// Assign have no token (the expression emitter writes them itself) and Dummy
// must never reach the backend: all four stop with a fatal error.
std::string_view logic_op_to_verilog(LogicOp op);

}  // namespace vorlent
