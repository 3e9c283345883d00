#pragma once

#include "model/flow_block/common/flow_block_ident.hpp"

namespace vorlent {

struct FlowBlockWait {
    FlowBlockIdent ident;

    uint64_t arena_global_id() const { return ident.global_id(); }
    ArenaHandle arena_handle() const { return ident.handle(); }
    void set_arena_handle(ArenaHandle h) { ident.ident_base.set_arena_handle(h); }
    static FlowBlockWait arena_default() {
        FlowBlockWait e;
        e.ident = FlowBlockIdent::make(FlowBlockType::Wait, FlowBlockJoinPolicy::SubFlow, "", false);
        return e;
    }
};

}  // namespace vorlent
