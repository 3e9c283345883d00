// A control node that stands for an existing 1-bit signal (a clock, a reset,
// a start input), so the signal can be used wherever a node is expected. It
// has no trigger set.
#pragma once

#include "model/nodes/ncp_node.hpp"

namespace vorlent {

class OprNode : public NcpNode {
public:
    NcpIdent ident;
    HcpIdent operand;

    // "OprNode has no triggers" for every trigger-set access.
    const NodeTriggers& get_node_triggers() const override;
    NodeTriggers& get_node_triggers_mut() override;

    NcpIdent get_ncp_ident() const override { return ident; }
    ClockMode get_clock_mode() const override { return ClockMode::ClkFree; }
    void assign_prelim(ModelArena&) override {}
    // "OprNode: assign() is not implemented".
    void assign_final(ModelArena& model) override;
    HcpIdent get_exit_opr() const override { return operand; }
    int32_t get_cycle_used() const override { return 0; }
    bool is_state_full_node() const override { return false; }

    uint64_t arena_global_id() const { return ident.global_id(); }
    ArenaHandle arena_handle() const { return ident.handle(); }
    void set_arena_handle(ArenaHandle h) { ident.ident_base.set_arena_handle(h); }
    static OprNode arena_default() {
        OprNode e;
        e.ident = NcpIdent::make(NodeType::Opr, false, "");
        return e;
    }
};

}  // namespace vorlent
