// Reaching control nodes by identity, the two-phase assignment of a node,
// and the model operations on assignment nodes.
#pragma once

#include <optional>
#include <vector>

#include "model/flow_block/common/node_wrap.hpp"
#include "model/nodes/node_kinds.hpp"

namespace vorlent {

class ModelArena;

// A node of any kind taken out of its arena, used through NcpNode.
// put_back() is its replace_back_into_arena: it returns the node to its
// slot by the handle in its own identity.
using TakenNode = KindRecords<NodeType>::apply<TakenAny, NcpNode>;

// Takes the node out of the arena its type selects. The slot keeps a
// default node whose fresh identity draws one global id.
TakenNode take_ncp_node(ModelArena& model, const NcpIdent& ident);

// The node in place, read-only or mutable, with the checks of a take (a node
// that is taken out at the moment is refused); draws no id.
const NcpNode& get_ncp_node(const ModelArena& model, const NcpIdent& ident);
NcpNode& get_ncp_node_mut(ModelArena& model, const NcpIdent& ident);

// Whether `exit` can fire in the cycle in which one of `entries` is started:
// some path leads from an entry's starting edge to `exit` through nodes that
// pass a firing on at once (pseudo and sync nodes). A structural answer: the
// path counts even where its guards never all hold. `made`: the ids drawn
// while the block of `exit` and `entries` was built, which lets the walk be
// kept for later ones (model.at_once_regions); empty, nothing is kept. Draws
// no id.
bool exit_follows_entries_at_once(ModelArena& model, const NcpIdent& exit,
                                  const EntryList& entries, IdSpan made);

// Takes the node out, runs its preliminary phase if `prelim`, then its
// final phase if `final`, and puts it back (also with both flags clear).
void assign_ncp_node(ModelArena& model, const NcpIdent& ident, bool prelim, bool final);

// The assignment-node operations. Each checks that the node is an
// assignment node (equality assertion on its type), takes it out, runs the
// step and puts it back.
void dry_assign_asm_node(ModelArena& model, const NcpIdent& node);
// Clocks the node's edge-clocked assignments from its clk trigger node.
void init_asm_node_clk_src(ModelArena& model, const NcpIdent& node);
void assign_asm_from_state_node(ModelArena& model, const NcpIdent& node);
// Clocks the node's edge-clocked assignments from `clk`.
void set_asm_node_clk_src_direct(ModelArena& model, const NcpIdent& node, const HcpIdent& clk);
void apply_asm_node_pending_pre_cond(ModelArena& model, const NcpIdent& node);

}  // namespace vorlent
