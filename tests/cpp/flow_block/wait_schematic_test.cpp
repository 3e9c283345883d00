// The wait blocks: one wait node that is both the entry and the exit.
#include "schematic_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

FlowBlockIdent lone_block(Design& d, FlowBlockIdent b) {
    d.describe();
    d.close(d.open(b));
    d.done();
    return b;
}

}  // namespace

TEST(WaitSchematicTest, ScwaitWaitsOnTheGivenBitsOrTheWholeSignal) {
    for (bool sliced : {true, false}) {
        Design d;
        const HcpIdent c = d.wire("c", sliced ? 4 : 1);
        const FlowBlockIdent w =
            lone_block(d, make_flow_block_scwait(
                              d.m, "w", c, sliced ? std::optional(Slice{2, 3}) : std::nullopt));
        build_flow(d.m);

        const uint64_t id = w.global_id();
        const auto [node] = d.made<1>(w);
        // The node's register, the node, its preliminary phase.
        const uint64_t reg_id = node.global_id() - 1;
        EXPECT_DRAWN(d.m, reg_id, w,
                     {"SR_CDWT_scwait_#_CW", "WAITCOND_NODE_scwait_#", TAKE,
                      format("VAL_SR_CDWT_scwait_{}_CW_{}_UP_STATE", id, reg_id)});
        EXPECT_EQ(d.summary(w), (Design::Summary{{node}, node, -1}));
        const CondWaitStateReg& reg = d.m.arena<CondWaitStateReg>().get(
            d.m.arena<WaitCondNode>().get(node.handle()).reg.handle());
        EXPECT_EQ((std::tuple{reg.cond, reg.cond_start, reg.cond_stop}),
                  (std::tuple{c, sliced ? 2u : 0u, sliced ? 3u : 1u}));
        EXPECT_EQ(d.edges(node), (std::vector<DependEdge>{edge(d.start())}));
    }
}

TEST(WaitSchematicTest, SywaitTakesItsCyclesUnlessHeldOrStarted) {
    struct Case {
        std::vector<HcpIdent> FlowBlockBase::*src;
        int32_t expected;
    };
    for (const Case& c :
         {Case{nullptr, 4}, Case{&FlowBlockBase::hold_srcs, -1}, Case{&FlowBlockBase::rst_srcs, -1},
          Case{&FlowBlockBase::start_srcs, 4}}) {
        Design d;
        const HcpIdent go = d.wire("go");
        const FlowBlockIdent w = lone_block(d, make_flow_block_sywait(d.m, "w", 4));
        if (c.src) d.add_src(w, c.src, go);
        build_flow(d.m);

        const FlowBlockBase base = d.base(w);
        const NcpIdent node = base.gen_nodes[0];
        EXPECT_DRAWN(
            d.m, node.global_id() - 2, w,
            {"VAL_sywait_#_CY_END_CNT", "SR_CYWT_sywait_#_CY", "WAITCYCLE_NODE_sywait_#", TAKE});
        EXPECT_EQ(d.summary(w), (Design::Summary{{node}, node, c.expected}));
        // A start source restarts the wait; it does not stretch it.
        std::vector<DependEdge> edges{edge(d.start())};
        if (base.triggers.int_start())
            edges.insert(edges.begin(), edge(*base.triggers.int_start()));
        EXPECT_EQ(d.edges(node), edges);
    }
}

TEST(WaitSchematicTest, RefusesAWaitOfNoCycles) {
    Design d;
    lone_block(d, make_flow_block_sywait(d.m, "w", 0));
    EXPECT_FATAL(build_flow(d.m), "assertion failed: cycle > 0");
}
