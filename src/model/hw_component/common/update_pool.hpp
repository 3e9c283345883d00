// The update events that drive one component, in the order they were added.
// The events stay in their arenas; the pool holds their identities only.
#pragma once

#include "common/small_vec.hpp"
#include "model/hw_component/common/hcp_dep.hpp"
#include "model/hw_component/update_event/update_event_ident.hpp"

namespace vorlent {

class ModelArena;

struct UpdatePool {
    // Every component has a pool, and many hold no or few events.
    SmallVec<UpdateEventIdent, 0> events;

    // Appends without any check of kind, duplicates or destination.
    void add_update_event(UpdateEventIdent ue) { events.push_back(std::move(ue)); }

    // Stable sort by ascending (priority, sub-priority) of each event's
    // common part; equal keys keep their order of addition.
    void sort_events(const ModelArena& model);

    // Each event is taken out, asked for its reads (or remapped), and put back.
    void gather_dep_hcps(HcpSet& set, ModelArena& model) const;
    void remap_dep_hcps(const HcpMap& map, ModelArena& model) const;

    friend bool operator==(const UpdatePool&, const UpdatePool&) = default;
};

}  // namespace vorlent
