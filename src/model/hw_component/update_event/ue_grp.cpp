#include "model/hw_component/update_event/ue_grp.hpp"

#include "model/hw_component/update_event/arena_impl_update_event.hpp"

namespace vorlent {

void UeGrp::gather_dep_hcps(HcpSet& set, ModelArena& model) {
    for (const auto& ue : events) gather_dep_hcps_of(model, ue, set);
}

void UeGrp::remap_dep_hcps(const HcpMap& map, ModelArena& model) {
    for (const auto& ue : events) remap_dep_hcps_of(model, ue, map);
    remap_clk_src(map);
}

}  // namespace vorlent
