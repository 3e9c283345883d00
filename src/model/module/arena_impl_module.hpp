// Modules and the module trace stack.
#pragma once

#include <string_view>

#include "model/module/module_ident.hpp"
#include "model/stack_entries.hpp"

namespace vorlent {

class ModelArena;

// Makes a module. Its parent is the module on top of the trace stack (none
// for a root) and its depth the stack's length. It joins its parent's
// sub-modules only when its component phase is untracked.
ModuleIdent make_module(ModelArena& model, std::string_view name);

// The trace stack. `module_trace_top` and `pop_module_trace` stop with
// "module trace stack is empty" when there is no entry.
void push_module_trace(ModelArena& model, const ModuleIdent& module, ModuleInitStage stage);
ModuleTraceEntry pop_module_trace(ModelArena& model);
const ModuleTraceEntry& module_trace_top(const ModelArena& model);

void track_module_at_com_init(ModelArena& model, const ModuleIdent& module);
void track_module_at_flow_init(ModelArena& model, const ModuleIdent& module);
// Pops the trace stack, checks the popped module is `module`, and appends it
// to the sub-modules of the module now on top, if any.
void untrack_module_at_com_init(ModelArena& model, const ModuleIdent& module);
// Pops the trace stack with the same check; no sub-module change.
void untrack_module_at_flow_init(ModelArena& model, const ModuleIdent& module);

// Records the top module once ("top_module is already set"). The module is
// taken out and put back first, which tests its handle.
void set_top_module(ModelArena& model, const ModuleIdent& module);

}  // namespace vorlent
