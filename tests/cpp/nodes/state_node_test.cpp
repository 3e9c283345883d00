#include "node_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

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
