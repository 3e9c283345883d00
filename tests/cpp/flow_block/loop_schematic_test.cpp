// The loops as build_flow lowers them, where the simulations do not reach:
// a do-while started by its parent, the counter loop's fixed latency and
// counter, and rebuilds. Their timing is simulated, their ids and names are
// pinned by the golden text.
#include "model/hw_component/update_event/arena_impl_update_event.hpp"
#include "schematic_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

struct LoopDesign : Design {
    HcpIdent r = reg("r"), v = val(1), c = wire("c"), go = wire("go");

    FlowBlockIdent cwhile() { return make_flow_block_cwhile(m, "w", c, std::nullopt); }
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

    const auto [counter, loop, exit] = d.made<3>(l);
    auto t = take_flow_block(d.m, l);
    const HcpIdent reg = t->get_loop_id_expr_i();
    t.put_back();
    EXPECT_EQ(reg, d.m.arena<CounterNode>().get(counter.handle()).get_cnt_reg());

    const NodeWrap bw = d.wrap(body);
    EXPECT_EQ(d.summary(l), (Design::Summary{{loop}, exit, 6}));
    const HcpIdent at_last = d.exit_of(counter);
    EXPECT_EQ(d.edges(counter), (std::vector<DependEdge>{edge(bw.exit())}));
    EXPECT_EQ(d.edges(exit), (std::vector<DependEdge>{edge(bw.exit(), at_last)}));
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
