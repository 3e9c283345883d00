#include "model/nodes/state_node.hpp"

#include "model/hw_component/sp_reg/arena_factory_sp_reg.hpp"
#include "model/nodes/sp_reg_node_steps.hpp"

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

}  // namespace vorlent
