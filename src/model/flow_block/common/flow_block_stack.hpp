// The flow-block stack: the blocks that are open while a module's behaviour
// is described. Closing a block hands it to the block below it, or, at the
// bottom, to the traced module's top-level blocks. The head of a conditional
// chain closes lazily: it stays on the stack so elif/else blocks can attach.
#pragma once

#include <string_view>

#include "common/error_text.hpp"
#include "model/flow_block/common/flow_block_ident.hpp"
#include "model/nodes/ncp_ident.hpp"

namespace vorlent {

class ModelArena;

// Opens a block. A lazily closed head on top is closed for good first,
// unless the new block is a continuation (ConFlow). A block that was opened
// before (open, lazily closed or closed) is refused, with nothing changed,
// and so is a continuation that does not go right above a lazily closed head
// of its own kind whose chain has no else yet: "initialize_flow_block: flow
// block \"{}\" continues a chain, but " no chain head waits for it, the head
// waiting takes the other kind, or that chain ended with its else.
CheckResult initialize_flow_block(ModelArena& model, const FlowBlockIdent& block);

// Closes `block`, which must be on top; when `recursive` is false, one level
// above it is closed first, unless that is a chain head still open (it would
// only turn lazy). Any other block (one never opened, closed, or with open
// blocks inside it) is refused when `recursive` is false, with nothing
// changed: "finalize_flow_block: flow block \"{}\" is not open (it was never
// opened)" (or "(it is closed already)", or "is not the innermost open
// block"), then "; the block open now is \"{}\" (blocks are closed innermost
// first)" or "; no block is open now". So is a zync that holds nothing, while
// it is still open: the caller can describe what it does once granted and
// close it again.
CheckResult finalize_flow_block(ModelArena& model, const FlowBlockIdent& block, bool recursive);

// Closes what is left when a module's description ends: nothing, or one
// lazily closed head.
void finalize_flow_procedure(ModelArena& model);

// In a module's component phase, a chain head left lazily closed alone on
// the stack joins that module's top-level blocks at once: no continuation
// follows it in that phase, and left on the stack it would be closed by the
// next block or assignment, which may not close a block into a module whose
// behaviour is not being described. Anything else is left as it is.
void close_lone_head_in_component_phase(ModelArena& model);

// The order of calls a caller must keep, checked before anything changes.
// A block is opened while the module on top of the trace stack is tracked
// for its behaviour (track_module_at_flow_init): closed at the bottom of the
// stack, it joins that module. An assignment with no open block to take it
// (none open, or only a chain head that it closes first) is a loose
// assignment of the top module, which must be set by then. `where` is the
// caller's method, which the texts name.
CheckResult check_block_opens_in_flow_phase(const ModelArena& model, std::string_view where);
CheckResult check_loose_assignment_has_top(const ModelArena& model, std::string_view where);

// Attaches an assignment node to the innermost open block, or, with none
// open, to the top module's loose assignment nodes.
void attach_basic_node_to_current_scope(ModelArena& model, const NcpIdent& node);

// The type of the innermost SEQUENTIAL or PARALLEL entry; PARALLEL when none.
FlowBlockType get_last_skeleton_flow_block_type(const ModelArena& model);

// Runs the block's own completeness check (the block is taken out and put back).
CheckResult check_flow_block_prefinalize(ModelArena& model, const FlowBlockIdent& block);

}  // namespace vorlent
