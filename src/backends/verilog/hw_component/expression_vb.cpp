#include "backends/verilog/hw_component/expression_vb.hpp"

#include "backends/verilog/hw_component/common/procedure_blk_vb.hpp"
#include "backends/verilog/hw_component/common/verilog_literal.hpp"
#include "backends/verilog/hw_component/common/verilog_operator.hpp"
#include "backends/verilog/hw_component/reg_vb.hpp"

namespace vorlent {

std::string ExpressionVb::gen_type_vb() const {
    return format("wire {}", width_prefix(rec().width));
}

void ExpressionVb::gen_init_line_vb(uint32_t, ModelArena&, FileWriter& fw) {
    write_plain_declaration(fw, gen_type_vb(), rec().ident.abs_name());
}

void ExpressionVb::gen_procedure_blk_vb(uint32_t, ModelArena& model, FileWriter& fw) {
    const Expression& e = rec();
    if (!e.initialised || !e.operand_a) return;
    const std::string_view name = e.ident.abs_name();
    const VbDes des{e.ident, name, e.width, e.width};
    const std::string a = fmt_operand(*e.operand_a, e.range_a, model, des);
    std::optional<std::string> b;
    if (e.operand_b) b = fmt_operand(*e.operand_b, e.range_b, model, des);

    std::string rhs;
    switch (e.op) {
        case LogicOp::BitwiseInvr:
        case LogicOp::LogicalNot:
            rhs = format("{}{}", logic_op_to_verilog(e.op), a);
            break;
        case LogicOp::RelationSlt:
        case LogicOp::RelationSgt:
            if (!b) return;
            rhs = format("$signed({}) {} $signed({})", a, logic_op_to_verilog(e.op), *b);
            break;
        case LogicOp::ExtendBit: {
            const int64_t pad =
                e.range_a ? int64_t(e.width) - (int64_t(e.range_a->stop) - e.range_a->start) : 0;
            if (pad < 1) {
                rhs = a;
            } else {
                // The fill (the second operand, else zeros) replicated above
                // A: {{pad{fill}}, A}
                const std::string fill = b ? replication_vb(pad, *b) : zero_fill_vb(pad);
                rhs = format("{{}, {}}", fill, a);
            }
            break;
        }
        case LogicOp::SliceBit:
        case LogicOp::Assign:
            rhs = a;
            break;
        default:
            if (!b) return;
            rhs = format("{} {} {}", a, logic_op_to_verilog(e.op), *b);
            break;
    }
    fw.write(format("assign {} = {};\n", name, rhs));
}

}  // namespace vorlent
