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

void gather_dep_hcps_of(ModelArena& model, const UpdateEventIdent& ue, HcpSet& set) {
    auto taken = take_ue(model, ue);
    taken->gather_dep_hcps(set, model);
    taken.put_back();
}

void remap_dep_hcps_of(ModelArena& model, const UpdateEventIdent& ue, const HcpMap& map) {
    auto taken = take_ue(model, ue);
    taken->remap_dep_hcps(map, model);
    taken.put_back();
}

}  // namespace vorlent
