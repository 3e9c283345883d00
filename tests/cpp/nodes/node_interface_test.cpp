#include <functional>

#include "model/hw_component/arena_impl_asm.hpp"
#include "node_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

TEST(NodeTriggersTest, FillExtNodeCopiesTheBlockInputs) {
    NodeModel t;
    const NcpIdent s = make_state_node(t.m, false, "s");
    const uint64_t id = peek_global_id();
    NcpNode& n = t.node(s);
    n.set_hold_node(t.hold);
    n.add_depend_node(t.p0, std::nullopt);
    n.add_depend_node(t.p0, t.g1);  // duplicates are kept

    NodeTriggers block;
    block.set_int_reset(t.rst);
    block.set_int_start(t.p1);
    block.depend_nodes.push_back({t.p1, std::nullopt});
    n.fill_ext_node(block);
    // An absent block input clears the node's; the block's start is not the
    // node's; the edges stay the node's own.
    EXPECT_EQ(n.get_hold_node(), std::nullopt);
    EXPECT_EQ(n.get_int_reset_node(), t.rst);
    EXPECT_EQ(n.get_node_triggers().int_start(), std::nullopt);
    EXPECT_EQ(n.get_node_triggers().depend_nodes,
              (std::vector<DependEdge>{{t.p0, std::nullopt}, {t.p0, t.g1}}));
    // Edits in place draw no id.
    EXPECT_EQ(peek_global_id(), id);
}

TEST(NodeInterfaceTest, OperandNodeHasNoTriggers) {
    NodeModel t;
    const NcpIdent o = t.clk;
    NcpNode& n = t.node(o);
    TriggerSig sig;
    // The shared trigger operations all reach the kind's triggers first.
    const std::function<void()> ops[] = {
        [&] { n.get_clk_node(); },
        [&] { n.set_hold_node(std::nullopt); },
        [&] { n.add_depend_node(t.p0, std::nullopt); },
        [&] { n.fill_ext_node(NodeTriggers{}); },
        [&] { n.init_ctrl_sigs(sig, t.m); },
        [&] { n.to_trigger_sig(t.m); },
        [&] { n.bind_with_hold_if_hold(t.m, t.clk_w); },
    };
    for (const auto& op : ops) EXPECT_FATAL(op(), "OprNode has no triggers");

    // What it does have: its operand as exit, seen from itself or from others.
    EXPECT_EQ(n.resolve_node_exit_opr(t.m, o), t.clk_w);
    EXPECT_EQ(n.resolve_node_exit_opr(t.m, t.p0), t.d0_w);
    EXPECT_FATAL(n.get_state_operating(), "get_state_operating: not implemented");

    assign_ncp_node(t.m, o, true, false);
    EXPECT_FATAL(assign_ncp_node(t.m, o, false, true), "OprNode: assign() is not implemented");
    // A refused phase still leaves the node in its slot.
    EXPECT_EQ(get_ncp_node(t.m, o).get_ncp_ident(), o);
}

// A block walked once is kept with its ways out, and a later walk through
// its exit leaves it only through them: besides its entries, every node of
// it fed from outside the block must be one, or the path through it is lost.
TEST(AtOnceWalkTest, AKeptBlockIsLeftThroughEveryNodeFedFromOutside) {
    NodeModel t;
    auto pseudo = [&](const char* name) {
        return make_pseudo_node(t.m, name, 1, LogicOp::BitwiseOr);
    };
    const uint64_t first = peek_global_id();
    const NcpIdent entry = pseudo("entry"), mid = pseudo("mid"), exit = pseudo("exit");
    const IdSpan inner{first, peek_global_id()};
    const NcpIdent outside = pseudo("outside"), outer_exit = pseudo("outer_exit");
    t.node(mid).add_depend_node(entry, std::nullopt);
    t.node(mid).add_depend_node(outside, std::nullopt);
    t.node(exit).add_depend_node(mid, std::nullopt);
    t.node(outer_exit).add_depend_node(exit, std::nullopt);

    EXPECT_TRUE(exit_follows_entries_at_once(t.m, exit, {entry}, inner));
    EXPECT_TRUE(
        exit_follows_entries_at_once(t.m, outer_exit, {outside}, IdSpan{first, peek_global_id()}));
}
