#include "complex_hardware/ccp_test_support.hpp"
#include "flow_block/schematic_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

// Every id the build draws shows in a name, so the exact sequence matters:
// ports, the start node, then per block the takes, control nodes, states.
TEST(BuildFlowTest, OneStepSequenceDrawsItsIdsInOrder) {
    Design d;
    const HcpIdent r = d.reg("r");
    const HcpIdent v = d.val(5);
    d.describe();
    const FlowBlockIdent s = d.open(make_flow_block_seq(d.m, "s"));
    d.assign(r, v);
    d.close(s);
    d.done();

    const uint64_t b = peek_global_id();
    build_flow(d.m);
    const uint64_t after = peek_global_id();
    const uint64_t sid = s.global_id();
    const Module& top = d.module();
    EXPECT_EQ(names_of(top.system_hcps[size_t(HwComponentType::Wire)]),
              (std::vector<std::string>{format("WIRE_clk_{}", b), format("WIRE_mrst_{}", b + 1)}));
    EXPECT_EQ(names_of(top.system_hcps[size_t(HwComponentType::Val)]),
              (std::vector<std::string>{format("VAL_start_ST_SET_{}", b + 2), format("VAL_start_ST_UNSET_{}", b + 3),
                                        format("VAL_upState_{}", b + 5),
                                        format("VAL_seq_state_{}_0_ST_SET_{}", sid, b + 20),
                                        format("VAL_seq_state_{}_0_ST_UNSET_{}", sid, b + 21)}));
    EXPECT_EQ(names_of(top.system_hcps[size_t(HwComponentType::StateReg)]),
              (std::vector<std::string>{format("SR_ST_start_ST_{}", b + 4),
                                        format("SR_ST_seq_state_{}_0_ST_{}", sid, b + 22)}));
    EXPECT_EQ(names_of(top.system_hcps[size_t(HwComponentType::Expression)]),
              (std::vector<std::string>{format("EXPR_startExpr_{}", b + 6)}));
    ASSERT_TRUE(top.start_node.has_value());
    EXPECT_EQ(top.start_node->abs_name(), format("START_NODE_start_{}", b + 7));

    const FlowBlockBase sb = d.base(s);
    ASSERT_EQ(sb.gen_nodes.size(), 1u);
    EXPECT_EQ(sb.gen_nodes[0].abs_name(), format("STATE_NODE_seq_state_{}_0_{}", sid, b + 23));
    EXPECT_EQ(sb.triggers.mrst()->abs_name(), format("OPR_NODE_flow_mrst_{}_{}", sid, b + 16));
    EXPECT_EQ(sb.triggers.clk()->abs_name(), format("OPR_NODE_flow_clk_{}_{}", sid, b + 17));
    EXPECT_FALSE(sb.triggers.hold().has_value());
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
    EXPECT_EQ(d.edges(sb.gen_nodes[0]), (std::vector<DependEdge>{edge(*top.start_node)}));
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
    const FlowBlockIdent s = d.open(make_flow_block_seq(d.m, "s"));
    d.assign(a, v);
    d.assign(b, v);
    d.assign(c, v);
    d.close(s);
    d.build();

    const NodeWrap w = d.wrap(s);
    const std::vector<NcpIdent> states = d.base(s).gen_nodes;
    ASSERT_EQ(states.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(states[i].ident_base.rel_name(), format("seq_state_{}_{}", s.global_id(), i));
    EXPECT_EQ(w.samples(), (std::vector<NcpIdent>{states[0]}));
    EXPECT_EQ(w.exit(), states[2]);
    EXPECT_EQ(w.cycle(), 3);
    EXPECT_EQ(d.edges(states[1]), (std::vector<DependEdge>{edge(states[0])}));
    EXPECT_EQ(d.edges(states[2]), (std::vector<DependEdge>{edge(states[1])}));
    EXPECT_EQ(d.edges(states[0]), (std::vector<DependEdge>{edge(d.start())}));
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
    const FlowBlockIdent outer = d.open(make_flow_block_seq(d.m, "o"));
    const FlowBlockIdent inner = d.open(make_flow_block_seq(d.m, "i"));
    d.assign(a, v);
    d.assign(b, v);
    d.close(inner);
    d.assign(a, v);
    d.close(outer);
    d.build();

    const NodeWrap wi = d.wrap(inner), wo = d.wrap(outer);
    EXPECT_EQ(wo.samples(), wi.samples());
    EXPECT_EQ(wo.cycle(), 3);
    const std::vector<NcpIdent> outer_states = d.base(outer).gen_nodes;
    ASSERT_EQ(outer_states.size(), 1u);
    EXPECT_EQ(d.edges(outer_states[0]), (std::vector<DependEdge>{edge(wi.exit())}));
    // The inner block's first state waits for the design's start.
    EXPECT_EQ(d.edges(wi.samples()[0]), (std::vector<DependEdge>{edge(d.start())}));
}

TEST(BuildFlowTest, ParallelExitIsTheSlowestBranchOrAJoin) {
    Design d;
    const HcpIdent a = d.reg("a"), b = d.reg("b"), c = d.reg("c");
    const HcpIdent v = d.val(2);
    d.describe();
    const FlowBlockIdent p = d.open(make_flow_block_par_auto(d.m, "p"));
    d.assign(a, v);  // the block's own state: one cycle
    const FlowBlockIdent s2 = d.open(make_flow_block_seq(d.m, "two"));
    d.assign(b, v);
    d.assign(b, v);
    d.close(s2);
    const FlowBlockIdent s1 = d.open(make_flow_block_seq(d.m, "one"));
    d.assign(c, v);
    d.close(s1);
    d.close(p);
    d.build();

    const NodeWrap w = d.wrap(p), w2 = d.wrap(s2), w1 = d.wrap(s1);
    const FlowBlockBase pb = d.base(p);
    ASSERT_EQ(pb.gen_nodes.size(), 1u);  // the state; no join node
    EXPECT_EQ(pb.gen_nodes[0].ident_base.rel_name(), format("par_state_{}", p.global_id()));
    EXPECT_EQ(w.cycle(), 2);
    EXPECT_EQ(w.exit(), w2.exit());
    EXPECT_EQ(w.samples(), (std::vector<NcpIdent>{pb.gen_nodes[0], w2.samples()[0], w1.samples()[0]}));
    for (const NcpIdent& entry : w.samples())
        EXPECT_EQ(d.edges(entry), (std::vector<DependEdge>{edge(d.start())}));
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
        const HcpIdent hold = d.wire("hold");
        d.describe();
        const FlowBlockIdent p =
            d.open(no_sync ? make_flow_block_par_no_sync(d.m, "p") : make_flow_block_par_auto(d.m, "p"));
        const FlowBlockIdent s1 = d.open(make_flow_block_seq(d.m, "s1"));
        d.assign(a, v);
        d.close(s1);
        const FlowBlockIdent s2 = d.open(make_flow_block_seq(d.m, "s2"));
        d.assign(b, v);
        d.assign(b, v);
        d.close(s2);
        d.close(p);
        d.add_src(s1, &FlowBlockBase::hold_srcs, hold);
        d.build();

        EXPECT_EQ(d.wrap(s1).cycle(), -1);
        const NodeWrap w = d.wrap(p);
        EXPECT_EQ(w.cycle(), -1);
        const FlowBlockBase pb = d.base(p);
        const NcpIdent join = pb.gen_nodes.back();
        EXPECT_EQ(w.exit(), join);
        EXPECT_EQ(join.node_type, no_sync ? NodeType::Pseudo : NodeType::Syn);
        EXPECT_EQ(join.ident_base.rel_name(), no_sync ? std::string("par_no_sync_exit")
                                                      : format("par_syn_{}", p.global_id()));
        if (!no_sync) {
            ASSERT_EQ(pb.gen_nodes.size(), 1u);
            EXPECT_EQ(d.edges(join), (std::vector<DependEdge>{edge(d.wrap(s1).exit()), edge(d.wrap(s2).exit())}));
            continue;
        }
        // No-sync: one entry node starts both branches, and the exit passes
        // a branch end only while the state "par_done_{}" is clear.
        ASSERT_EQ(pb.gen_nodes.size(), 3u);
        const NcpIdent entry = pb.gen_nodes[0], done = pb.gen_nodes[1];
        EXPECT_EQ(w.samples(), std::vector<NcpIdent>{entry});
        EXPECT_EQ(entry.ident_base.rel_name(), format("par_entry_{}", p.global_id()));
        EXPECT_EQ(done.ident_base.rel_name(), format("par_done_{}", p.global_id()));
        for (const FlowBlockIdent& s : {s1, s2})
            EXPECT_EQ(d.edges(d.wrap(s).samples()[0]), std::vector<DependEdge>{edge(entry)});
        const std::vector<DependEdge> exits = d.edges(join);
        ASSERT_EQ(exits.size(), 2u);
        EXPECT_EQ(exits[0].node, d.wrap(s1).exit());
        EXPECT_EQ(exits[1].node, d.wrap(s2).exit());
        EXPECT_EQ(exits[0].guard, exits[1].guard);
        ASSERT_TRUE(exits[0].guard.has_value());
    }
}

