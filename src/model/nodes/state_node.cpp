#include "model/nodes/state_node.hpp"

#include "model/hw_component/sp_reg/arena_factory_sp_reg.hpp"
#include "model/nodes/sp_reg_node_steps.hpp"

namespace vorlent {

StateNode StateNode::make(ModelArena& model, bool is_user_com, std::string_view name) {
    return around<StateNode>(make_state_reg(model, format("{}_ST", name)), NodeType::State,
                             is_user_com, name);
}

void StateNode::assign_prelim(ModelArena& model) { set_raw_and_exit(model, reg); }

void StateNode::assign_final(ModelArena& model) {
    build_reg_events<StateReg>(model, reg, to_trigger_sig(model));
}

HcpIdent StateNode::get_exit_opr() const {
    return set_or_fatal(exit_opr, "exit opr is not set yet");
}

HcpIdent StateNode::get_state_operating() const {
    return set_or_fatal(raw, "state operating is not set yet");
}

}  // namespace vorlent
