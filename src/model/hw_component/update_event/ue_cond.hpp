// An if / else-if / else chain of events: branch k applies sub_stmts[k]
// when conds[k] holds and no earlier condition did. An absent condition is
// the else branch; an absent event leaves the destination unchanged.
#pragma once

#include <vector>

#include "common/small_vec.hpp"
#include "model/hw_component/update_event/ue_common.hpp"

namespace vorlent {

class UeCond : public UeCompoundRecord {
public:
    bool is_last_occure = false;  // set once the else branch is added
    // Most chains have one branch: it is kept in place.
    SmallVec<OptIdent<HcpIdent>, 1> conds;
    SmallVec<OptIdent<UpdateEventIdent>, 1> sub_stmts;

    // Appends one branch. Nothing may follow an else branch. The first
    // branch takes priority, clock mode and clock source from `reference`,
    // the common part of the event the caller names for it.
    void add_branch(std::optional<HcpIdent> cond, std::optional<UpdateEventIdent> sub_stmt,
                    const UeCommon& reference);

    void gather_own_dep_hcps(HcpSet& set) const override;
    void remap_own_dep_hcps(const HcpMap& map) override;
    void add_sub_events(std::vector<UpdateEventIdent>& out) const override;

    static UeCond arena_default() { return UeCond{}; }
};

}  // namespace vorlent
