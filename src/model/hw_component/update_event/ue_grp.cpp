#include "model/hw_component/update_event/ue_grp.hpp"

namespace vorlent {

void UeGrp::gather_own_dep_hcps(HcpSet&) const {}

void UeGrp::remap_own_dep_hcps(const HcpMap& map) { remap_clk_src(map); }

void UeGrp::add_sub_events(std::vector<UpdateEventIdent>& out) const {
    out.insert(out.end(), events.begin(), events.end());
}

}  // namespace vorlent
