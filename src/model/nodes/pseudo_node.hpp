// A combinational join: its exit is the AND or the OR of its (guarded)
// predecessors' exits, in the same cycle. The exit expression exists from
// the start, so successors can read it before the node is assigned.
#pragma once

#include "model/hw_component/common/logic_op.hpp"
#include "model/nodes/ncp_node.hpp"

namespace vorlent {

class PseudoNode : public NcpNodeRecord {
public:
    HcpIdent expr;  // the empty expression "pseudo_init_expr", given its source when assigned
    uint32_t width = 0;
    LogicOp join_op = LogicOp::BitwiseAnd;  // BitwiseAnd or BitwiseOr

    ClockMode get_clock_mode() const override { return ClockMode::ClkFree; }
    void assign_prelim(ModelArena&) override {}
    // Folds the predecessors' exits (each ANDed with its guard) left to
    // right with join_op into the expression: "PseudoNode requires at least
    // one depend node", "multiple expression assign detected".
    void assign_final(ModelArena& model) override;
    HcpIdent get_exit_opr() const override { return expr; }
    bool exit_follows_depends_at_once() const override { return true; }
    int32_t get_cycle_used() const override { return 0; }
    bool is_state_full_node() const override { return false; }

    static PseudoNode arena_default() { return default_of<PseudoNode>(NodeType::Pseudo); }
};

}  // namespace vorlent
