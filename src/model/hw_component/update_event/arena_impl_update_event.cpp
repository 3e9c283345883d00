#include "model/hw_component/update_event/arena_impl_update_event.hpp"

#include "model/model_arena.hpp"

namespace vorlent {

namespace {
// Calls `f` with the record class behind the event's kind; Untype stops.
template <class F>
decltype(auto) with_ue_kind(const UpdateEventIdent& ue, F&& f) {
    return visit_kind(ue.kind, f, []() -> decltype(f(std::type_identity<UeBasic>{})) {
        fatal("UpdateEventIdent has UeType::Untype");
    });
}
}  // namespace

const UeCommon& get_ue_common(const ModelArena& model, const UpdateEventIdent& ue) {
    return with_ue_kind(ue, [&]<class T>(std::type_identity<T>) -> const UeCommon& {
        return model.get<T>(ue).common;
    });
}

TakenUe take_ue(ModelArena& model, const UpdateEventIdent& ue) {
    return with_ue_kind(
        ue, [&]<class T>(std::type_identity<T>) -> TakenUe { return model.take<T>(ue); });
}

namespace {
// The event in place, with the checks of take_ue.
UpdatingEvent& ue_checked_mut(ModelArena& model, const UpdateEventIdent& ue) {
    return with_ue_kind(ue, [&]<class T>(std::type_identity<T>) -> UpdatingEvent& {
        return model.checked_mut<T>(ue);
    });
}

// Runs `visit` on the event and on every event nested in it, each read in
// place. The walk keeps its own list, so nesting of any depth is visited;
// the order is not the caller's concern.
template <class Visit>
void for_each_nested_ue(ModelArena& model, const UpdateEventIdent& root, Visit visit) {
    std::vector<UpdateEventIdent> pending;  // allocates only below a compound event
    UpdateEventIdent ue = root;
    while (true) {
        UpdatingEvent& event = ue_checked_mut(model, ue);
        visit(event);
        event.add_sub_events(pending);
        if (pending.empty()) return;
        ue = std::move(pending.back());
        pending.pop_back();
    }
}

}  // namespace

void gather_dep_hcps_of(ModelArena& model, const UpdateEventIdent& ue, HcpSet& set) {
    for_each_nested_ue(model, ue, [&](const UpdatingEvent& e) { e.gather_own_dep_hcps(set); });
}

void remap_dep_hcps_of(ModelArena& model, const UpdateEventIdent& ue, const HcpMap& map) {
    for_each_nested_ue(model, ue, [&](UpdatingEvent& e) { e.remap_own_dep_hcps(map); });
}

}  // namespace vorlent
