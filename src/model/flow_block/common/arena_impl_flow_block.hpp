// Reaching flow blocks by identity.
#pragma once

#include "model/flow_block/common/flow_block_ident.hpp"
#include "model/flow_block/common/flow_block_kinds.hpp"
#include "model/nodes/ncp_ident.hpp"

namespace vorlent {

class ModelArena;

// A flow block of any kind, taken out of its arena, used through FlowBlock.
using TakenFlowBlock = KindRecords<FlowBlockType>::apply<TakenAny, FlowBlock>;

// Takes the block out of the arena its type selects. The slot keeps a
// default block whose fresh identity draws one global id (two for a
// pipeline or zync block).
TakenFlowBlock take_flow_block(ModelArena& model, const FlowBlockIdent& ident);

// The block in place, read-only, with the checks of a take; draws no id.
const FlowBlock& get_flow_block(const ModelArena& model, const FlowBlockIdent& ident);
// The same, writable in place, for short steps that reach no other element.
FlowBlock& checked_mut_flow_block(ModelArena& model, const FlowBlockIdent& ident);

// Takes the block out, asks it for its summary and puts it back.
NodeWrap summarize_block(ModelArena& model, const FlowBlockIdent& ident);
// Takes the block out, asks it for its assignment node and puts it back.
NcpIdent summarize_node(ModelArena& model, const FlowBlockIdent& ident);

}  // namespace vorlent
