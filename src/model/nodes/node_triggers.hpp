// The trigger set of a control node (and of a flow block's base): the
// dependency edges and the five control inputs, each naming the node whose
// exit operand drives it.
#pragma once

#include <optional>
#include <vector>

#include "common/small_vec.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/nodes/ncp_ident.hpp"

namespace vorlent {

struct DependEdge {
    NcpIdent node;                 // the predecessor
    std::optional<HcpIdent> guard; // optional 1-bit guard signal

    friend bool operator==(const DependEdge&, const DependEdge&) = default;
};

struct NodeTriggers {
    SmallVec<DependEdge, 1> depend_nodes;  // in insertion order; mostly one
    std::optional<NcpIdent> hold;
    std::optional<NcpIdent> int_reset;
    std::optional<NcpIdent> int_start;
    std::optional<NcpIdent> mrst;
    std::optional<NcpIdent> clk;
};

}  // namespace vorlent
