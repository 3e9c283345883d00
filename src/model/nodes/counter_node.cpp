#include "model/nodes/counter_node.hpp"

#include "model/hw_component/sp_reg/arena_factory_sp_reg.hpp"
#include "model/nodes/sp_reg_node_steps.hpp"

namespace vorlent {

CounterNode CounterNode::make(ModelArena& model, bool is_user_com, std::string_view name,
                              int32_t last_loop_cnt) {
    if (last_loop_cnt < 1) fatal("assertion failed: last_loop_cnt > 0");
    CounterNode n =
        around<CounterNode>(make_cnt_reg(model, format("{}_CNT", name), 1, last_loop_cnt),
                            NodeType::Counter, is_user_com, name);
    n.last_loop_cnt = last_loop_cnt;
    return n;
}

void CounterNode::assign_prelim(ModelArena& model) {
    exit_opr = build_reg_support<CntReg>(
        model, reg, [](const CntReg& r) { return std::optional(r.generate_end_expr()); },
        "build_support_signal must be called before generate_end_expr");
}

void CounterNode::assign_final(ModelArena& model) {
    build_reg_events<CntReg>(model, reg, to_trigger_sig(model));
}

HcpIdent CounterNode::get_exit_opr() const {
    return set_or_fatal(
        exit_opr, "CounterNode::get_exit_opr: end_expr_i not set \u2014 call assign_prelim first");
}

}  // namespace vorlent
