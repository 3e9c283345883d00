#include "node_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

TEST(StateNodeTest, AssignmentWithEveryTrigger) {
    NodeModel t;
    uint64_t id = peek_global_id();
    const NcpIdent s = make_state_node(t.m, true, "seq_state_4_0");
    // The register and its constants take the lower ids.
    EXPECT_EQ(system_made_since(t, id),
              named_from(id, {"VAL_seq_state_4_0_ST_SET", "VAL_seq_state_4_0_ST_UNSET",
                              "SR_ST_seq_state_4_0_ST"}));
    EXPECT_EQ(s.abs_name(), format("STATE_NODE_seq_state_4_0_{}", id + 3));
    const HcpIdent reg = t.m.arena<StateNode>().get(s.handle()).reg;
    EXPECT_FATAL(get_ncp_node(t.m, s).get_exit_opr(), "exit opr is not set yet");
    t.wire_all(s);
    EXPECT_EQ(get_ncp_node(t.m, s).get_cycle_used(), -1);

    // Prelim: the take, then the exit cut by the reset, then by the hold.
    id = peek_global_id();
    assign_ncp_node(t.m, s, true, false);
    EXPECT_EQ(system_made_since(t, id),
              named_from(id + 1, {"EXPR_node_int_inv", "EXPR_node_bind_rst", "EXPR_node_hold_inv",
                                  "EXPR_node_bind_hold"}));
    EXPECT_EQ(peek_global_id(), id + 5);
    // exit = (reg & ~rst) & ~hold
    const StateNode& n = t.m.arena<StateNode>().get(s.handle());
    EXPECT_EQ(n.get_exit_opr().global_id(), id + 4);
    EXPECT_EQ(n.get_state_operating(), reg);
    const Expression& bind_hold = t.expr(n.get_exit_opr());
    const Expression& bind_rst = t.expr(*bind_hold.operand_a);
    EXPECT_EQ((std::tuple{*bind_rst.operand_a, *t.expr(*bind_rst.operand_b).operand_a,
                          *t.expr(*bind_hold.operand_b).operand_a}),
              (std::tuple{reg, t.rst_w, t.hold_w}));

    // Final: the take, then the register's events (one AND for the guard).
    id = peek_global_id();
    assign_ncp_node(t.m, s, false, true);
    EXPECT_EQ(peek_global_id(), id + 15);
    EXPECT_EQ(system_made_since(t, id), named_from(id + 7, {"EXPR_cond_dis_expr"}));
    EXPECT_EQ(t.m.arena<StateReg>().get(reg.handle()).trigger_sig, t.full_sig());
}

TEST(StateNodeTest, ExitBindingMakesOnlyWhatIsSet) {
    NodeModel t;
    const NcpIdent plain = make_state_node(t.m, false, "plain");
    t.node(plain).set_clk_node(t.clk);
    // Neither phase: the take still draws its id, and nothing changes.
    uint64_t id = peek_global_id();
    assign_ncp_node(t.m, plain, false, false);
    EXPECT_EQ(peek_global_id(), id + 1);
    EXPECT_FALSE(t.m.arena<StateNode>().get(plain.handle()).exit_opr.has_value());
    id = peek_global_id();
    assign_ncp_node(t.m, plain, true, false);
    EXPECT_EQ(peek_global_id(), id + 1);  // the take only
    const StateNode& p = t.m.arena<StateNode>().get(plain.handle());
    EXPECT_EQ(p.get_exit_opr(), p.reg);
    EXPECT_EQ(p.get_cycle_used(), 1);

    const NcpIdent held = make_state_node(t.m, false, "held");
    t.node(held).set_hold_node(t.hold);
    id = peek_global_id();
    assign_ncp_node(t.m, held, true, false);
    EXPECT_EQ(system_made_since(t, id),
              named_from(id + 1, {"EXPR_node_hold_inv", "EXPR_node_bind_hold"}));

    // A start or a reset source makes the latency unknown.
    for (auto set : {&NcpNode::set_int_start_node, &NcpNode::set_int_reset_node}) {
        const NcpIdent n = make_state_node(t.m, false, "n");
        (t.node(n).*set)(t.start);
        EXPECT_EQ(get_ncp_node(t.m, n).get_cycle_used(), -1);
    }
}

TEST(StateNodeTest, AnEdgeFromItselfResolvesWhileTakenOut) {
    NodeModel t;
    const NcpIdent s = make_state_node(t.m, false, "loop");
    t.node(s).set_clk_node(t.clk);
    t.node(s).add_depend_node(s, std::nullopt);
    // Before its prelim phase the node has no exit to offer itself.
    EXPECT_FATAL(assign_ncp_node(t.m, s, false, true), "exit opr is not set yet");
    assign_ncp_node(t.m, s, true, true);
    const HcpIdent reg = t.m.arena<StateNode>().get(s.handle()).reg;
    EXPECT_EQ(view_pool(t.m, reg).at(1).conds, std::vector<HcpIdent>{reg});
}
