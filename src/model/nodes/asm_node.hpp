// A control node that carries one or more assignments; its trigger set
// decides under which condition their events reach the destinations' pools.
#pragma once

#include <vector>

#include "model/hw_component/common/asm_meta_helper/assign_meta.hpp"
#include "model/nodes/ncp_ident.hpp"
#include "model/nodes/node_triggers.hpp"

namespace vorlent {

struct AsmNode {
    std::vector<AssignMeta> asm_metas;
    NodeTriggers triggers;
    NcpIdent ident;

    uint64_t arena_global_id() const { return ident.global_id(); }
    ArenaHandle arena_handle() const { return ident.handle(); }
    void set_arena_handle(ArenaHandle h) { ident.ident_base.set_arena_handle(h); }
    static AsmNode arena_default() {
        AsmNode e;
        e.ident = NcpIdent::make(NodeType::Asm, false, "");
        return e;
    }
};

}  // namespace vorlent
