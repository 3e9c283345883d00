#include "model/hw_component/sp_reg/cnt_reg.hpp"

#include <algorithm>

#include "model/hw_component/arena_factory_hcp.hpp"

namespace vorlent {

namespace {
// Lowest first; the higher wins a cycle.
enum CntRegPri : int32_t { PRI_COUNT = SP_REG_PRI_LOWEST + 1, PRI_HOLD, PRI_RESET };
}  // namespace

int32_t CntReg::width_for(int32_t max_cycle) {
    return std::max(floor_log2_i32(2.0 * double(max_cycle) - 1.0), 1);
}

CntReg CntReg::make(bool is_user_com, std::string_view name, int32_t inc_val, int32_t max_cycle) {
    if (max_cycle < 0) fatal("max_cycle must be positive");
    if (max_cycle == 0) fatal("assertion failed: max_number > 0");
    if (inc_val < 1) fatal("inc_val must be positive");
    return CntReg(HcpIdent::make(HwComponentType::CntReg, Sensitivity::Clocked, is_user_com, name),
                  width_for(max_cycle), inc_val, max_cycle);
}

void CntReg::build_support_signal(ModelArena& model) {
    const Slice whole{0, width};
    last_cycle =
        make_val(model, false, support_name("_LAST_CYCLE"), width, uint64_t(max_cycle - 1));
    zero = make_val(model, false, support_name("_ZERO"), width, 0);
    at_last = make_expression(model, false, support_name("_AT_LAST"), LogicOp::RelationEq, ident,
                              *last_cycle, whole, whole);
    const HcpIdent inc_step =
        make_val(model, false, support_name("_INC_VAL"), width, uint64_t(inc_val));
    inc = make_expression(model, false, support_name("_INC"), LogicOp::ArithPlus, ident, inc_step,
                          whole, whole);
}

HcpIdent CntReg::generate_end_expr() const {
    if (!at_last) fatal("build_support_signal must be called before generate_end_expr");
    return *at_last;
}

void CntReg::build_update_event(ModelArena& model) {
    const std::string owner(ident.abs_name());
    trigger_sig.integrity_check(owner, model, ident, width);
    const HcpIdent& cleared = require_support_signal(zero);
    const HcpIdent& next = require_support_signal(inc);

    const Slice whole{0, width};
    const TriggerSig& t = trigger_sig;
    append_on_depends(model, next, whole, PRI_COUNT);
    append_on_control(model, t.hold(), ident, whole, PRI_HOLD);
    append_on_control(model, t.int_reset(), cleared, whole, PRI_RESET);
    append_on_control(model, t.mrst(), cleared, whole, DEFAULT_UE_PRI_RST);
}

}  // namespace vorlent
