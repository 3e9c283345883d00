#include "model/hw_component/sp_reg/cycle_wait_reg.hpp"

#include "model/hw_component/arena_factory_hcp.hpp"

namespace vorlent {

namespace {
// Lowest first; the higher wins a cycle.
enum CycleWaitPri : int32_t {
    PRI_END = SP_REG_PRI_LOWEST,
    PRI_STEP,
    PRI_HOLD,
    PRI_RESET,
    PRI_START
};
}  // namespace

int32_t CycleWaitStateReg::log_width(int32_t wait_cycle) {
    return floor_log2_i32(2.0 * (double(wait_cycle) + 1.0) - 1.0);
}

void CycleWaitStateReg::build_support_signal(ModelArena& model) {
    const int32_t n = wait_cycle.value_or(0);
    const Slice whole{0, width};
    idle_cnt = make_val(model, false, support_name("_IDLE_CNT"), width, 0);
    start_cnt = make_val(model, false, support_name("_START_CNT"), width, 3);
    inc_step = make_val(model, false, support_name("_INC_STEP"), width, 2);
    end_full = make_val(model, false, support_name("_END_FULL"), width, 2 * uint64_t(n) + 1);
    is_active = make_expression(model, false, support_name("_IS_ACTIVE"), LogicOp::RelationNeq,
                                ident, *idle_cnt, whole, whole);
    is_end = make_expression(model, false, support_name("_IS_END"), LogicOp::RelationEq, ident,
                             *end_full, whole, whole);
    is_not_end = make_expression(model, false, support_name("_IS_NOT_END"), LogicOp::RelationNeq,
                                 ident, *end_full, whole, whole);
    inc_cond = make_expression(model, false, support_name("_INC_COND"), LogicOp::BitwiseAnd,
                               *is_active, *is_not_end, Slice{0, 1}, Slice{0, 1});
    inc_expr = make_expression(model, false, support_name("_INC_EXPR"), LogicOp::ArithPlus, ident,
                               *inc_step, whole, whole);
}

void CycleWaitStateReg::build_update_event(ModelArena& model) {
    const std::string owner(ident.abs_name());
    trigger_sig.integrity_check(owner, model, ident, width);
    const HcpIdent& idle = require_support_signal(idle_cnt);
    const HcpIdent& start = require_support_signal(start_cnt);
    const HcpIdent& end = require_support_signal(is_end);
    const HcpIdent& step_cond = require_support_signal(inc_cond);
    const HcpIdent& step = require_support_signal(inc_expr);

    const Slice whole{0, width};
    const Slice upper{1, width};  // bit 0 stays 1 while counting
    const TriggerSig& t = trigger_sig;
    append_event(model, end, std::nullopt, idle, whole, whole, PRI_END);
    append_event(model, step_cond, std::nullopt, step, upper, upper, PRI_STEP);
    append_on_control(model, t.hold(), ident, whole, PRI_HOLD);
    append_on_depends(model, start, whole, PRI_START);
    append_on_control(model, t.int_reset(), idle, whole, PRI_RESET);
    append_on_control(model, t.mrst(), idle, whole, DEFAULT_UE_PRI_RST);
}

}  // namespace vorlent
