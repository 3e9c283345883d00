// The pick block: independent pif branches and one default branch.
#include "schematic_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

struct PickDesign : Design {
    HcpIdent r = reg("r"), v = val(1), a = wire("a"), b = wire("b");

    FlowBlockIdent pif(const HcpIdent& cond, int steps = 1) {
        return branch(make_flow_block_pif(m, "pi", cond, std::nullopt), steps);
    }
    FlowBlockIdent pidef(int steps = 1) { return branch(make_flow_block_pidef(m, "pd"), steps); }
    // The branch's body.
    FlowBlockIdent branch(const FlowBlockIdent& block, int steps) {
        open(block);
        const FlowBlockIdent body = seq("s", r, v, steps);
        close(block);
        return body;
    }
    std::string warning(const FlowBlockIdent& pick) const {
        return format("[vorlent][warn] pick block '{}': exit is NOT auto-synchronized; the matching branch "
                      "drives the exit signal\n",
                      pick.ident_base.rel_name());
    }
};

}  // namespace

TEST(PickSchematicTest, PifsStartOnTheirOwnConditionsAndTheExitOrsThem) {
    PickDesign d;
    d.describe();
    const FlowBlockIdent pick = d.open(make_flow_block_pick(d.m, "pk"));
    const FlowBlockIdent s0 = d.pif(d.a), s1 = d.pif(d.b);
    d.close(pick);
    d.done();
    ::testing::internal::CaptureStderr();
    build_flow(d.m);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), d.warning(pick));

    const uint64_t id = pick.global_id();
    const FlowBlockBase base = d.base(pick);
    ASSERT_EQ(base.gen_nodes.size(), 2u);
    const NcpIdent entry = base.gen_nodes[0], exit = base.gen_nodes[1];
    // Entry (prelim only) and exit; per pif its condition and summary read by
    // two takes, its negation and the running AND; the exit is assigned
    // (AND of its guarded edge, two ORs), then the branch entries.
    EXPECT_DRAWN(d.m, entry.global_id() - 1,
                 {"EXPR_pseudo_init_expr", format("PSEUDO_NODE_pick_entry_{}", id), TAKE, "EXPR_pseudo_init_expr",
                  format("PSEUDO_NODE_pick_exit_{}", id), TAKE, TAKE, format("EXPR_pick_not_{}_0", id), TAKE, TAKE,
                  format("EXPR_pick_not_{}_1", id), "EXPR_node_logic_expr", TAKE, "EXPR_node_logic_expr",
                  "EXPR_node_logic_expr", "EXPR_node_logic_expr", TAKE});

    const NodeWrap w = d.wrap(pick), w0 = d.wrap(s0), w1 = d.wrap(s1);
    EXPECT_EQ(w.samples(), (std::vector<NcpIdent>{entry}));
    EXPECT_EQ(w.exit(), exit);
    EXPECT_EQ(d.edges(w0.samples()[0]), (std::vector<DependEdge>{edge(entry, d.a)}));
    EXPECT_EQ(d.edges(w1.samples()[0]), (std::vector<DependEdge>{edge(entry, d.b)}));
    const auto ex = d.edges(exit);
    ASSERT_EQ(ex.size(), 3u);
    EXPECT_EQ(ex[0], edge(w0.exit()));
    EXPECT_EQ(ex[1], edge(w1.exit()));
    EXPECT_EQ(ex[2].node, entry);
    const Expression& none_holds = d.expr(*ex[2].guard);
    EXPECT_EQ(ex[2].guard->ident_base.rel_name(), "node_logic_expr");
    EXPECT_EQ(none_holds.operand_a->ident_base.rel_name(), format("pick_not_{}_0", id));
    EXPECT_EQ(none_holds.operand_b->ident_base.rel_name(), format("pick_not_{}_1", id));
    // When no pif holds the block is left at once.
    EXPECT_EQ(w.cycle(), -1);
    EXPECT_EQ(d.edges(entry), (std::vector<DependEdge>{edge(d.start())}));
}

TEST(PickSchematicTest, TheDefaultRunsWhenNoPifHoldsWhereverItStands) {
    PickDesign d;
    d.describe();
    const FlowBlockIdent pick = d.open(make_flow_block_pick(d.m, "pk"));
    d.pif(d.a, 2);
    const FlowBlockIdent def = d.pidef(2);
    d.pif(d.b, 2);
    d.close(pick);
    d.done();
    ::testing::internal::CaptureStderr();
    build_flow(d.m);
    ::testing::internal::GetCapturedStderr();

    const uint64_t id = pick.global_id();
    const FlowBlockBase base = d.base(pick);
    const NcpIdent entry = base.gen_nodes[0], exit = base.gen_nodes[1];
    // The pidef does not advance the negation index.
    EXPECT_DRAWN(d.m, exit.global_id() + 1,
                 {TAKE, TAKE, format("EXPR_pick_not_{}_0", id), TAKE, TAKE, TAKE, TAKE,
                  format("EXPR_pick_not_{}_1", id), "EXPR_node_logic_expr", TAKE});
    const auto de = d.edges(d.wrap(def).samples()[0]);
    ASSERT_EQ(de.size(), 1u);
    EXPECT_EQ(de[0].node, entry);
    EXPECT_EQ(d.expr(*de[0].guard).operand_b->ident_base.rel_name(), format("pick_not_{}_1", id));
    // No way around the branches: the default's exit is the last edge.
    const auto ex = d.edges(exit);
    ASSERT_EQ(ex.size(), 3u);
    EXPECT_EQ(ex[2], edge(d.wrap(def).exit()));
    EXPECT_EQ(d.wrap(pick).cycle(), 2);
}

