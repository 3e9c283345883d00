// The ordinary one-cycle state of a generated state machine. It owns a state
// register, is active for one clock cycle after a predecessor fires, and
// offers that activity, cut by the internal reset and the hold, as its exit.
#pragma once

#include "model/nodes/ncp_node.hpp"

namespace vorlent {

class StateNode : public NcpNodeRecord {
public:
    HcpIdent reg;                            // its StateReg "{name}_ST"
    OptIdent<HcpIdent> state_operating; // set by assign_prelim: the register
    OptIdent<HcpIdent> exit_opr;        // set by assign_prelim

    StateNode() = default;
    // The register (with its two constants), then the node identity; not inserted.
    static StateNode make(ModelArena& model, bool is_user_com, std::string_view name);

    ClockMode get_clock_mode() const override { return ClockMode::PosEdge; }
    void assign_prelim(ModelArena& model) override;
    void assign_final(ModelArena& model) override;
    HcpIdent get_exit_opr() const override;
    HcpIdent get_state_operating() const override;
    int32_t get_cycle_used() const override { return cycle_unless_controlled(1); }

    static StateNode arena_default() {
        StateNode e;
        e.ident = NcpIdent::make(NodeType::State, false, "");
        return e;
    }
};

}  // namespace vorlent
