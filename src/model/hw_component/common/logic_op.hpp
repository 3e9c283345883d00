// The operators of expressions and their names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorlent {

enum class LogicOp : uint8_t {
    BitwiseAnd = 0,
    BitwiseOr,
    BitwiseXor,
    BitwiseInvr,
    BitwiseShl,
    BitwiseShr,
    LogicalAnd,
    LogicalOr,
    LogicalNot,
    RelationEq,
    RelationNeq,
    RelationLe,
    RelationLeq,
    RelationGe,
    RelationGeq,
    RelationSlt,
    RelationSgt,
    ArithPlus,
    ArithMinus,
    ArithMul,
    ArithDiv,
    ArithDivr,
    ExtendBit,
    SliceBit,
    Assign,
    Dummy,
};
inline constexpr size_t LOGIC_OP_COUNT = 26;

// The variant name, also used in the "unsupported op" messages.
std::string_view logic_op_name(LogicOp op);
inline std::string debug_repr(LogicOp op) { return std::string(logic_op_name(op)); }

}  // namespace vorlent
