#include "model/nodes/state_node.hpp"

#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/sp_reg/arena_factory_sp_reg.hpp"
#include "model/nodes/sp_reg_node_steps.hpp"
#include "model/nodes/start_node.hpp"

namespace vorlent {

StateNode StateNode::make(ModelArena& model, bool is_user_com, std::string_view name) {
    StateNode n;
    n.reg = make_state_reg(model, format("{}_ST", name));
    n.ident = NcpIdent::make(NodeType::State, is_user_com, name);
    return n;
}

void StateNode::assign_prelim(ModelArena& model) {
    HcpIdent exit = bind_exit(model, reg);
    state_operating = reg;
    exit_opr = std::move(exit);
}

void StateNode::assign_final(ModelArena& model) {
    build_reg_events<StateReg>(model, reg, to_trigger_sig(model));
}

HcpIdent StateNode::get_exit_opr() const {
    if (!exit_opr) fatal("exit opr is not set yet");
    return *exit_opr;
}

HcpIdent StateNode::get_state_operating() const {
    if (!state_operating) fatal("state operating is not set yet");
    return *state_operating;
}

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
