// The loops: cwhile and swhile, do-while, and the counter loop.
#include "model/hw_component/update_event/arena_impl_update_event.hpp"
#include "schematic_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

struct LoopDesign : Design {
    HcpIdent r = reg("r"), v = val(1), c = wire("c"), go = wire("go");

    FlowBlockIdent cwhile() { return make_flow_block_cwhile(m, "w", c, std::nullopt); }
    FlowBlockIdent swhile() { return make_flow_block_swhile(m, "w", c, std::nullopt); }
    FlowBlockIdent do_while() { return make_flow_block_do_while(m, "dw", c, std::nullopt); }
    FlowBlockIdent counter(int32_t n) { return make_flow_block_counter_loop(m, "cl", n); }
    FlowBlockIdent counter2() { return counter(2); }

    // A loop whose body summary has no exit, built on its own.
    void build_with_exitless_body(const FlowBlockIdent& loop_block, const FlowBlockIdent& body) {
        push_module_trace(m, top, ModuleInitStage::FlowBlockBuild);
        const NcpIdent lone = make_pseudo_node(m, "lone", 1, LogicOp::BitwiseOr);
        m.arena<FlowBlockSeq>().get_mut(body.handle()).built = NodeWrap({lone}, std::nullopt, 1);
        auto t = take_flow_block(m, loop_block);
        t->build_hw_component(m);
    }
};

}  // namespace

TEST(LoopSchematicTest, CwhileTestsBeforeEachPassAndLeavesWhenTheConditionFails) {
    LoopDesign d;
    d.describe();
    const FlowBlockIdent w = d.cwhile(), body = d.around(w, d.r, d.v, 2);
    d.build();

    const auto [cond, exit] = d.made<2>(w);
    EXPECT_DRAWN(
        d.m, cond.global_id() - 1, w,
        {"EXPR_pseudo_init_expr", "PSEUDO_NODE_cwhile_cond_#", TAKE, TAKE, "EXPR_cwhile_not_cond_#",
         "EXPR_pseudo_init_expr", "PSEUDO_NODE_cwhile_exit_#", TAKE, "EXPR_node_logic_expr", TAKE});

    const NodeWrap bw = d.wrap(body);
    EXPECT_EQ(d.summary(w), (Design::Summary{{cond}, exit, -1}));
    // Entered from the parent or from the body's end.
    EXPECT_EQ(d.edges(cond), (std::vector<DependEdge>{edge(bw.exit()), edge(d.start())}));
    EXPECT_EQ(d.edges(bw.samples()[0]), (std::vector<DependEdge>{edge(cond, d.c)}));
}

TEST(LoopSchematicTest, SwhileTestsInAStateAndTheBlockStartFeedsIt) {
    LoopDesign d;
    d.describe();
    const FlowBlockIdent w = d.swhile(), body = d.around(w, d.r, d.v, 1);
    d.done();
    d.add_src(w, &FlowBlockBase::start_srcs, d.go);
    build_flow(d.m);

    const FlowBlockBase base = d.base(w);
    const NcpIdent cond = base.gen_nodes[0];
    EXPECT_EQ(cond.node_type, NodeType::State);
    EXPECT_DRAWN(
        d.m, cond.global_id() - 3, w,
        {"VAL_swhile_cond_#_ST_SET", "VAL_swhile_cond_#_ST_UNSET", "SR_ST_swhile_cond_#_ST",
         "STATE_NODE_swhile_cond_#", TAKE, TAKE, "EXPR_cwhile_not_cond_#"});
    EXPECT_EQ(d.edges(cond), (std::vector<DependEdge>{edge(*base.triggers.int_start()),
                                                      edge(d.wrap(body).exit()), edge(d.start())}));
}

TEST(LoopSchematicTest, DoWhileRestartsItsBodyDirectly) {
    for (bool started : {false, true}) {
        LoopDesign d;
        d.describe();
        const FlowBlockIdent w = d.do_while(), body = d.around(w, d.r, d.v, 2);
        d.done();
        if (started) d.add_src(w, &FlowBlockBase::start_srcs, d.go);
        build_flow(d.m);

        const FlowBlockBase base = d.base(w);
        ASSERT_EQ(base.gen_nodes.size(), 1u);
        const NcpIdent exit = base.gen_nodes[0];
        // The body's summary, the negation, the exit (assigned at once).
        EXPECT_DRAWN(d.m, exit.global_id() - 3, w,
                     {TAKE, "EXPR_dowhile_not_cond_#", "EXPR_pseudo_init_expr",
                      "PSEUDO_NODE_dowhile_exit_#", TAKE, "EXPR_node_logic_expr"});
        const NodeWrap bw = d.wrap(body);
        EXPECT_EQ(d.summary(w), (Design::Summary{{bw.samples()[0]}, exit, -1}));
        std::vector<DependEdge> into_body{edge(bw.exit(), d.c), edge(d.start())};
        if (started) into_body.insert(into_body.begin(), edge(*base.triggers.int_start()));
        EXPECT_EQ(d.edges(bw.samples()[0]), into_body);
        EXPECT_EQ(d.edges(exit),
                  (std::vector<DependEdge>{edge(bw.exit(), d.edges(exit).at(0).guard)}));
    }
}

