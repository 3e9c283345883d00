// A wait of a fixed number of cycles. It owns a cycle-wait register.
#pragma once

#include "model/nodes/sp_reg_node.hpp"

namespace vorlent {

// Its register is a CycleWaitStateReg "{name}_CY"; raw is the register's
// "{}_IS_END".
class WaitCycleNode : public SpRegNodeRecord {
public:
    std::optional<int32_t> cycle;  // N, present when made with a count

    WaitCycleNode() = default;
    // "assertion failed: cycle > 0"; the register, then the node identity;
    // not inserted.
    static WaitCycleNode make_with_cycle(ModelArena& model, bool is_user_com, std::string_view name,
                                         int32_t cycle);

    void assign_prelim(ModelArena& model) override;
    void assign_final(ModelArena& model) override;
    HcpIdent get_exit_opr() const override;
    int32_t get_cycle_used() const override { return cycle_unless_controlled(cycle.value_or(-1)); }

    static WaitCycleNode arena_default() { return default_of<WaitCycleNode>(NodeType::WaitCycle); }
};

}  // namespace vorlent
