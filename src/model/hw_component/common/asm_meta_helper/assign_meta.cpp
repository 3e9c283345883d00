#include "model/hw_component/common/asm_meta_helper/assign_meta.hpp"

#include "model/hw_component/update_event/arena_factory_update_event.hpp"
#include "model/hw_component/update_event/arena_impl_update_event.hpp"

namespace vorlent {

void AssignMeta::apply_pending_pre_cond(ModelArena& model) {
    std::optional<HcpIdent> cond = std::exchange(pending_pre_cond, std::nullopt);
    if (!cond) return;
    add_specific_pre_condition(*cond, model);
}

void AssignMeta::add_specific_pre_condition(const HcpIdent& cond, ModelArena& model) {
    const UeCommon& common = get_ue_common(model, cur_ue);
    const bool has_clk_src = common.clk_src_i.has_value();
    if (common.clk_mode == ClockMode::ClkFree && has_clk_src)
        fatal("make_ue_*: clk_src must be None when clk_mode is ClkFree");
    if (is_edge_clocked(common.clk_mode) && !has_clk_src)
        fatal("make_ue_*: clk_src must be assigned when clk_mode is Posedge or NegEdge");
    cur_ue = make_ue_add_dis(model, cond, std::nullopt, cur_ue);
}

}  // namespace vorlent
