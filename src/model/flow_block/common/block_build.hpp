// Shared block building: what every block's build runs before its own
// schematic, and the helpers the schematics share.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "model/flow_block/common/flow_block_base.hpp"
#include "model/flow_block/common/node_wrap.hpp"
#include "model/hw_component/common/asm_meta_helper/assign_meta.hpp"

namespace vorlent {

class ModelArena;

// Builds a block and, first, every block nested in it. Each block runs its
// kind's prepare_build, hands its control sources to its children, has its
// children built (sub-blocks, then continuations), makes its control nodes,
// prepares its own assignment nodes and runs its schematic. The walk keeps
// its own stack, so nesting of any depth is built; each block stays out of
// its arena from its first step to its last, as its children are built.
void build_flow_block(ModelArena& model, const FlowBlockIdent& block);

// The assignments of the block's own nodes and of its BasicNodeFlow children,
// in the order the caller wrote them, folded into one AssignMeta per
// destination group.
std::vector<AssignMeta> gen_unified_asm_meta_flat(const FlowBlockBase& base, ModelArena& model);

// Splits a child list by join policy: (BasicNodeFlow blocks, SubFlow blocks).
// A ConFlow block is refused.
std::pair<std::vector<FlowBlockIdent>, std::vector<FlowBlockIdent>> scan_sub_blocks_by_policy(
    const std::vector<FlowBlockIdent>& sub_blocks);

// Makes every entry node of `wrap` wait for `pred`, guarded by `guard` when given.
void add_edge_to_entries(ModelArena& model, const NodeWrap& wrap, const NcpIdent& pred,
                         const std::optional<HcpIdent>& guard);

// Makes `entry` the block's first node: it runs on the block's triggers and
// after the block's internal start, is kept among the block's generated
// nodes and is assigned.
void open_block_entry(ModelArena& model, FlowBlockBase& base, const NcpIdent& entry);

}  // namespace vorlent
