#include "model/hw_component/update_event/ue_switch.hpp"

namespace vorlent {

void UeSwitch::gather_own_dep_hcps(HcpSet& set) const { set.insert(selector); }

void UeSwitch::remap_own_dep_hcps(const HcpMap& map) {
    remap_hcp(selector, map);
    remap_clk_src(map);
}

void UeSwitch::add_sub_events(std::vector<UpdateEventIdent>& out) const {
    for (const auto& ue : sub_stmts)
        if (ue) out.push_back(*ue);
}

}  // namespace vorlent
