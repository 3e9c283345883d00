// The one node that starts every state machine of the design: a state
// register set while its start source is 1 at a clock edge. Its exit
// operand exists from construction.
#pragma once

#include "model/nodes/ncp_node.hpp"

namespace vorlent {

class StartNode : public NcpNodeRecord {
public:
    HcpIdent reg;        // its StateReg "{name}_ST"
    HcpIdent start_src;  // 1 bit
    HcpIdent exit_opr;   // "startExpr": register == "upState"

    StartNode() = default;
    // The register, the constant "upState", the expression "startExpr",
    // then the node identity; not inserted.
    static StartNode make(ModelArena& model, std::string_view name, const HcpIdent& start_src);

    ClockMode get_clock_mode() const override { return ClockMode::PosEdge; }
    void assign_prelim(ModelArena&) override {}
    void assign_final(ModelArena& model) override;
    HcpIdent get_exit_opr() const override { return exit_opr; }
    int32_t get_cycle_used() const override { return 1; }

    static StartNode arena_default() { return default_of<StartNode>(NodeType::Start); }
};

}  // namespace vorlent
