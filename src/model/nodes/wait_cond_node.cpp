#include "model/nodes/wait_cond_node.hpp"

#include "model/hw_component/sp_reg/arena_factory_sp_reg.hpp"
#include "model/nodes/sp_reg_node_steps.hpp"

namespace vorlent {

WaitCondNode WaitCondNode::make(ModelArena& model, bool is_user_com, std::string_view name,
                                const HcpIdent& cond, uint32_t cond_start, uint32_t cond_stop) {
    return around<WaitCondNode>(
        make_cond_wait_state_reg(model, format("{}_CW", name), cond, cond_start, cond_stop),
        NodeType::WaitCond, is_user_com, name);
}

void WaitCondNode::assign_prelim(ModelArena& model) {
    set_raw_and_exit(model, build_reg_support<CondWaitStateReg>(
                                model, reg, [](const CondWaitStateReg& r) { return r.end_expr; },
                                "build_support_signal must be called before generate_end_expr"));
}

void WaitCondNode::assign_final(ModelArena& model) {
    // Nothing could ever start the wait.
    if (triggers.depend_nodes.empty()) fatal("WaitCondNode requires at least one depend node");
    build_reg_events<CondWaitStateReg>(model, reg, to_trigger_sig(model));
}

HcpIdent WaitCondNode::get_exit_opr() const {
    return set_or_fatal(
        exit_opr,
        "WaitCondNode::get_exit_opr: bound_exit_i not set \u2014 call assign_prelim first");
}

HcpIdent WaitCondNode::get_state_operating() const {
    return set_or_fatal(raw,
                        "WaitCondNode::get_state_operating: raw_state_op_i not set \u2014 call "
                        "assign_prelim first");
}

}  // namespace vorlent
