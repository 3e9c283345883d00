// A control node that carries one or more assignments. It is assigned once:
// dry (its events enter the destinations' pools unconditionally) or from
// the one state node it hangs on (its events apply only while that state is
// operating, and not while held or reset). It has no exit operand.
#pragma once

#include "model/hw_component/common/asm_meta_helper/assign_meta.hpp"
#include "model/nodes/ncp_node.hpp"

namespace vorlent {

class AsmNode : public NcpNodeRecord {
public:
    AssignMetaList asm_metas;

    // The clock mode of the first assignment; ClkUnused without one.
    ClockMode get_clock_mode() const override {
        return asm_metas.empty() ? ClockMode::ClkUnused : asm_metas.front().clk_mode;
    }
    // Refused: an assignment node is assigned dry or from its state node.
    void assign_prelim(ModelArena& model) override;
    void assign_final(ModelArena& model) override;
    int32_t get_cycle_used() const override { return 1; }

    // Adds every assignment's current event to its destination's pool.
    void dry_assign(ModelArena& model) override;
    // Adds every assignment's event under the condition (guard AND NOT hold
    // AND NOT int_reset AND the parent's state-operating signal).
    void assign_from_state_node(ModelArena& model);
    // Sets the clock source of every edge-clocked assignment's event to the
    // exit of the clk trigger node, or to `clk` when given; without either,
    // nothing changes.
    void set_clk_src(ModelArena& model, const std::optional<HcpIdent>& clk = std::nullopt);
    // Applies every assignment's pending pre-condition, in order.
    void apply_pending_pre_cond(ModelArena& model);

    static AsmNode arena_default() { return default_of<AsmNode>(NodeType::Asm); }
};

}  // namespace vorlent
