// A combinational join: its exit is the AND or the OR of its (guarded)
// predecessors' exits. The exit expression exists from the start, so
// successors can read it before the node is assigned.
#pragma once

#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/common/logic_op.hpp"
#include "model/nodes/ncp_ident.hpp"
#include "model/nodes/node_triggers.hpp"

namespace vorlent {

struct PseudoNode {
    HcpIdent expr;  // the empty expression "pseudo_init_expr", given its source when assigned
    NodeTriggers triggers;
    NcpIdent ident;
    uint32_t width = 0;
    LogicOp join_op = LogicOp::BitwiseAnd;  // BitwiseAnd or BitwiseOr

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
