#include "model/hw_component/update_event/update_event_ident.hpp"

namespace vorlent {

std::string_view ue_type_display(UeType t) {
    static constexpr std::string_view NAMES[] = {VORLENT_UE_KINDS(VORLENT_KIND_TEXT)};
    return size_t(t) < KIND_COUNT<UeType> ? NAMES[size_t(t)] : "UE_UNTYPE";
}

UpdateEventIdent UpdateEventIdent::make(UeType kind) {
    UpdateEventIdent u;
    u.id = next_global_id();
    u.kind = kind;
    u.named = true;
    return u;
}

std::string UpdateEventIdent::abs_name() const {
    return named ? format("{}_{}", ue_type_display(kind), global_id()) : std::string();
}

std::string debug_repr(const UpdateEventIdent& u) {
    // The identity record as it would read with its name stored in it.
    const NameStoreScope own_names(nullptr);
    IdentBase shown(u.global_id(), false, "", u.abs_name());
    shown.set_arena_handle(u.handle());
    return format("UpdateEventIdent { ident_base: {}, kind: {} }", debug_repr(shown),
                  ue_type_display(u.kind));
}

}  // namespace vorlent
