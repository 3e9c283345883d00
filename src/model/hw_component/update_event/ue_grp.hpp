// A group of events applied one after the other.
#pragma once

#include <vector>

#include "model/hw_component/update_event/ue_common.hpp"

namespace vorlent {

class UeGrp : public UeCompoundRecord {
public:
    std::vector<UpdateEventIdent> events;

    void gather_own_dep_hcps(HcpSet& set) const override;
    void remap_own_dep_hcps(const HcpMap& map) override;
    void add_sub_events(std::vector<UpdateEventIdent>& out) const override;

    static UeGrp arena_default() { return UeGrp{}; }
};

}  // namespace vorlent
