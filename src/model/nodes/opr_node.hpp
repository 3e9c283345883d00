// A control node that stands for an existing 1-bit signal (a clock, a reset,
// a start input), so the signal can be used wherever a node is expected.
#pragma once

#include "model/hw_component/common/hcp_ident.hpp"
#include "model/nodes/ncp_ident.hpp"

namespace vorlent {

struct OprNode {
    NcpIdent ident;
    HcpIdent operand;

    uint64_t arena_global_id() const { return ident.global_id(); }
    ArenaHandle arena_handle() const { return ident.handle(); }
    void set_arena_handle(ArenaHandle h) { ident.ident_base.set_arena_handle(h); }
    static OprNode arena_default() {
        OprNode e;
        e.ident = NcpIdent::make(NodeType::Opr, false, "");
        return e;
    }
};

}  // namespace vorlent
