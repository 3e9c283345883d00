#include "model/flow_block/common/arena_factory_flow_block.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/flow_block/common/flow_block_stack.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_asm.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/hw_component/update_event/arena_impl_update_event.hpp"
#include "model/module/arena_impl_module.hpp"
#include "model/module/build_flow.hpp"
#include "model/nodes/arena_impl_node.hpp"
#include "test_support.hpp"

using namespace vorlent;

namespace {

// Describes one design: a top module with registers, behaviour written by
// the test between describe() and done().
struct Design {
    ModelArena m;
    ModuleIdent top = mk_module(m, "top");

    HcpIdent reg(const char* name, uint32_t width = 8) {
        track_module_at_com_init(m, top);
        HcpIdent r = make_reg(m, true, name, width);
        untrack_module_at_com_init(m, top);
        return r;
    }
    HcpIdent val(uint64_t v, int32_t width = 8) {
        track_module_at_com_init(m, top);
        HcpIdent r = make_val(m, true, "v", width, v);
        untrack_module_at_com_init(m, top);
        return r;
    }
    void describe() { track_module_at_flow_init(m, top); }
    void done() {
        finalize_flow_procedure(m);
        untrack_module_at_flow_init(m, top);
        if (!m.top_module) set_top_module(m, top);
    }
    void assign(const HcpIdent& des, const HcpIdent& src) {
        gen_basic_assign(m, des, src, std::nullopt, Slice::whole());
    }
    FlowBlockIdent open_seq(const char* name) {
        FlowBlockIdent b = make_flow_block_seq(m, name);
        initialize_flow_block(m, b);
        return b;
    }
    FlowBlockIdent open_par(const char* name, bool no_sync = false) {
        FlowBlockIdent b = no_sync ? make_flow_block_par_no_sync(m, name) : make_flow_block_par_auto(m, name);
        initialize_flow_block(m, b);
        return b;
    }
    void close(const FlowBlockIdent& b) { finalize_flow_block(m, b, false); }

    const Module& module() const { return m.arena<Module>().get(top.handle()); }
    NodeWrap wrap(const FlowBlockIdent& b) { return summarize_block(m, b); }
    FlowBlockBase base(const FlowBlockIdent& b) {
        auto t = take_flow_block(m, b);
        FlowBlockBase copy = t->get_base();
        t.put_back();
        return copy;
    }
    const std::vector<UpdateEventIdent>& pool(const HcpIdent& h) {
        return get_hcp_assign(m, h).get_update_pool().events;
    }
    std::vector<NcpIdent> deps(const NcpIdent& n) {
        std::vector<NcpIdent> out;
        for (const auto& e : get_ncp_node(m, n).get_node_triggers().depend_nodes) out.push_back(e.node);
        return out;
    }
};

std::vector<std::string> names(const std::vector<HcpIdent>& ids) {
    std::vector<std::string> out;
    for (const auto& h : ids) out.emplace_back(h.abs_name());
    return out;
}

}  // namespace

