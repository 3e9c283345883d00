#pragma once

#include "model/nodes/ncp_ident.hpp"

namespace vorlent {

struct PseudoNode {
    NcpIdent ident;

    uint64_t arena_global_id() const { return ident.global_id(); }
    ArenaHandle arena_handle() const { return ident.handle(); }
    void set_arena_handle(ArenaHandle h) { ident.ident_base.set_arena_handle(h); }
    static PseudoNode arena_default() {
        PseudoNode e;
        e.ident = NcpIdent::make(NodeType::Pseudo, false, "");
        return e;
    }
};

}  // namespace vorlent
