#include "model/hw_component/sp_reg/state_reg.hpp"

#include "model/hw_component/arena_factory_hcp.hpp"

namespace vorlent {

namespace {
// Lowest first; the higher wins a cycle.
enum StateRegPri : int32_t { PRI_UNSET = SP_REG_PRI_LOWEST, PRI_HOLD, PRI_RESET, PRI_SET };
}  // namespace

StateReg StateReg::make(ModelArena& model, bool is_user_com, std::string_view name) {
    HcpIdent set = make_val(model, false, format("{}_SET", name), 1, 1);
    HcpIdent unset = make_val(model, false, format("{}_UNSET", name), 1, 0);
    StateReg r(HcpIdent::make(HwComponentType::StateReg, Sensitivity::Clocked, is_user_com, name));
    r.set_val = std::move(set);
    r.unset_val = std::move(unset);
    return r;
}

void StateReg::build_update_event(ModelArena& model) {
    const std::string owner(ident.abs_name());
    trigger_sig.integrity_check(owner, model, ident, 1);
    if (!trigger_sig.clk()) fatal("StateReg::build_update_event: clk_sig_i not assigned");

    constexpr Slice bit{0, 1};
    const TriggerSig& t = trigger_sig;
    append_event(model, std::nullopt, std::nullopt, unset_val, bit, bit, PRI_UNSET);
    // A held state keeps its value, so a held block resumes where it was
    // instead of turning every one of its states on.
    append_on_control(model, t.hold(), ident, bit, PRI_HOLD);
    append_on_depends(model, set_val, bit, PRI_SET);
    append_on_control(model, t.int_reset(), unset_val, bit, PRI_RESET);
    append_on_control(model, t.mrst(), unset_val, bit, DEFAULT_UE_PRI_RST);
}

}  // namespace vorlent
