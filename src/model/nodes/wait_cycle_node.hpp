// A wait of a fixed number of cycles. It owns a cycle-wait register.
#pragma once

#include "model/nodes/ncp_node.hpp"

namespace vorlent {

class WaitCycleNode : public NcpNodeRecord {
public:
    HcpIdent reg;                     // its CycleWaitStateReg "{name}_CY"
    OptIdent<HcpIdent> raw;      // set by assign_prelim: the register's "{}_IS_END"
    OptIdent<HcpIdent> exit_opr; // set by assign_prelim
    std::optional<int32_t> cycle;     // N, present when made with a count

    WaitCycleNode() = default;
    // "assertion failed: cycle > 0"; the register, then the node identity;
    // not inserted.
    static WaitCycleNode make_with_cycle(ModelArena& model, bool is_user_com, std::string_view name,
                                         int32_t cycle);

    ClockMode get_clock_mode() const override { return ClockMode::PosEdge; }
    void assign_prelim(ModelArena& model) override;
    void assign_final(ModelArena& model) override;
    HcpIdent get_exit_opr() const override;
    int32_t get_cycle_used() const override { return cycle_unless_controlled(cycle.value_or(-1)); }

    static WaitCycleNode arena_default() {
        WaitCycleNode e;
        e.ident = NcpIdent::make(NodeType::WaitCycle, false, "");
        return e;
    }
};

}  // namespace vorlent
