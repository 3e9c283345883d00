// A wait until a condition: once started by a predecessor, it waits until
// its condition holds. It owns a condition-wait register.
#pragma once

#include "model/nodes/sp_reg_node.hpp"

namespace vorlent {

// Its register is a CondWaitStateReg "{name}_CW"; raw is the register's
// "{}_END_EXPR".
class WaitCondNode : public SpRegNodeRecord {
public:
    WaitCondNode() = default;
    // The register on bits [cond_start, cond_stop) of `cond`, then the node
    // identity; not inserted.
    static WaitCondNode make(ModelArena& model, bool is_user_com, std::string_view name,
                             const HcpIdent& cond, uint32_t cond_start, uint32_t cond_stop);

    void assign_prelim(ModelArena& model) override;
    // "WaitCondNode requires at least one depend node" without an edge.
    void assign_final(ModelArena& model) override;
    HcpIdent get_exit_opr() const override;
    // The raw end (register AND condition), before reset and hold binding.
    HcpIdent get_state_operating() const override;
    int32_t get_cycle_used() const override { return -1; }

    static WaitCondNode arena_default() { return default_of<WaitCondNode>(NodeType::WaitCond); }
};

}  // namespace vorlent
