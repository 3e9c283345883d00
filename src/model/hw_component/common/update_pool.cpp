#include "model/hw_component/common/update_pool.hpp"

#include <algorithm>

#include "model/hw_component/update_event/arena_impl_update_event.hpp"

namespace vorlent {

void UpdatePool::sort_events(const ModelArena& model) {
    // Read every key once; the comparison itself then touches no arena.
    struct Keyed {
        int32_t priority;
        uint64_t sub_priority;
        UpdateEventIdent ue;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(events.size());
    for (auto& ue : events) {
        const UeCommon& c = get_ue_common(model, ue);
        keyed.push_back(Keyed{c.priority, c.sub_priority, std::move(ue)});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.priority != b.priority) return a.priority < b.priority;
        return a.sub_priority < b.sub_priority;
    });
    for (size_t i = 0; i < keyed.size(); ++i) events[i] = std::move(keyed[i].ue);
}

// In place: events reach only other events and the set or map, never the
// component that owns this pool.
void UpdatePool::gather_dep_hcps(HcpSet& set, ModelArena& model) const {
    for (const auto& ue : events) gather_dep_hcps_of(model, ue, set);
}

void UpdatePool::remap_dep_hcps(const HcpMap& map, ModelArena& model) const {
    for (const auto& ue : events) remap_dep_hcps_of(model, ue, map);
}

}  // namespace vorlent
