// A case statement: item k applies sub_stmts[k] when the selector equals
// sub_stmt_idxs[k].
#pragma once

#include <vector>

#include "model/hw_component/update_event/ue_common.hpp"

namespace vorlent {

class UeSwitch : public UeCompoundRecord {
public:
    HcpIdent selector;
    std::vector<int32_t> sub_stmt_idxs;
    std::vector<std::optional<UpdateEventIdent>> sub_stmts;
    bool common_set = false;  // set once the common part came from a case

    void gather_own_dep_hcps(HcpSet& set) const override;
    void remap_own_dep_hcps(const HcpMap& map) override;
    void add_sub_events(std::vector<UpdateEventIdent>& out) const override;

    static UeSwitch arena_default() { return UeSwitch{}; }
};

}  // namespace vorlent
