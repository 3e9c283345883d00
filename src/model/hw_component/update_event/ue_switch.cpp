#include "model/hw_component/update_event/ue_switch.hpp"

#include "model/hw_component/update_event/arena_impl_update_event.hpp"

namespace vorlent {

void UeSwitch::gather_dep_hcps(HcpSet& set, ModelArena& model) {
    set.insert(selector);
    for (const auto& ue : sub_stmts)
        if (ue) gather_dep_hcps_of(model, *ue, set);
}

void UeSwitch::remap_dep_hcps(const HcpMap& map, ModelArena& model) {
    remap_hcp(selector, map);
    for (const auto& ue : sub_stmts)
        if (ue) remap_dep_hcps_of(model, *ue, map);
    remap_clk_src(map);
}

}  // namespace vorlent
