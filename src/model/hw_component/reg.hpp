#pragma once

#include "model/hw_component/common/hcp_ident.hpp"

namespace vorlent {

struct Reg {
    HcpIdent ident;

    uint64_t arena_global_id() const { return ident.global_id(); }
    ArenaHandle arena_handle() const { return ident.handle(); }
    void set_arena_handle(ArenaHandle h) { ident.ident_base.set_arena_handle(h); }
    static Reg arena_default() {
        return Reg{};
    }
};

}  // namespace vorlent
