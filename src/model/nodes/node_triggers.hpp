// The trigger set of a control node (and of a flow block's base): the
// dependency edges and the five control inputs, each naming the node whose
// exit operand drives it. Only a block's set has an int_start.
#pragma once

#include <optional>

#include "common/small_vec.hpp"
#include "model/common/control_inputs.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/nodes/ncp_ident.hpp"

namespace vorlent {

struct DependEdge {
    NcpIdent node;             // the predecessor
    OptIdent<HcpIdent> guard;  // optional 1-bit guard signal

    friend bool operator==(const DependEdge&, const DependEdge&) = default;
};

struct NodeTriggers : ControlInputs<NcpIdent> {
    SmallVec<DependEdge, 1> depend_nodes;  // in insertion order; mostly one
};

}  // namespace vorlent
