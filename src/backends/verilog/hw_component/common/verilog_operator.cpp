#include "backends/verilog/hw_component/common/verilog_operator.hpp"

#include "common/fatal.hpp"

namespace vorlent {

std::string_view logic_op_to_verilog(LogicOp op) {
    switch (op) {
        case LogicOp::BitwiseAnd:
            return "&";
        case LogicOp::BitwiseOr:
            return "|";
        case LogicOp::BitwiseXor:
            return "^";
        case LogicOp::BitwiseInvr:
            return "~";
        case LogicOp::BitwiseShl:
            return "<<";
        case LogicOp::BitwiseShr:
            return ">>";
        case LogicOp::LogicalAnd:
            return "&&";
        case LogicOp::LogicalOr:
            return "||";
        case LogicOp::LogicalNot:
            return "!";
        case LogicOp::RelationEq:
            return "==";
        case LogicOp::RelationNeq:
            return "!=";
        case LogicOp::RelationLe:
            return "<";
        case LogicOp::RelationLeq:
            return "<=";
        case LogicOp::RelationGe:
            return ">";
        case LogicOp::RelationGeq:
            return ">=";
        // The signed comparisons share the unsigned tokens; the expression
        // emitter wraps their operands in $signed.
        case LogicOp::RelationSlt:
            return "<";
        case LogicOp::RelationSgt:
            return ">";
        case LogicOp::ArithPlus:
            return "+";
        case LogicOp::ArithMinus:
            return "-";
        case LogicOp::ArithMul:
            return "*";
        case LogicOp::ArithDiv:
            return "/";
        case LogicOp::ArithDivr:
            return "%";
        case LogicOp::ExtendBit:
            fatal(
                "logic_op_to_verilog: ExtendBit has no direct Verilog operator; not yet "
                "implemented");
        case LogicOp::SliceBit:
            fatal("logic_op_to_verilog: SliceBit has no operator token; handle as wire-through");
        case LogicOp::Assign:
            fatal("logic_op_to_verilog: Assign has no operator token; handle as wire-through");
        case LogicOp::Dummy:
            fatal("logic_op_to_verilog: Dummy op must not reach the Verilog backend");
    }
    // Only a value outside the enumeration gets here.
    fatal(format("logic_op_to_verilog: invalid LogicOp value {}", unsigned(op)));
}

}  // namespace vorlent
