// The entries of the model's working stacks: the module trace stack, the
// pending component list and the flow-block stack; and what build_flow keeps
// of its walks over the nodes while it runs.
#pragma once

#include <unordered_map>
#include <vector>

#include "model/flow_block/common/flow_block_ident.hpp"
#include "model/flow_block/common/node_wrap.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/module/module_ident.hpp"

namespace vorlent {

struct PendingHcp {
    HcpIdent ident;
    bool is_user_com;
};

struct ModuleTraceEntry {
    ModuleIdent module;
    ModuleInitStage stage;
};

struct FlowBlockStackEntry {
    FlowBlockIdent block;
    BlockTrackStatus status;
};

// A built block whose exit a walk back through the nodes that pass a firing
// on at once has been through (exit_follows_entries_at_once): the ids of its
// nodes, and those of its nodes that walk reached through which a later walk
// can leave it: its entries, which its parent joins to nodes of its own, and
// any node with a predecessor made outside it. A later walk that reaches the
// exit goes on from these instead of walking the block's inside again. That
// holds because a built block is joined to the rest at its exit and its
// entries only: later nodes depend on its exit, and only its entries gain
// predecessors once it is built.
struct AtOnceRegion {
    IdSpan made;
    std::vector<NcpIdent> ways_out;
};
using AtOnceRegions = std::unordered_map<uint64_t, AtOnceRegion>;  // by exit node id

}  // namespace vorlent