TEST(PickSchematicTest, LatencyAndTheLoneDefault) {
    {
        PickDesign d;
        d.describe();
        const FlowBlockIdent pick = d.open(make_flow_block_pick(d.m, "pk"));
        const FlowBlockIdent def = d.pidef(3);
        d.close(pick);
        d.done();
        ::testing::internal::CaptureStderr();
        build_flow(d.m);
        ::testing::internal::GetCapturedStderr();
        // No pif: no negation, and the default starts unguarded.
        const NcpIdent entry = d.base(pick).gen_nodes[0];
        EXPECT_EQ(d.edges(d.wrap(def).samples()[0]), (std::vector<DependEdge>{edge(entry)}));
        EXPECT_EQ(d.wrap(pick).cycle(), 3);
    }
    for (bool started : {false, true}) {
        PickDesign d;
        const HcpIdent go = d.wire("go");
        d.describe();
        const FlowBlockIdent pick = d.open(make_flow_block_pick(d.m, "pk"));
        d.pif(d.a, 2);
        d.pidef(started ? 2 : 3);
        d.close(pick);
        d.done();
        if (started) d.add_src(pick, &FlowBlockBase::start_srcs, go);
        ::testing::internal::CaptureStderr();
        build_flow(d.m);
        ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(d.wrap(pick).cycle(), -1);
        if (started) {
            const FlowBlockBase base = d.base(pick);
            EXPECT_EQ(d.edges(base.gen_nodes[0]),
                      (std::vector<DependEdge>{edge(*base.triggers.int_start), edge(d.start())}));
        }
    }
}

TEST(PickSchematicTest, BuildRefusalsComeAfterTheWarning) {
    {
        PickDesign d;
        d.describe();
        const FlowBlockIdent pick = d.open(make_flow_block_pick(d.m, "pk"));
        d.pidef();
        d.pif(d.a);
        d.pidef();
        d.close(pick);
        d.done();
        ::testing::internal::CaptureStderr();
        EXPECT_FATAL(build_flow(d.m), "pick block accepts at most one pidef default branch");
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), d.warning(pick));
    }
    {
        PickDesign d;
        d.describe();
        const FlowBlockIdent pick = d.open(make_flow_block_pick(d.m, "pk"));
        d.close(pick);
        d.done();
        ::testing::internal::CaptureStderr();
        EXPECT_FATAL(build_flow(d.m), "pick block must have at least one pif branch");
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), d.warning(pick));
    }
    {
        PickDesign d;
        d.describe();
        const FlowBlockIdent pick = d.open(make_flow_block_pick(d.m, "pk"));
        d.close(d.open(make_flow_block_pif(d.m, "pi", d.a, std::nullopt)));
        d.close(pick);
        d.done();
        EXPECT_FATAL(build_flow(d.m), "pick branch has no body sub-block");
    }
}

TEST(PickSchematicTest, SummariesBeforeTheBuildAndBranchesWithoutAnExitAreFatal) {
    PickDesign d;
    d.describe();
    const FlowBlockIdent pick = d.open(make_flow_block_pick(d.m, "pk"));
    const FlowBlockIdent pif = make_flow_block_pif(d.m, "pi", d.a, std::nullopt);
    d.branch(pif, 1);
    d.close(pick);
    d.done();
    EXPECT_FATAL(d.wrap(pick), "pick block has not been built");
    EXPECT_FATAL(d.wrap(pif), "pick branch has not been built");

    push_module_trace(d.m, d.top, ModuleInitStage::FlowBlockBuild);
    const NcpIdent lone = make_pseudo_node(d.m, "lone", 1, LogicOp::BitwiseOr);
    d.m.arena<FlowBlockPickIf>().get_mut(pif.handle()).built = NodeWrap({lone}, std::nullopt, 1);
    auto t = take_flow_block(d.m, pick);
    ::testing::internal::CaptureStderr();
    EXPECT_FATAL(t->build_hw_component(d.m), "NodeWrap exit node is not set");
    ::testing::internal::GetCapturedStderr();
}
