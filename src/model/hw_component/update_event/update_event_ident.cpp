#include "model/hw_component/update_event/update_event_ident.hpp"

namespace vorlent {

std::string_view ue_type_display(UeType t) {
    switch (t) {
        case UeType::Basic: return "UE_BASIC";
        case UeType::Grp: return "UE_GRP";
        case UeType::Cond: return "UE_COND";
        case UeType::Switch: return "UE_SWITCH";
        case UeType::Untype: return "UE_UNTYPE";
    }
    return "UE_UNTYPE";
}

UpdateEventIdent UpdateEventIdent::make(UeType kind) {
    const uint64_t id = next_global_id();
    UpdateEventIdent u;
    u.kind = kind;
    u.ident_base = IdentBase(id, false, "", format("{}_{}", ue_type_display(kind), id));
    return u;
}

std::string debug_repr(const UpdateEventIdent& u) {
    return format("UpdateEventIdent { ident_base: {}, kind: {} }", debug_repr(u.ident_base),
                  ue_type_display(u.kind));
}

}  // namespace vorlent