TEST(LoopSchematicTest, CounterLoopCountsBodyEndsAndLeavesAfterTheLast) {
    LoopDesign d;
    d.describe();
    const FlowBlockIdent l = d.counter(3), body = d.around(l, d.r, d.v, 2);
    d.build();

    const uint64_t id = l.global_id();
    const auto [counter, loop, exit] = d.made<3>(l);
    const uint64_t reg_id = counter.global_id() - 1;
    const std::string cnt = format("CNT_REG_cloop_cnt_{}_CNT_{}", id, reg_id);
    // The body's summary, the counter (its register read back by a take; its
    // preliminary phase makes the at-last signal), the loop node, the
    // negation, the exit (assigned), then the counter's final phase.
    EXPECT_DRAWN(d.m, reg_id - 1, l,
                 {TAKE,
                  "CNT_REG_cloop_cnt_#_CNT",
                  "COUNTER_NODE_cloop_cnt_#",
                  TAKE,
                  TAKE,
                  format("VAL_{}_LAST_CYCLE", cnt),
                  format("VAL_{}_ZERO", cnt),
                  format("EXPR_{}_AT_LAST", cnt),
                  format("VAL_{}_INC_VAL", cnt),
                  format("EXPR_{}_INC", cnt),
                  "EXPR_pseudo_init_expr",
                  "PSEUDO_NODE_cloop_loop_#",
                  "EXPR_cloop_not_last_#",
                  "EXPR_pseudo_init_expr",
                  "PSEUDO_NODE_cloop_exit_#",
                  TAKE,
                  "EXPR_node_logic_expr",
                  TAKE,
                  "UE_BASIC",
                  "UE_COND",
                  "UE_BASIC",
                  "UE_COND",
                  "UE_BASIC",
                  "UE_COND",
                  TAKE});

    auto t = take_flow_block(d.m, l);
    const HcpIdent reg = t->get_loop_id_expr_i();
    t.put_back();
    EXPECT_EQ(reg.abs_name(), cnt);

    const NodeWrap bw = d.wrap(body);
    EXPECT_EQ(d.summary(l), (Design::Summary{{loop}, exit, 6}));
    const HcpIdent at_last = d.exit_of(counter);
    EXPECT_EQ(at_last.global_id(), reg_id + 6);
    EXPECT_EQ(d.edges(counter), (std::vector<DependEdge>{edge(bw.exit())}));
    EXPECT_EQ(d.edges(exit), (std::vector<DependEdge>{edge(bw.exit(), at_last)}));
}

TEST(LoopSchematicTest, CounterLoopJoinsItsOwnResetIntoTheClear) {
    LoopDesign d;
    d.describe();
    const FlowBlockIdent l = d.counter(1);
    d.around(l, d.r, d.v, 2);
    d.done();
    d.add_src(l, &FlowBlockBase::rst_srcs, d.go);
    build_flow(d.m);
    const FlowBlockBase base = d.base(l);
    const NcpIdent clear = base.gen_nodes.at(3);
    EXPECT_EQ(get_ncp_node(d.m, base.gen_nodes.at(0)).get_int_reset_node(), clear);
    EXPECT_EQ(d.edges(clear), (std::vector<DependEdge>{edge(base.gen_nodes.at(2)),
                                                       edge(*base.triggers.int_reset())}));
}

TEST(LoopSchematicTest, BuildRefusesLoopsWithoutOneBody) {
    LoopDesign d;
    d.describe();
    d.close(d.open(d.do_while()));
    EXPECT_FATAL(d.build(),
                 "assertion `left == right` failed: do-while block must have exactly one "
                 "body block\n  left: 0\n right: 1");
}

// A rebuild must refuse a continuation before it makes anything, and a body
// summary without an exit (no kind makes one yet) cannot be looped.
TEST(LoopSchematicTest, RebuildsRefuseContinuationsAndBodiesWithoutAnExit) {
    struct Case {
        FlowBlockIdent (LoopDesign::*make)();
        const char* message;
    };
    for (const Case& c :
         {Case{&LoopDesign::cwhile, "while block does not support con blocks"},
          Case{&LoopDesign::do_while, "do-while block does not support con blocks"},
          Case{&LoopDesign::counter2, "counter loop does not support con blocks"}}) {
        SCOPED_TRACE(c.message);
        {
            LoopDesign d;
            d.describe();
            const FlowBlockIdent w = (d.*c.make)(), body = d.around(w, d.r, d.v, 1);
            d.build();
            auto t = take_flow_block(d.m, w);
            t->get_base_mut().push_con_block(body);
            const uint64_t before = peek_global_id();
            EXPECT_FATAL(t->build_hw_component(d.m), c.message);
            EXPECT_EQ(peek_global_id(), before);
        }
        LoopDesign d;
        d.describe();
        const FlowBlockIdent w = (d.*c.make)(), body = d.around(w, d.r, d.v, 1);
        d.done();
        EXPECT_FATAL(d.build_with_exitless_body(w, body), "NodeWrap exit node is not set");
    }
}

TEST(LoopSchematicTest, ACounterLoopTooLongFor32BitsHasNoFixedLatency) {
    LoopDesign d;
    d.describe();
    const FlowBlockIdent l = d.open(d.counter(4));
    d.close(d.open(make_flow_block_sywait(d.m, "w", 1u << 30)));
    d.close(l);
    d.build();
    EXPECT_EQ(d.wrap(l).cycle(), -1);
    // Below -1 is not a latency at all.
    EXPECT_FATAL(NodeWrap({}, std::nullopt, -2),
                 "assertion failed: cycle == IN_CONSIST_CYCLE_USED || cycle >= 0");
}
