#include "flow_block/schematic_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

// What the build does is shown by the simulations and pinned, id by id, by
// the golden text; here what it refuses and the order of its steps.
TEST(BuildFlowTest, RefusesBadTreesAndMissingPieces) {
    {
        ModelArena m;
        EXPECT_FATAL(build_flow(m), "build_flow: no top module set");
    }
    {
        // A block still on the flow-block stack belongs to no module yet: the
        // build is refused before it makes anything, naming the block and
        // the missing call. First an open block, then a chain head that no
        // finalize_flow_procedure closed.
        Design d;
        const HcpIdent r = d.reg("r"), c = d.wire("c");
        const HcpIdent v = d.val(1);
        d.describe();
        const FlowBlockIdent s = d.open(make_flow_block_seq(d.m, "s"));
        d.assign(r, v);
        const uint64_t first = peek_global_id();
        auto refusal = [&] { return build_flow(d.m).value_or(ErrorText{}).message; };
        EXPECT_EQ(refusal(),
                  format("build_flow: flow block \"{}\" (id {}) is still open; close it with "
                         "finalize_flow_block and end the module's behaviour with "
                         "finalize_flow_procedure",
                         s.abs_name(), s.global_id()));
        EXPECT_EQ(peek_global_id(), first);
        d.close(s);
        const FlowBlockIdent head = d.open(make_flow_block_cif(d.m, "c", c, std::nullopt));
        d.seq("body", r, v);
        d.close(head);
        const uint64_t second = peek_global_id();
        EXPECT_EQ(refusal(),
                  format("build_flow: flow block \"{}\" (id {}) still waits on the flow-block "
                         "stack for more branches; close it with finalize_flow_procedure at the "
                         "end of the module's behaviour",
                         head.abs_name(), head.global_id()));
        EXPECT_EQ(peek_global_id(), second);
        EXPECT_FALSE(d.module().start_node.has_value());
        d.build();
        EXPECT_EQ(d.module().flow_blocks, (std::vector<FlowBlockIdent>{s, head}));
    }
    {
        // An empty seq passes finalize but not the build.
        Design d;
        d.describe();
        d.close(d.open(make_flow_block_seq(d.m, "s")));
        EXPECT_FATAL(d.build(), "seq flow block has no element");
    }
}

// Sources reach the children before anything is built; children are built,
// and make their control nodes, before the parent makes its own.
TEST(BuildFlowTest, SourcesGoDownBeforeChildrenAndParentsBuild) {
    Design d;
    const HcpIdent a = d.reg("a");
    const HcpIdent v = d.val(4);
    const HcpIdent h1 = d.wire("h1"), h2 = d.wire("h2"), st = d.wire("st");
    d.describe();
    const FlowBlockIdent outer = d.open(make_flow_block_seq(d.m, "outer"));
    const FlowBlockIdent inner = d.open(make_flow_block_seq(d.m, "inner"));
    d.assign(a, v);
    d.close(inner);
    d.close(outer);
    d.add_src(outer, &FlowBlockBase::hold_srcs, h1);
    d.add_src(outer, &FlowBlockBase::hold_srcs, h2);
    d.add_src(outer, &FlowBlockBase::start_srcs, st);
    d.build();

    const FlowBlockBase ob = d.base(outer), ib = d.base(inner);
    // The child inherits the hold sources (and clk, mrst) but not the start.
    EXPECT_EQ(ib.hold_srcs, (std::vector<HcpIdent>{h1, h2}));
    EXPECT_TRUE(ib.start_srcs.empty());
    EXPECT_FALSE(ib.triggers.int_start().has_value());
    ASSERT_TRUE(ib.triggers.hold() && ob.triggers.hold() && ob.triggers.int_start());
    EXPECT_LT(ib.triggers.hold()->global_id(), ob.triggers.hold()->global_id());
    // Two hold sources: one OR expression of the node's own name, then the node.
    const HcpIdent ored = get_ncp_node(d.m, *ob.triggers.hold()).get_exit_opr();
    EXPECT_EQ(ored.abs_name(), format("EXPR_flow_hold_{}_{}", outer.global_id(),
                                      ob.triggers.hold()->global_id() - 1));
    EXPECT_EQ(ob.triggers.hold()->abs_name(),
              format("OPR_NODE_flow_hold_{}_{}", outer.global_id(), ored.global_id() + 1));
    // Held and started: no fixed latency anywhere.
    EXPECT_EQ(d.wrap(inner).cycle(), -1);
    EXPECT_EQ(d.wrap(outer).cycle(), -1);
    // The start source starts the first step, beside the design's start.
    EXPECT_EQ(d.edges(d.wrap(inner).samples()[0]),
              (std::vector<DependEdge>{edge(*ob.triggers.int_start()), edge(d.start())}));
}

// A block folds its own assignments and zero-delay blocks into one event per
// destination in the order they were written, so the last one wins.
TEST(BuildFlowTest, ABlocksOwnAssignmentsFoldInTheOrderWritten) {
    Design d;
    const HcpIdent r = d.reg("r"), c = d.wire("c");
    const HcpIdent v1 = d.val(1), v2 = d.val(2), v3 = d.val(3);
    d.describe();
    const FlowBlockIdent p = d.open(make_flow_block_par_auto(d.m, "p"));
    d.assign(r, v1);
    const FlowBlockIdent z = d.open(make_flow_block_zif(d.m, "z", c, std::nullopt));
    d.assign(r, v2);
    d.close(z);
    d.assign(r, v3);
    d.close(p);
    d.build();

    ASSERT_EQ(d.pool(r).size(), 1u);
    const UeCond& gated = d.m.arena<UeCond>().get(d.pool(r)[0].handle());
    const UpdateEventIdent folded = *gated.sub_stmts.at(0);
    ASSERT_EQ(folded.kind, UeType::Grp);
    std::vector<std::string> order;
    for (const UpdateEventIdent& ue : d.m.arena<UeGrp>().get(folded.handle()).events)
        order.emplace_back(ue.kind == UeType::Basic
                               ? d.m.arena<UeBasic>().get(ue.handle()).src.abs_name()
                               : "zif");
    EXPECT_EQ(order, (std::vector<std::string>{std::string(v1.abs_name()), "zif",
                                               std::string(v3.abs_name())}));
}
