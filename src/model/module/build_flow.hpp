// Flow building: lowers the whole described design, once per model, into
// clocked hardware. The top module gets the ports "clk" and "mrst" and the
// start node "start"; then every module of its tree, depth first, builds its
// top-level blocks (waiting for "start"), its loose assignments, its complex
// components, its register resets and wire defaults. An arbiter served by a
// pipeline block of a module built later is built right after that module,
// since the pipeline sets its master acknowledge.
#pragma once

#include "common/error_text.hpp"
#include "model/module/module.hpp"

namespace vorlent {

class ModelArena;

// Stops with "build_flow: no top module set" without a top module, and with
// "top module start node must not be set before build_flow" on a second call.
// Refuses, before it changes anything, a model whose flow-block stack still
// holds a block: an open block, or the head of a conditional chain that
// finalize_flow_procedure never closed. No module holds such a block yet, so
// its behaviour would be left out of the design.
CheckResult build_flow(ModelArena& model);

// Refuses, once build_flow has run, a call that describes behaviour
// (`call` names it): build_flow lowers the description once, so what is
// described later would be left out of the Verilog without a word.
CheckResult check_flow_not_built(const ModelArena& model, std::string_view call);

// Moves the components made while `module` was being built (the pending
// list) into its component lists.
void register_pending_hcps(Module& module, ModelArena& model);

// Sorts the update pools of the module's components of the kinds whose pool
// is sorted (hcp_pool_sorted: REG to MEM_BLOCK_INDEXER) by (priority,
// sub-priority), system list then user list. EXPR, IO_WIRE and MEM_BLOCK keep
// their pools as they are: an expression is written from its operands, and
// IO wires and memory blocks hold at most the one event routing gave them.
void sort_update_event_pool(const Module& module, ModelArena& model);

}  // namespace vorlent
