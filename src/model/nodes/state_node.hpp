// The ordinary one-cycle state of a generated state machine. It owns a state
// register, is active for one clock cycle after a predecessor fires, and
// offers that activity, cut by the internal reset and the hold, as its exit.
#pragma once

#include "model/nodes/sp_reg_node.hpp"

namespace vorlent {

// Its register is a StateReg "{name}_ST", which is also its raw.
class StateNode : public SpRegNodeRecord {
public:
    StateNode() = default;
    // The register (with its two constants), then the node identity; not inserted.
    static StateNode make(ModelArena& model, bool is_user_com, std::string_view name);

    void assign_prelim(ModelArena& model) override;
    void assign_final(ModelArena& model) override;
    HcpIdent get_exit_opr() const override;
    HcpIdent get_state_operating() const override;
    int32_t get_cycle_used() const override { return cycle_unless_controlled(1); }

    static StateNode arena_default() { return default_of<StateNode>(NodeType::State); }
};

}  // namespace vorlent