TEST(BuildFlowTest, ModulesBuildDepthFirstAndLooseAssignmentsAreDry) {
    ModelArena m;
    const ModuleIdent top = make_module(m, "top");
    track_module_at_com_init(m, top);
    const HcpIdent r = make_reg(m, true, "r", 4);
    const HcpIdent v = make_val(m, true, "v", 4, 9);
    const HcpIdent w = make_wire(m, true, "w", 4);
    const ModuleIdent a = make_module(m, "a");
    track_module_at_com_init(m, a);
    const ModuleIdent a1 = make_module(m, "a1");
    track_module_at_com_init(m, a1);
    const HcpIdent ra1 = make_reg(m, true, "ra1", 4);
    untrack_module_at_com_init(m, a1);
    untrack_module_at_com_init(m, a);
    const ModuleIdent bm = make_module(m, "b");
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
        const ModuleIdent top = make_module(m, "top");
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
        EXPECT_EQ(refusal(), format("build_flow: flow block \"{}\" (id {}) is still open; close it with "
                                    "finalize_flow_block and end the module's behaviour with "
                                    "finalize_flow_procedure",
                                    s.abs_name(), s.global_id()));
        EXPECT_EQ(peek_global_id(), first);
        d.close(s);
        const FlowBlockIdent head = d.open(make_flow_block_cif(d.m, "c", c, std::nullopt));
        d.seq("body", r, v);
        d.close(head);
        const uint64_t second = peek_global_id();
        EXPECT_EQ(refusal(), format("build_flow: flow block \"{}\" (id {}) still waits on the flow-block "
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
    EXPECT_EQ(ored.abs_name(), format("EXPR_flow_hold_{}_{}", outer.global_id(), ob.triggers.hold()->global_id() - 1));
    EXPECT_EQ(ob.triggers.hold()->abs_name(), format("OPR_NODE_flow_hold_{}_{}", outer.global_id(), ored.global_id() + 1));
    // Held and started: no fixed latency anywhere.
    EXPECT_EQ(d.wrap(inner).cycle(), -1);
    EXPECT_EQ(d.wrap(outer).cycle(), -1);
    // The start source starts the first step, beside the design's start.
    EXPECT_EQ(d.edges(d.wrap(inner).samples()[0]),
              (std::vector<DependEdge>{edge(*ob.triggers.int_start()), edge(d.start())}));
}
