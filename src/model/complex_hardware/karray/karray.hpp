#pragma once

#include "model/complex_hardware/common/ccp_ident.hpp"

namespace vorlent {

struct Karray {
    CcpIdent ident;

    uint64_t arena_global_id() const { return ident.global_id(); }
    ArenaHandle arena_handle() const { return ident.handle(); }
    void set_arena_handle(ArenaHandle h) { ident.ident_base.set_arena_handle(h); }
    static Karray arena_default() {
        Karray e;
        e.ident = CcpIdent::make(CcpType::Karray, false, "");
        return e;
    }
};

}  // namespace vorlent
