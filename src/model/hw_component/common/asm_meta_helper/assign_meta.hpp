// One assignment as the control-flow layer carries it: the destination and
// the update event that stands for the assignment. Conditions wrap the event
// in further conditional events; `origin_ue` keeps the unconditioned one.
#pragma once

#include <optional>

#include "common/small_vec.hpp"
#include "model/controller/clock_mode.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/update_event/update_event_ident.hpp"

namespace vorlent {

class ModelArena;

struct AssignMeta {
    HcpIdent des;
    OptIdent<HcpIdent> pending_pre_cond;  // a 1-bit condition applied later
    UpdateEventIdent cur_ue;
    UpdateEventIdent origin_ue;
    ClockMode clk_mode = ClockMode::ClkUnused;

    // Clears `pending_pre_cond` and, when it was present, makes the current
    // event conditional on it (see add_specific_pre_condition).
    void apply_pending_pre_cond(ModelArena& model);

    // Wraps the current event in a one-branch conditional event on `cond`.
    // An edge-clocked event must already have its clock source, and a
    // clock-free one must have none: the node layer sets the source after
    // the event is made, so conditions come after that.
    void add_specific_pre_condition(const HcpIdent& cond, ModelArena& model);

    friend bool operator==(const AssignMeta&, const AssignMeta&) = default;
};

// The assignments of one node: mostly one, kept in place.
using AssignMetaList = SmallVec<AssignMeta, 1>;

}  // namespace vorlent
