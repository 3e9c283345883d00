#include "model/nodes/pseudo_node.hpp"

#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

void PseudoNode::assign_final(ModelArena& model) {
    if (triggers.depend_nodes.empty()) fatal("PseudoNode requires at least one depend node");
    auto logic = [&](LogicOp op, const HcpIdent& a, const HcpIdent& b) {
        return make_expression(model, false, "node_logic_expr", op, a, b, std::nullopt,
                               std::nullopt);
    };
    std::optional<HcpIdent> acc;
    for (const DependEdge& e : triggers.depend_nodes) {
        HcpIdent term = resolve_node_exit_opr(model, e.node);
        if (e.guard) term = logic(LogicOp::BitwiseAnd, term, *e.guard);
        if (!acc) {
            acc = std::move(term);
            continue;
        }
        if (join_op != LogicOp::BitwiseAnd && join_op != LogicOp::BitwiseOr)
            fatal("assertion failed: op == LogicOp::BitwiseAnd || op == LogicOp::BitwiseOr");
        acc = logic(join_op, *acc, term);
    }

    auto e = model.take<Expression>(expr);
    if (e->initialised || e->operand_a) fatal("multiple expression assign detected");
    assert_eq(width, e->width, "src expression assign wrapper doesn't cover entire expression");
    e->operand_a = *acc;
    e->range_a = Slice{0, int32_t(width)};
    e->initialised = true;
    e.put_back();
}

}  // namespace vorlent
