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
// The event in place, with the checks of take_ue: gathering and renaming
// reach only the events nested in it, never the event itself again.
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
}  // namespace

void gather_dep_hcps_of(ModelArena& model, const UpdateEventIdent& ue, HcpSet& set) {
    ue_checked_mut(model, ue).gather_dep_hcps(set, model);
}

void remap_dep_hcps_of(ModelArena& model, const UpdateEventIdent& ue, const HcpMap& map) {
    ue_checked_mut(model, ue).remap_dep_hcps(map, model);
}

}  // namespace vorlent
