#include "model/hw_component/update_event/arena_impl_update_event.hpp"

namespace vorlent {

namespace {
[[noreturn]] void untyped() { fatal("UpdateEventIdent has UeType::Untype"); }
}  // namespace

const UeCommon& get_ue_common(const ModelArena& model, const UpdateEventIdent& ue) {
    switch (ue.kind) {
        case UeType::Basic: return model.get<UeBasic>(ue).common;
        case UeType::Grp: return model.get<UeGrp>(ue).common;
        case UeType::Cond: return model.get<UeCond>(ue).common;
        case UeType::Switch: return model.get<UeSwitch>(ue).common;
        case UeType::Untype: break;
    }
    untyped();
}

TakenUe take_ue(ModelArena& model, const UpdateEventIdent& ue) {
    switch (ue.kind) {
        case UeType::Basic: return model.take<UeBasic>(ue);
        case UeType::Grp: return model.take<UeGrp>(ue);
        case UeType::Cond: return model.take<UeCond>(ue);
        case UeType::Switch: return model.take<UeSwitch>(ue);
        case UeType::Untype: break;
    }
    untyped();
}

namespace {
// The event in place, with the checks of take_ue.
UpdatingEvent& ue_checked_mut(ModelArena& model, const UpdateEventIdent& ue) {
    switch (ue.kind) {
        case UeType::Basic: return model.checked_mut<UeBasic>(ue);
        case UeType::Grp: return model.checked_mut<UeGrp>(ue);
        case UeType::Cond: return model.checked_mut<UeCond>(ue);
        case UeType::Switch: return model.checked_mut<UeSwitch>(ue);
        case UeType::Untype: break;
    }
    untyped();
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
