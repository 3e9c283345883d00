// Counts how often its predecessors fire and signals when the count reaches
// its last value. It owns a counter register with increment 1; the counter
// loop reads that register as the number of passes done.
#pragma once

#include "model/nodes/sp_reg_node.hpp"

namespace vorlent {

// Its register is a CntReg "{name}_CNT"; its exit is the register's
// "{}_AT_LAST", unbound, and it keeps no raw.
class CounterNode : public SpRegNodeRecord {
public:
    int32_t last_loop_cnt = 0;

    CounterNode() = default;
    // "assertion failed: last_loop_cnt > 0"; the register, then the node
    // identity; not inserted.
    static CounterNode make(ModelArena& model, bool is_user_com, std::string_view name,
                            int32_t last_loop_cnt);

    // The counter register.
    const HcpIdent& get_cnt_reg() const { return reg; }

    // The exit is the bare "count == last" signal: not bound with hold or
    // int_reset.
    void assign_prelim(ModelArena& model) override;
    void assign_final(ModelArena& model) override;
    HcpIdent get_exit_opr() const override;
    int32_t get_cycle_used() const override { return cycle_unless_controlled(last_loop_cnt + 1); }

    static CounterNode arena_default() { return default_of<CounterNode>(NodeType::Counter); }
};

}  // namespace vorlent
