#pragma once

#include "model/nodes/ncp_ident.hpp"

namespace vorlent {

struct StartNode {
    NcpIdent ident;

    uint64_t arena_global_id() const { return ident.global_id(); }
    ArenaHandle arena_handle() const { return ident.handle(); }
    void set_arena_handle(ArenaHandle h) { ident.ident_base.set_arena_handle(h); }
    static StartNode arena_default() {
        StartNode e;
        e.ident = NcpIdent::make(NodeType::Start, false, "");
        return e;
    }
};

}  // namespace vorlent
