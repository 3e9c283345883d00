// Where a new assignment node goes: the innermost open flow block, or, with
// no block open, the top module's loose assignment nodes.
#pragma once

#include "model/model_arena.hpp"

namespace vorlent {

void attach_basic_node_to_current_scope(ModelArena& model, const NcpIdent& node);

// Appends the node to the top module's basic nodes, whatever module is being
// traced ("add_basic_node_to_top_module: no top module set" without one).
void add_basic_node_to_top_module(ModelArena& model, const NcpIdent& node);

}  // namespace vorlent
