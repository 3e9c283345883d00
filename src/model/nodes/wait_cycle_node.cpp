#include "model/nodes/wait_cycle_node.hpp"

#include "model/hw_component/sp_reg/arena_factory_sp_reg.hpp"
#include "model/nodes/sp_reg_node_steps.hpp"

namespace vorlent {

WaitCycleNode WaitCycleNode::make_with_cycle(ModelArena& model, bool is_user_com,
                                             std::string_view name, int32_t cycle) {
    if (cycle < 1) fatal("assertion failed: cycle > 0");
    WaitCycleNode n =
        around<WaitCycleNode>(make_cycle_wait_state_reg(model, format("{}_CY", name), cycle),
                              NodeType::WaitCycle, is_user_com, name);
    n.cycle = cycle;
    return n;
}

void WaitCycleNode::assign_prelim(ModelArena& model) {
    set_raw_and_exit(model, build_reg_support<CycleWaitStateReg>(
                                model, reg, [](const CycleWaitStateReg& r) { return r.is_end; },
                                "build_support_signal must be called before generate_end_expr"));
}

void WaitCycleNode::assign_final(ModelArena& model) {
    build_reg_events<CycleWaitStateReg>(model, reg, to_trigger_sig(model));
}

HcpIdent WaitCycleNode::get_exit_opr() const {
    return set_or_fatal(
        exit_opr,
        "WaitCycleNode::get_exit_opr: bound_exit_i not set \u2014 call assign_prelim first");
}

}  // namespace vorlent