// Every id the build draws shows in a name, so the exact sequence matters:
// ports, the start node, then per block the takes, control nodes, states.
TEST(BuildFlowTest, OneStepSequenceDrawsItsIdsInOrder) {
    Design d;
    const HcpIdent r = d.reg("r");
    const HcpIdent v = d.val(5);
    d.describe();
    const FlowBlockIdent s = d.open_seq("s");
    d.assign(r, v);
    d.close(s);
    d.done();

    const uint64_t b = peek_global_id();
    build_flow(d.m);
    const uint64_t after = peek_global_id();
    const uint64_t sid = s.global_id();
    const Module& top = d.module();
    EXPECT_EQ(names(top.system_hcps[size_t(HwComponentType::Wire)]),
              (std::vector<std::string>{format("WIRE_clk_{}", b), format("WIRE_mrst_{}", b + 1)}));
    EXPECT_EQ(names(top.system_hcps[size_t(HwComponentType::Val)]),
              (std::vector<std::string>{format("VAL_start_ST_SET_{}", b + 2), format("VAL_start_ST_UNSET_{}", b + 3),
                                        format("VAL_upState_{}", b + 5),
                                        format("VAL_seq_state_{}_0_ST_SET_{}", sid, b + 20),
                                        format("VAL_seq_state_{}_0_ST_UNSET_{}", sid, b + 21)}));
    EXPECT_EQ(names(top.system_hcps[size_t(HwComponentType::StateReg)]),
              (std::vector<std::string>{format("SR_ST_start_ST_{}", b + 4),
                                        format("SR_ST_seq_state_{}_0_ST_{}", sid, b + 22)}));
    EXPECT_EQ(names(top.system_hcps[size_t(HwComponentType::Expression)]),
              (std::vector<std::string>{format("EXPR_startExpr_{}", b + 6)}));
    ASSERT_TRUE(top.start_node.has_value());
    EXPECT_EQ(top.start_node->abs_name(), format("START_NODE_start_{}", b + 7));

    const FlowBlockBase sb = d.base(s);
    ASSERT_EQ(sb.gen_nodes.size(), 1u);
    EXPECT_EQ(sb.gen_nodes[0].abs_name(), format("STATE_NODE_seq_state_{}_0_{}", sid, b + 23));
    EXPECT_EQ(sb.triggers.mrst->abs_name(), format("OPR_NODE_flow_mrst_{}_{}", sid, b + 16));
    EXPECT_EQ(sb.triggers.clk->abs_name(), format("OPR_NODE_flow_clk_{}_{}", sid, b + 17));
    EXPECT_FALSE(sb.triggers.hold.has_value());
    EXPECT_EQ(sb.clk_srcs, (std::vector<HcpIdent>{top.system_hcps[size_t(HwComponentType::Wire)][0]}));

    // The assignment waits for its state: its event is wrapped in the state
    // register, and only that reaches the register's pool.
    ASSERT_EQ(d.pool(r).size(), 1u);
    EXPECT_EQ(d.pool(r)[0].abs_name(), format("UE_COND_{}", b + 26));
    const UeCond& cond = d.m.arena<UeCond>().get(d.pool(r)[0].handle());
    EXPECT_EQ(cond.conds, (std::vector<std::optional<HcpIdent>>{top.system_hcps[size_t(HwComponentType::StateReg)][1]}));
    const UeBasic& inner = d.m.arena<UeBasic>().get(cond.sub_stmts[0]->handle());
    EXPECT_EQ(inner.src, v);
    EXPECT_EQ(inner.common.clk_src_i, top.system_hcps[size_t(HwComponentType::Wire)][0]);

    // The state waits for the start node; its register got its events last.
    EXPECT_EQ(d.deps(sb.gen_nodes[0]), (std::vector<NcpIdent>{*top.start_node}));
    EXPECT_EQ(after, b + 34);
    EXPECT_TRUE(d.m.module_trace_stack.empty());
    EXPECT_TRUE(d.m.pending_hcps.empty());

    EXPECT_FATAL(build_flow(d.m), "top module start node must not be set before build_flow");
}

