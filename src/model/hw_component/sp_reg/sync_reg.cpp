#include "model/hw_component/sp_reg/sync_reg.hpp"

#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/hw_component/update_event/arena_factory_update_event.hpp"

namespace vorlent {

namespace {
// Lowest first; the higher wins a cycle.
enum SyncRegPri : int32_t { PRI_CLEAR = SP_REG_PRI_LOWEST, PRI_HOLD, PRI_RESET, PRI_ARRIVE };
}  // namespace

void SyncReg::build_support_signal(ModelArena& model) {
    const Slice whole{0, size};
    up_state = make_val(model, false, support_name("_UP_STATE"), 1, 1);
    const size_t bits = size_t(size);
    up_full = make_val_vv(
        model, false, support_name("_UP_FULL"), uint32_t(size),
        VaryVal::from_limbs(std::vector<uint64_t>((bits + 63) / 64, ~uint64_t(0)), bits));
    down_full = make_val(model, false, support_name("_DOWN_FULL"), size, 0);
    test_wire = make_wire(model, false, support_name("_TEST_WIRE"), uint32_t(size));
    const HcpIdent or_test = make_expression(model, false, support_name("_OR_TEST"),
                                             LogicOp::BitwiseOr, ident, *test_wire, whole, whole);
    end_expr = make_expression(model, false, support_name("_END_EXPR"), LogicOp::RelationEq,
                               or_test, *up_full, whole, whole);
    end_expr_inv = make_expression_single(model, false, support_name("_END_EXPR_INV"),
                                          LogicOp::BitwiseInvr, *end_expr, Slice{0, 1});
}

void SyncReg::build_update_event(ModelArena& model) {
    const std::string owner(ident.abs_name());
    trigger_sig.integrity_check(owner, model, ident, size);
    const HcpIdent& up = require_support_signal(up_state);
    const HcpIdent& cleared = require_support_signal(down_full);
    const HcpIdent& wire = require_support_signal(test_wire);
    const HcpIdent& ends = require_support_signal(end_expr);
    const HcpIdent& not_ends = require_support_signal(end_expr_inv);

    const Slice whole{0, size};
    constexpr Slice bit{0, 1};
    const TriggerSig& t = trigger_sig;
    append_event(model, ends, std::nullopt, cleared, whole, whole, PRI_CLEAR);
    append_on_control(model, t.hold(), ident, whole, PRI_HOLD);

    int32_t k = 0;
    for (const TriggerDepend& d : t.depend_list) {
        const HcpIdent activation =
            d.guard ? make_expression(model, false, format("{}_ACT_COND_{}", owner, k),
                                      LogicOp::BitwiseAnd, not_ends, *d.guard, bit, bit)
                    : not_ends;
        const Slice slot{k, k + 1};
        append_event(model, d.sig, activation, up, slot, bit, PRI_ARRIVE);

        const UpdateEventIdent now = make_ue_full(model, d.sig, d.guard, up, slot, bit, PRI_ARRIVE,
                                                  ClockMode::ClkFree, false, std::nullopt);
        auto w = take_hcp(model, wire);
        w->add_update_event(now);
        w.put_back();
        ++k;
    }
    assert_eq(t.depend_list.size(), size_t(size),
              format("SyncReg '{}': {} of {} bit slots filled", owner, t.depend_list.size(), size));

    append_on_control(model, t.int_reset(), cleared, whole, PRI_RESET);
    append_on_control(model, t.mrst(), cleared, whole, DEFAULT_UE_PRI_RST);
}

void SyncReg::carry_over(ModelArena& model, const std::vector<bool>& carry) {
    const auto& depends = trigger_sig.depend_list;
    constexpr Slice bit{0, 1};
    for (size_t k = 0; k < carry.size() && k < depends.size(); ++k) {
        if (!carry[k]) continue;
        const Slice slot{int32_t(k), int32_t(k) + 1};
        const HcpIdent again =
            make_expression(model, false, format("{}_CARRY_{}", ident.abs_name(), k),
                            LogicOp::BitwiseAnd, depends[k].sig, ident, bit, slot);
        append_event(model, again, depends[k].guard, require_support_signal(up_state), slot, bit,
                     PRI_ARRIVE);
    }
}

}  // namespace vorlent
