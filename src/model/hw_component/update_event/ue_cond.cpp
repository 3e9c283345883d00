#include "model/hw_component/update_event/ue_cond.hpp"

#include "common/fatal.hpp"

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

void UeCond::gather_own_dep_hcps(HcpSet& set) const {
    for (const auto& c : conds)
        if (c) set.insert(*c);
}

void UeCond::remap_own_dep_hcps(const HcpMap& map) {
    for (auto& c : conds) remap_hcp(c, map);
    remap_clk_src(map);
}

void UeCond::add_sub_events(std::vector<UpdateEventIdent>& out) const {
    for (const auto& ue : sub_stmts)
        if (ue) out.push_back(*ue);
}

}  // namespace vorlent