TEST(BuildFlowTest, SequenceOfThreeChainsItsStatesAndSumsItsLatency) {
    Design d;
    const HcpIdent a = d.reg("a"), b = d.reg("b"), c = d.reg("c");
    const HcpIdent v = d.val(7);
    d.describe();
    const FlowBlockIdent s = d.open_seq("s");
    d.assign(a, v);
    d.assign(b, v);
    d.assign(c, v);
    d.close(s);
    d.done();
    build_flow(d.m);

    const NodeWrap w = d.wrap(s);
    const std::vector<NcpIdent> states = d.base(s).gen_nodes;
    ASSERT_EQ(states.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(states[i].ident_base.rel_name(), format("seq_state_{}_{}", s.global_id(), i));
    EXPECT_EQ(w.samples(), (std::vector<NcpIdent>{states[0]}));
    EXPECT_EQ(w.exit(), states[2]);
    EXPECT_EQ(w.cycle(), 3);
    EXPECT_EQ(d.deps(states[1]), (std::vector<NcpIdent>{states[0]}));
    EXPECT_EQ(d.deps(states[2]), (std::vector<NcpIdent>{states[1]}));
    EXPECT_EQ(d.deps(states[0]), (std::vector<NcpIdent>{*d.module().start_node}));
    for (const HcpIdent& r : {a, b, c}) EXPECT_EQ(d.pool(r).size(), 1u);

    // A state register's pool, sorted as the backend will: the default
    // clear (50), the step's start (53), the master reset last.
    const HcpIdent reg0 = get_ncp_node(d.m, states[0]).get_state_operating();
    auto sr = take_hcp(d.m, reg0);
    sr->sort_events(d.m);
    sr.put_back();
    std::vector<int32_t> prios;
    for (const auto& ue : d.pool(reg0)) prios.push_back(get_ue_common(d.m, ue).priority);
    EXPECT_EQ(prios, (std::vector<int32_t>{50, 53, 2147483647}));
}

TEST(BuildFlowTest, NestedSequenceLendsItsEntriesAndAssignsNothingForThem) {
    Design d;
    const HcpIdent a = d.reg("a"), b = d.reg("b");
    const HcpIdent v = d.val(1);
    d.describe();
    const FlowBlockIdent outer = d.open_seq("o");
    const FlowBlockIdent inner = d.open_seq("i");
    d.assign(a, v);
    d.assign(b, v);
    d.close(inner);
    d.assign(a, v);
    d.close(outer);
    d.done();
    build_flow(d.m);

    const NodeWrap wi = d.wrap(inner), wo = d.wrap(outer);
    EXPECT_EQ(wo.samples(), wi.samples());
    EXPECT_EQ(wo.cycle(), 3);
    const std::vector<NcpIdent> outer_states = d.base(outer).gen_nodes;
    ASSERT_EQ(outer_states.size(), 1u);
    EXPECT_EQ(d.deps(outer_states[0]), (std::vector<NcpIdent>{wi.exit()}));
    // The inner block's first state waits for the design's start.
    EXPECT_EQ(d.deps(wi.samples()[0]), (std::vector<NcpIdent>{*d.module().start_node}));
}

TEST(BuildFlowTest, ParallelExitIsTheSlowestBranchOrAJoin) {
    Design d;
    const HcpIdent a = d.reg("a"), b = d.reg("b"), c = d.reg("c");
    const HcpIdent v = d.val(2);
    d.describe();
    const FlowBlockIdent p = d.open_par("p");
    d.assign(a, v);  // the block's own state: one cycle
    const FlowBlockIdent s2 = d.open_seq("two");
    d.assign(b, v);
    d.assign(b, v);
    d.close(s2);
    const FlowBlockIdent s1 = d.open_seq("one");
    d.assign(c, v);
    d.close(s1);
    d.close(p);
    d.done();
    build_flow(d.m);

    const NodeWrap w = d.wrap(p), w2 = d.wrap(s2), w1 = d.wrap(s1);
    const FlowBlockBase pb = d.base(p);
    ASSERT_EQ(pb.gen_nodes.size(), 1u);  // the state; no join node
    EXPECT_EQ(pb.gen_nodes[0].ident_base.rel_name(), format("par_state_{}", p.global_id()));
    EXPECT_EQ(w.cycle(), 2);
    EXPECT_EQ(w.exit(), w2.exit());
    EXPECT_EQ(w.samples(), (std::vector<NcpIdent>{pb.gen_nodes[0], w2.samples()[0], w1.samples()[0]}));
    for (const NcpIdent& entry : w.samples())
        EXPECT_EQ(d.deps(entry), (std::vector<NcpIdent>{*d.module().start_node}));
    EXPECT_EQ(d.pool(a).size(), 1u);
    EXPECT_EQ(d.pool(b).size(), 2u);
}

// A hold source makes every state's latency unknown, so branches of a
// parallel block must be joined.
TEST(BuildFlowTest, UnknownLatencyBranchesAreJoinedBySyncOrOr) {
    for (bool no_sync : {false, true}) {
        Design d;
        const HcpIdent a = d.reg("a"), b = d.reg("b");
        const HcpIdent v = d.val(3);
        track_module_at_com_init(d.m, d.top);
        const HcpIdent hold = make_wire(d.m, true, "hold", 1);
        untrack_module_at_com_init(d.m, d.top);
        d.describe();
        const FlowBlockIdent p = d.open_par("p", no_sync);
        const FlowBlockIdent s1 = d.open_seq("s1");
        d.assign(a, v);
        d.close(s1);
        const FlowBlockIdent s2 = d.open_seq("s2");
        d.assign(b, v);
        d.assign(b, v);
        d.close(s2);
        d.close(p);
        d.done();
        {
            auto t = take_flow_block(d.m, s1);
            t->get_base_mut().hold_srcs.push_back(hold);
            t.put_back();
        }
        build_flow(d.m);

        EXPECT_EQ(d.wrap(s1).cycle(), -1);
        const NodeWrap w = d.wrap(p);
        EXPECT_EQ(w.cycle(), -1);
        const FlowBlockBase pb = d.base(p);
        ASSERT_EQ(pb.gen_nodes.size(), 1u);
        const NcpIdent join = pb.gen_nodes[0];
        EXPECT_EQ(w.exit(), join);
        EXPECT_EQ(join.node_type, no_sync ? NodeType::Pseudo : NodeType::Syn);
        EXPECT_EQ(join.ident_base.rel_name(), no_sync ? std::string("par_no_sync_exit")
                                                      : format("par_syn_{}", p.global_id()));
        EXPECT_EQ(d.deps(join), (std::vector<NcpIdent>{d.wrap(s1).exit(), d.wrap(s2).exit()}));
    }
}

TEST(BuildFlowTest, ModulesBuildDepthFirstAndLooseAssignmentsAreDry) {
    ModelArena m;
    const ModuleIdent top = mk_module(m, "top");
    track_module_at_com_init(m, top);
    const HcpIdent r = make_reg(m, true, "r", 4);
    const HcpIdent v = make_val(m, true, "v", 4, 9);
    const HcpIdent w = make_wire(m, true, "w", 4);
    const ModuleIdent a = mk_module(m, "a");
    track_module_at_com_init(m, a);
    const ModuleIdent a1 = mk_module(m, "a1");
    track_module_at_com_init(m, a1);
    const HcpIdent ra1 = make_reg(m, true, "ra1", 4);
    untrack_module_at_com_init(m, a1);
    untrack_module_at_com_init(m, a);
    const ModuleIdent bm = mk_module(m, "b");
    track_module_at_com_init(m, bm);
    const HcpIdent wb = make_wire(m, true, "wb", 4);
    untrack_module_at_com_init(m, bm);
    untrack_module_at_com_init(m, top);
    set_top_module(m, top);
    set_reg_reset(m, ra1, v);
    gen_basic_assign(m, r, v, std::nullopt, Slice::whole());  // loose: no block open

    build_flow(m);
    // The loose assignment is assigned without a condition, clocked by clk.
    const auto& pool = get_hcp_assign(m, r).get_update_pool().events;
    ASSERT_EQ(pool.size(), 1u);
    EXPECT_EQ(pool[0].kind, UeType::Basic);
    EXPECT_EQ(get_ue_common(m, pool[0]).clk_src_i, m.arena<Module>().get(top.handle()).system_hcps[6][0]);
    // Resets and defaults of every module, in module order: top's wire w,
    // then a1's register reset, then b's wire.
    const auto& wpool = get_hcp_assign(m, w).get_update_pool().events;
    const auto& rpool = get_hcp_assign(m, ra1).get_update_pool().events;
    const auto& bpool = get_hcp_assign(m, wb).get_update_pool().events;
    ASSERT_EQ(wpool.size(), 1u);
    ASSERT_EQ(rpool.size(), 1u);
    ASSERT_EQ(bpool.size(), 1u);
    EXPECT_LT(wpool[0].global_id(), rpool[0].global_id());
    EXPECT_LT(rpool[0].global_id(), bpool[0].global_id());
    EXPECT_EQ(get_ue_common(m, rpool[0]).priority, 2147483647);
    // b's zero default is filed in b.
    EXPECT_EQ(m.arena<Module>().get(bm.handle()).system_hcps[size_t(HwComponentType::Val)][0].abs_name(),
              format("VAL_{}_DEFAULT_ZERO_{}", wb.abs_name(), bpool[0].global_id() - 1));
}

TEST(BuildFlowTest, RefusesBadTreesAndMissingPieces) {
    {
        ModelArena m;
        EXPECT_FATAL(build_flow(m), "build_flow: no top module set");
    }
    {
        // A module tracked under itself lists itself as a child.
        ModelArena m;
        const ModuleIdent top = mk_module(m, "top");
        track_module_at_com_init(m, top);
        track_module_at_com_init(m, top);
        untrack_module_at_com_init(m, top);
        untrack_module_at_com_init(m, top);
        set_top_module(m, top);
        EXPECT_FATAL(build_flow(m), format("build_flow: module \"{}\" (id {}) appears more than once in the "
                                           "module tree",
                                           top.abs_name(), top.global_id()));
    }
    {
        // An empty seq passes finalize but not the build.
        Design d;
        d.describe();
        d.close(d.open_seq("s"));
        d.done();
        EXPECT_FATAL(build_flow(d.m), "seq flow block has no element");
    }
}

// Sources reach the children before anything is built; children are built,
// and make their control nodes, before the parent makes its own.
TEST(BuildFlowTest, SourcesGoDownBeforeChildrenAndParentsBuild) {
    Design d;
    const HcpIdent a = d.reg("a");
    const HcpIdent v = d.val(4);
    track_module_at_com_init(d.m, d.top);
    const HcpIdent h1 = make_wire(d.m, true, "h1", 1);
    const HcpIdent h2 = make_wire(d.m, true, "h2", 1);
    const HcpIdent st = make_wire(d.m, true, "st", 1);
    untrack_module_at_com_init(d.m, d.top);
    d.describe();
    const FlowBlockIdent outer = d.open_seq("outer");
    const FlowBlockIdent inner = d.open_seq("inner");
    d.assign(a, v);
    d.close(inner);
    d.close(outer);
    d.done();
    {
        auto t = take_flow_block(d.m, outer);
        t->get_base_mut().hold_srcs = {h1, h2};
        t->get_base_mut().start_srcs = {st};
        t.put_back();
    }
    build_flow(d.m);

    const FlowBlockBase ob = d.base(outer), ib = d.base(inner);
    // The child inherits the hold sources (and clk, mrst) but not the start.
    EXPECT_EQ(ib.hold_srcs, (std::vector<HcpIdent>{h1, h2}));
    EXPECT_TRUE(ib.start_srcs.empty());
    EXPECT_FALSE(ib.triggers.int_start.has_value());
    ASSERT_TRUE(ib.triggers.hold && ob.triggers.hold && ob.triggers.int_start);
    EXPECT_LT(ib.triggers.hold->global_id(), ob.triggers.hold->global_id());
    // Two hold sources: one OR expression of the node's own name, then the node.
    const HcpIdent ored = get_ncp_node(d.m, *ob.triggers.hold).get_exit_opr();
    EXPECT_EQ(ored.abs_name(), format("EXPR_flow_hold_{}_{}", outer.global_id(), ob.triggers.hold->global_id() - 1));
    EXPECT_EQ(ob.triggers.hold->abs_name(), format("OPR_NODE_flow_hold_{}_{}", outer.global_id(), ored.global_id() + 1));
    // Held and started: no fixed latency anywhere.
    EXPECT_EQ(d.wrap(inner).cycle(), -1);
    EXPECT_EQ(d.wrap(outer).cycle(), -1);
    // The start source starts the first step, beside the design's start.
    EXPECT_EQ(d.deps(d.wrap(inner).samples()[0]), (std::vector<NcpIdent>{*ob.triggers.int_start, *d.module().start_node}));
}
