#pragma once

#include "model/flow_block/common/flow_block_ident.hpp"
#include "model/complex_hardware/common/ccp_ident.hpp"

namespace vorlent {

struct FlowBlockZync {
    FlowBlockIdent ident;
    CcpIdent arb_placeholder;

    uint64_t arena_global_id() const { return ident.global_id(); }
    ArenaHandle arena_handle() const { return ident.handle(); }
    void set_arena_handle(ArenaHandle h) { ident.ident_base.set_arena_handle(h); }
    static FlowBlockZync arena_default() {
        FlowBlockZync e;
        // The placeholder arbiter identity draws its id before the block's own.
        e.arb_placeholder = CcpIdent::make(CcpType::Arb, false, "");
        e.ident = FlowBlockIdent::make(FlowBlockType::Zync, FlowBlockJoinPolicy::SubFlow, "", false);
        return e;
    }
};

}  // namespace vorlent
