#include "model/hw_component/sp_reg/cond_wait_reg.hpp"

#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/hw_component/update_event/arena_factory_update_event.hpp"

namespace vorlent {

namespace {
// Lowest first; the higher wins a cycle.
enum CondWaitPri : int32_t { PRI_FALL = SP_REG_PRI_LOWEST, PRI_HOLD, PRI_RESET, PRI_RAISE };
}  // namespace

Slice CondWaitStateReg::cond_range(const ModelArena& model) const {
    const Slice given{int32_t(cond_start), int32_t(cond_stop)};
    if (given.is_usable()) return given;
    return vorlent::get_hcp_assign(model, cond).get_des_slice();
}

void CondWaitStateReg::build_support_signal(ModelArena& model) {
    constexpr Slice bit{0, 1};
    up_state = make_val(model, false, support_name("_UP_STATE"), 1, 1);
    down_state = make_val(model, false, support_name("_DOWN_STATE"), 1, 0);
    self_is_up = make_expression(model, false, support_name("_SELF_IS_UP"), LogicOp::RelationEq,
                                 ident, *up_state, bit, bit);
    end_expr = make_expression(model, false, support_name("_END_EXPR"), LogicOp::BitwiseAnd, ident,
                               cond, bit, cond_range(model));
}

void CondWaitStateReg::build_update_event(ModelArena& model) {
    const std::string owner(ident.abs_name());
    trigger_sig.integrity_check(owner, model, ident, 1);

    // The condition is measured over the bits that are waited on, so a wait
    // on one bit of a wider signal is accepted, and the falling event reads
    // those same bits.
    const Slice range = cond_range(model);
    const int32_t cond_width = vorlent::get_hcp_assign(model, cond).get_des_slice().size();
    if (range.stop > cond_width)
        fatal(format("'{}': wait range [{}, {}) exceeds signal '{}' of width {}", owner,
                     range.start, range.stop, cond.abs_name(), cond_width));
    if (range.size() != 1)
        fatal(format("'{}': signal '{}' must be {}-bit, got {}", owner, cond.abs_name(), 1,
                     range.size()));

    const HcpIdent& up = require_support_signal(up_state);
    const HcpIdent& down = require_support_signal(down_state);
    const HcpIdent& is_up = require_support_signal(self_is_up);

    constexpr Slice bit{0, 1};
    const TriggerSig& t = trigger_sig;
    // The event order of make_ue_full(cond, is_up): the basic event, the
    // AND of both conditions, then the conditional event around it.
    const UpdateEventIdent fall =
        make_ue_basic(model, down, bit, bit, PRI_FALL, ClockMode::PosEdge, false, t.clk());
    const HcpIdent cond_and_up = make_expression(model, false, "cond_dis_expr", LogicOp::BitwiseAnd,
                                                 cond, is_up, range, bit);
    add_update_event(make_ue_add_dis(model, cond_and_up, std::nullopt, fall));
    append_on_control(model, t.hold(), ident, bit, PRI_HOLD);
    append_on_depends(model, up, bit, PRI_RAISE);
    append_on_control(model, t.int_reset(), down, bit, PRI_RESET);
    append_on_control(model, t.mrst(), down, bit, DEFAULT_UE_PRI_RST);
}

}  // namespace vorlent
