#include <functional>

#include "node_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

// The nodes that own a special register, made from a size and wired with
// every input: what each makes, its latency before and after the wiring,
// the ids each phase draws and the signal its exit is built on.
TEST(SpRegNodeTest, PhasesAndExit) {
    struct Row {
        NcpIdent (*make)(ModelArena&, bool, std::string_view, int32_t);
        int32_t size;
        const char* zero_refusal;
        std::vector<std::string> made;  // the register's parts, then the node
        int32_t cycle;
        uint64_t prelim, final;
        bool bound;  // the exit is the hold binding, drawn last by the prelim phase
        // The signal the exit is built on, and the register part it must be.
        std::function<std::pair<HcpIdent, HcpIdent>(const ModelArena&, const NcpIdent&)> raw;
    };
    const Row rows[] = {
        // Prelim: the take, the register's seven support signals, the reset and hold binding.
        {make_syn_node,
         2,
         "assertion failed: syn_size > 0",
         {"SR_SY_n_SY", "SYN_NODE_n"},
         0,
         12,
         21,
         true,
         [](const ModelArena& m, const NcpIdent& n) {
             const SynNode& x = m.arena<SynNode>().get(n.handle());
             return std::pair{x.raw.value(),
                              m.arena<SyncReg>().get(x.reg.handle()).end_expr.value()};
         }},
        // The take, nine support signals, the binding.
        {make_wait_cycle_node,
         2,
         "assertion failed: cycle > 0",
         {"VAL_n_CY_END_CNT", "SR_CYWT_n_CY", "WAITCYCLE_NODE_n"},
         2,
         14,
         16,
         true,
         [](const ModelArena& m, const NcpIdent& n) {
             const WaitCycleNode& x = m.arena<WaitCycleNode>().get(n.handle());
             return std::pair{x.raw.value(),
                              m.arena<CycleWaitStateReg>().get(x.reg.handle()).is_end.value()};
         }},
        // The take and five support signals; the exit is the bare comparison.
        {make_counter_node,
         3,
         "assertion failed: last_loop_cnt > 0",
         {"CNT_REG_n_CNT", "COUNTER_NODE_n"},
         4,
         6,
         12,
         false,
         [](const ModelArena& m, const NcpIdent& n) {
             const CounterNode& x = m.arena<CounterNode>().get(n.handle());
             return std::pair{x.get_exit_opr(),
                              *m.arena<CntReg>().get(x.get_cnt_reg().handle()).at_last};
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.made.back());
        NodeModel t;
        uint64_t id = peek_global_id();
        EXPECT_FATAL(row.make(t.m, false, "n", 0), row.zero_refusal);
        EXPECT_EQ(peek_global_id(), id);
        const NcpIdent n = row.make(t.m, false, "n", row.size);
        std::vector<std::string> made = system_made_since(t, id);
        made.emplace_back(n.abs_name());
        EXPECT_EQ(made, named_from(id, row.made));
        EXPECT_EQ(get_ncp_node(t.m, n).get_cycle_used(), row.cycle);
        t.wire_all(n);
        // Triggers make a wait's or a counter's latency unknown; a join has none.
        EXPECT_EQ(get_ncp_node(t.m, n).get_cycle_used(), row.cycle ? -1 : 0);

        id = peek_global_id();
        assign_ncp_node(t.m, n, true, false);
        EXPECT_EQ(peek_global_id(), id + row.prelim);
        const auto [raw, part] = row.raw(t.m, n);
        EXPECT_EQ(raw, part);
        if (row.bound) {
            EXPECT_EQ(get_ncp_node(t.m, n).get_exit_opr().abs_name(),
                      format("EXPR_node_bind_hold_{}", id + row.prelim - 1));
        }
        id = peek_global_id();
        assign_ncp_node(t.m, n, false, true);
        EXPECT_EQ(peek_global_id(), id + row.final);
    }
}

TEST(WaitCondNodeTest, PhasesAndExit) {
    NodeModel t;
    const HcpIdent cond = make_wire(t.m, false, "cond", 1);
    uint64_t id = peek_global_id();
    const NcpIdent w = make_wait_cond_node(t.m, false, "scwait_5", cond, 0, 1);
    EXPECT_EQ(system_made_since(t, id), named_from(id, {"SR_CDWT_scwait_5_CW"}));
    EXPECT_EQ(w.abs_name(), format("WAITCOND_NODE_scwait_5_{}", id + 1));
    const HcpIdent reg = t.m.arena<WaitCondNode>().get(w.handle()).reg;

    t.node(w).set_hold_node(t.hold);
    t.node(w).set_int_reset_node(t.rst);
    t.node(w).set_mrst_node(t.mrst);
    t.node(w).set_clk_node(t.clk);
    // The take, four support signals, then the exit binding.
    id = peek_global_id();
    assign_ncp_node(t.m, w, true, false);
    EXPECT_EQ(peek_global_id(), id + 9);
    // The state-operating signal is the raw end, not the bound exit.
    const WaitCondNode& n = t.m.arena<WaitCondNode>().get(w.handle());
    EXPECT_EQ(n.get_state_operating(), *t.m.arena<CondWaitStateReg>().get(reg.handle()).end_expr);
    EXPECT_EQ(n.get_exit_opr().abs_name(), format("EXPR_node_bind_hold_{}", id + 8));
    EXPECT_EQ(n.get_cycle_used(), -1);

    EXPECT_FATAL(assign_ncp_node(t.m, w, false, true),
                 "WaitCondNode requires at least one depend node");
    t.node(w).add_depend_node(t.p0, std::nullopt);
    t.node(w).add_depend_node(t.p1, t.g1);
    id = peek_global_id();
    assign_ncp_node(t.m, w, false, true);
    EXPECT_EQ(peek_global_id(), id + 15);
    // The falling event's AND comes first, then the guarded predecessor's.
    EXPECT_EQ(system_made_since(t, id).at(0), format("EXPR_cond_dis_expr_{}", id + 2));
}
