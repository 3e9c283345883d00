#include "model/hw_component/update_event/ue_cond.hpp"

#include "model/hw_component/update_event/arena_impl_update_event.hpp"

namespace vorlent {

void UeCond::add_branch(std::optional<HcpIdent> cond, std::optional<UpdateEventIdent> sub_stmt,
                        const UeCommon& reference) {
    if (is_last_occure) fatal("assertion failed: !self.is_last_occure");
    if (!cond) is_last_occure = true;
    if (sub_stmts.empty()) {
        common.priority = reference.priority;
        common.clk_mode = reference.clk_mode;
        common.clk_src_i = reference.clk_src_i;
    }
    conds.push_back(std::move(cond));
    sub_stmts.push_back(std::move(sub_stmt));
}

void UeCond::gather_dep_hcps(HcpSet& set, ModelArena& model) {
    for (const auto& c : conds)
        if (c) set.insert(*c);
    for (const auto& ue : sub_stmts)
        if (ue) gather_dep_hcps_of(model, *ue, set);
}

void UeCond::remap_dep_hcps(const HcpMap& map, ModelArena& model) {
    for (auto& c : conds) remap_hcp(c, map);
    for (const auto& ue : sub_stmts)
        if (ue) remap_dep_hcps_of(model, *ue, map);
    remap_clk_src(map);
}

}  // namespace vorlent
