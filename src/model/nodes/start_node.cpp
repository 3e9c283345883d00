#include "model/nodes/start_node.hpp"

#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/sp_reg/arena_factory_sp_reg.hpp"
#include "model/nodes/sp_reg_node_steps.hpp"

namespace vorlent {

StartNode StartNode::make(ModelArena& model, std::string_view name, const HcpIdent& start_src) {
    StartNode n;
    n.reg = make_state_reg(model, format("{}_ST", name));
    const HcpIdent up = make_val(model, false, "upState", 1, 1);
    n.exit_opr = make_expression(model, false, "startExpr", LogicOp::RelationEq, n.reg, up,
                                 std::nullopt, std::nullopt);
    n.ident = NcpIdent::make(NodeType::Start, false, name);
    n.start_src = start_src;
    return n;
}

void StartNode::assign_final(ModelArena& model) {
    TriggerSig sig = to_trigger_sig(model);
    // The start register is set whenever the start source is 1 at an edge.
    sig.push_depend_node(start_src, std::nullopt);
    build_reg_events<StateReg>(model, reg, std::move(sig));
}

}  // namespace vorlent
