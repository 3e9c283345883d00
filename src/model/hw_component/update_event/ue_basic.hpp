// One rule: destination bits [des_start, des_stop) take source bits
// [src_start, src_stop). The destination is the component whose pool holds
// the event.
#pragma once

#include "model/hw_component/update_event/ue_common.hpp"

namespace vorlent {

class UeBasic : public UeRecord {
public:
    HcpIdent src;
    int32_t des_start = 0;
    int32_t des_stop = 0;
    int32_t src_start = 0;
    int32_t src_stop = 0;

    bool is_leaf() const override { return true; }
    void gather_own_dep_hcps(HcpSet& set) const override;
    void remap_own_dep_hcps(const HcpMap& map) override;

    static UeBasic arena_default() { return UeBasic{}; }
};

}  // namespace vorlent
