#include "model/hw_component/update_event/ue_basic.hpp"

namespace vorlent {

void UeBasic::gather_own_dep_hcps(HcpSet& set) const {
    set.insert(src);
    if (common.clk_src_i) set.insert(*common.clk_src_i);
}

void UeBasic::remap_own_dep_hcps(const HcpMap& map) {
    remap_hcp(src, map);
    remap_clk_src(map);
}

}  // namespace vorlent
