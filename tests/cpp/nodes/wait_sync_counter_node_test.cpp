#include "node_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

TEST(SynNodeTest, PhasesAndExit) {
    NodeModel t;
    uint64_t id = peek_global_id();
    EXPECT_FATAL(make_syn_node(t.m, false, "j", 0), "assertion failed: syn_size > 0");
    EXPECT_EQ(peek_global_id(), id);
    const NcpIdent j = make_syn_node(t.m, false, "par_syn_3", 2);
    EXPECT_EQ(system_made_since(t, id), named_from(id, {"SR_SY_par_syn_3_SY"}));
    EXPECT_EQ(j.abs_name(), format("SYN_NODE_par_syn_3_{}", id + 1));
    const HcpIdent reg = t.m.arena<SynNode>().get(j.handle()).reg;
    EXPECT_FATAL(get_ncp_node(t.m, j).get_exit_opr(),
                 "SynNode::get_exit_opr: bound_exit_i not set \u2014 call assign_prelim before reading exit_opr");
    t.wire_all(j);
    // A join reports no latency of its own, whatever its triggers.
    EXPECT_EQ(get_ncp_node(t.m, j).get_cycle_used(), 0);

    // The take, the register's seven support signals, then the exit's reset
    // and hold binding.
    id = peek_global_id();
    assign_ncp_node(t.m, j, true, false);
    EXPECT_EQ(peek_global_id(), id + 12);
    const SynNode& n = t.m.arena<SynNode>().get(j.handle());
    EXPECT_EQ(n.raw, t.m.arena<SyncReg>().get(reg.handle()).end_expr);
    EXPECT_EQ(n.get_exit_opr().abs_name(), format("EXPR_node_bind_hold_{}", id + 11));

    id = peek_global_id();
    assign_ncp_node(t.m, j, false, true);
    EXPECT_EQ(peek_global_id(), id + 21);
    EXPECT_EQ(system_made_since(t, id).at(1), format("EXPR_{}_ACT_COND_1_{}", reg.abs_name(), id + 10));
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

    EXPECT_FATAL(assign_ncp_node(t.m, w, false, true), "WaitCondNode requires at least one depend node");
    t.node(w).add_depend_node(t.p0, std::nullopt);
    t.node(w).add_depend_node(t.p1, t.g1);
    t.node(w).set_int_start_node(t.start);
    id = peek_global_id();
    assign_ncp_node(t.m, w, false, true);
    EXPECT_EQ(peek_global_id(), id + 15);
    // The falling event's AND comes first, then the guarded predecessor's.
    EXPECT_EQ(system_made_since(t, id).at(0), format("EXPR_cond_dis_expr_{}", id + 2));
}

TEST(WaitCycleNodeTest, PhasesAndExit) {
    NodeModel t;
    uint64_t id = peek_global_id();
    EXPECT_FATAL(make_wait_cycle_node(t.m, false, "w", 0), "assertion failed: cycle > 0");
    EXPECT_EQ(peek_global_id(), id);
    const NcpIdent w = make_wait_cycle_node(t.m, false, "sywait_2", 2);
    EXPECT_EQ(system_made_since(t, id), named_from(id, {"VAL_sywait_2_CY_END_CNT", "SR_CYWT_sywait_2_CY"}));
    EXPECT_EQ(w.abs_name(), format("WAITCYCLE_NODE_sywait_2_{}", id + 2));
    const HcpIdent reg = t.m.arena<WaitCycleNode>().get(w.handle()).reg;
    EXPECT_EQ(get_ncp_node(t.m, w).get_cycle_used(), 2);
    EXPECT_FATAL(get_ncp_node(t.m, w).get_state_operating(), "get_state_operating: not implemented");

    t.wire_all(w);
    EXPECT_EQ(get_ncp_node(t.m, w).get_cycle_used(), -1);
    // The take, nine support signals, then the exit binding.
    id = peek_global_id();
    assign_ncp_node(t.m, w, true, false);
    EXPECT_EQ(peek_global_id(), id + 14);
    const WaitCycleNode& n = t.m.arena<WaitCycleNode>().get(w.handle());
    EXPECT_EQ(n.raw, t.m.arena<CycleWaitStateReg>().get(reg.handle()).is_end);
    EXPECT_EQ(n.get_exit_opr().abs_name(), format("EXPR_node_bind_hold_{}", id + 13));

    id = peek_global_id();
    assign_ncp_node(t.m, w, false, true);
    EXPECT_EQ(peek_global_id(), id + 16);

    // A hold alone already makes the latency unknown.
    const NcpIdent five = make_wait_cycle_node(t.m, false, "five", 5);
    t.node(five).set_hold_node(t.hold);
    EXPECT_EQ(get_ncp_node(t.m, five).get_cycle_used(), -1);
}

TEST(CounterNodeTest, PhasesAndExit) {
    NodeModel t;
    uint64_t id = peek_global_id();
    EXPECT_FATAL(make_counter_node(t.m, false, "c", 0), "assertion failed: last_loop_cnt > 0");
    EXPECT_EQ(peek_global_id(), id);
    const NcpIdent c = make_counter_node(t.m, false, "cloop_cnt_7", 3);
    EXPECT_EQ(system_made_since(t, id), named_from(id, {"CNT_REG_cloop_cnt_7_CNT"}));
    EXPECT_EQ(c.abs_name(), format("COUNTER_NODE_cloop_cnt_7_{}", id + 1));
    const CounterNode& made = t.m.arena<CounterNode>().get(c.handle());
    const HcpIdent reg = made.get_cnt_reg();
    EXPECT_EQ(t.m.arena<CntReg>().get(reg.handle()).width, 2);
    EXPECT_EQ(made.get_cycle_used(), 4);

    t.wire_all(c);
    EXPECT_EQ(get_ncp_node(t.m, c).get_cycle_used(), -1);
    id = peek_global_id();
    assign_ncp_node(t.m, c, true, false);
    // The take and five support signals; the exit is the bare comparison,
    // with no reset or hold binding.
    EXPECT_EQ(peek_global_id(), id + 6);
    EXPECT_EQ(get_ncp_node(t.m, c).get_exit_opr(), *t.m.arena<CntReg>().get(reg.handle()).at_last);

    id = peek_global_id();
    assign_ncp_node(t.m, c, false, true);
    EXPECT_EQ(peek_global_id(), id + 14);
}
