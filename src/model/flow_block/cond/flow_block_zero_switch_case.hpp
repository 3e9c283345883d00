#pragma once

#include "model/flow_block/common/flow_block_ident.hpp"

namespace vorlent {

struct FlowBlockZeroSwitchCase {
    FlowBlockIdent ident;

    uint64_t arena_global_id() const { return ident.global_id(); }
    ArenaHandle arena_handle() const { return ident.handle(); }
    void set_arena_handle(ArenaHandle h) { ident.ident_base.set_arena_handle(h); }
    static FlowBlockZeroSwitchCase arena_default() {
        FlowBlockZeroSwitchCase e;
        e.ident = FlowBlockIdent::make(FlowBlockType::ZeroSwitchCase, FlowBlockJoinPolicy::SubFlow, "", false);
        return e;
    }
};

}  // namespace vorlent
