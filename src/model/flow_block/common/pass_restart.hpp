// How a loop or pipeline starts its body again when a pass ends. It does so
// in the cycle the pass ends, unless the body's end can follow its entry in
// that same cycle (no state between them: a chain without an else that no
// condition enters, a cwhile, a join that reads such a branch at once): a
// restart from that end would close a combinational loop. Such a body is
// restarted through a state, one cycle after the pass ends.
#pragma once

#include <optional>
#include <string>

#include "model/flow_block/common/flow_block_base.hpp"
#include "model/flow_block/common/node_wrap.hpp"
#include "model/nodes/node_triggers.hpp"

namespace vorlent {

class ModelArena;

// Whether `body` must be restarted through a state. A body without an exit
// answers no (its consumer refuses it). Draws no id.
bool restart_through_state(ModelArena& model, const NodeWrap& body);

// The edge by which the end of a pass, under `guard`, starts the next one:
// the body's exit itself, or with `through_state` a state `name` made here
// (fed by that end under `guard`, assigned, listed in the generated nodes).
DependEdge pass_restart_edge(ModelArena& model, FlowBlockBase& base, const NodeWrap& body,
                             bool through_state, const std::string& name,
                             std::optional<HcpIdent> guard);

}  // namespace vorlent
