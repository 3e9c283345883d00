#include "model/hw_component/common/logic_op.hpp"

#include <array>

namespace vorlent {

std::string_view logic_op_name(LogicOp op) {
    static constexpr std::array<std::string_view, LOGIC_OP_COUNT> NAMES = {
        "BitwiseAnd",  "BitwiseOr",  "BitwiseXor",  "BitwiseInvr", "BitwiseShl",  "BitwiseShr",
        "LogicalAnd",  "LogicalOr",  "LogicalNot",  "RelationEq",  "RelationNeq", "RelationLe",
        "RelationLeq", "RelationGe", "RelationGeq", "RelationSlt", "RelationSgt", "ArithPlus",
        "ArithMinus",  "ArithMul",   "ArithDiv",    "ArithDivr",   "ExtendBit",   "SliceBit",
        "Assign",      "Dummy"};
    return NAMES.at(size_t(op));
}

}  // namespace vorlent
