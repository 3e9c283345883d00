#pragma once

#include "model/hw_component/update_event/update_event_ident.hpp"

namespace vorlent {

struct UeCond {
    UpdateEventIdent ident;

    uint64_t arena_global_id() const { return ident.global_id(); }
    ArenaHandle arena_handle() const { return ident.handle(); }
    void set_arena_handle(ArenaHandle h) { ident.ident_base.set_arena_handle(h); }
    static UeCond arena_default() {
        return UeCond{};
    }
};

}  // namespace vorlent
