#include "complex_hardware/ccp_test_support.hpp"
#include "flow_block/schematic_test_support.hpp"
#include "hw_component/hcp_test_support.hpp"

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

    // The ids the build draws, counted from b ("-": a take):
    const uint64_t b = peek_global_id();
    build_flow(d.m);
    const uint64_t after = peek_global_id();
    EXPECT_DRAWN(
        d.m, b, s,
        {"WIRE_clk",
         "WIRE_mrst",  // b, b+1: the ports
                       // b+2 .. b+8: the start node (its state register's two constants and the
                       // register, its up value and expression, the node, its clock operand)
         "VAL_start_ST_SET", "VAL_start_ST_UNSET", "SR_ST_start_ST", "VAL_upState",
         "EXPR_startExpr", "START_NODE_start", "OPR_NODE_start_clk", TAKE, "UE_BASIC", "UE_BASIC",
         "UE_COND",         // b+9: the start node assigned, its register's events
         TAKE, TAKE, TAKE,  // b+13: the block taken to add the clk and mrst sources, and to build
         "OPR_NODE_flow_mrst_#", "OPR_NODE_flow_clk_#",  // b+16: the block's operand nodes
         TAKE, TAKE,  // b+18: the assignment node, for its clock source and its pre-condition
         // b+20 .. b+23: the step's state node: two constants, register, node
         "VAL_seq_state_#_0_ST_SET", "VAL_seq_state_#_0_ST_UNSET", "SR_ST_seq_state_#_0_ST",
         "STATE_NODE_seq_state_#_0",
         TAKE,             // b+24: the state node's preliminary phase
         TAKE, "UE_COND",  // b+25: the assignment node; its event wrapped in the state
         TAKE,             // b+27: the block for its summary
         // b+28 .. b+33: the state node's final phase, its register's events
         TAKE, "UE_BASIC", "UE_BASIC", "UE_COND", "UE_BASIC", "UE_COND"});
    EXPECT_EQ(after, b + 34);
    // Filed as the top's own, and in their places.
    const Module& top = d.module();
    std::vector<std::vector<uint64_t>> filed;
    using enum HwComponentType;
    for (auto kind : {Wire, Val, StateReg, Expression}) {
        filed.emplace_back();
        for (const HcpIdent& h : top.system_hcps[size_t(kind)])
            filed.back().push_back(h.global_id() - b);
    }
    EXPECT_EQ(filed, (std::vector<std::vector<uint64_t>>{{0, 1}, {2, 3, 5, 20, 21}, {4, 22}, {6}}));
    const FlowBlockBase sb = d.base(s);
    ASSERT_TRUE(top.start_node.has_value() && sb.triggers.mrst() && sb.triggers.clk());
    EXPECT_EQ((std::vector<uint64_t>{top.start_node->global_id(), sb.triggers.mrst()->global_id(),
                                     sb.triggers.clk()->global_id(), d.made<1>(s)[0].global_id()}),
              (std::vector<uint64_t>{b + 7, b + 16, b + 17, b + 23}));
    EXPECT_FALSE(sb.triggers.hold().has_value());
    EXPECT_EQ(sb.clk_srcs,
              (std::vector<HcpIdent>{top.system_hcps[size_t(HwComponentType::Wire)][0]}));

    // The assignment waits for its state: its event is wrapped in the state
    // register, and only that reaches the register's pool.
    ASSERT_EQ(d.pool(r).size(), 1u);
    EXPECT_EQ(d.pool(r)[0].abs_name(), format("UE_COND_{}", b + 26));
    const UeCond& cond = d.m.arena<UeCond>().get(d.pool(r)[0].handle());
    EXPECT_EQ(cond.conds, (std::vector<std::optional<HcpIdent>>{
                              top.system_hcps[size_t(HwComponentType::StateReg)][1]}));
    const UeBasic& inner = d.m.arena<UeBasic>().get(cond.sub_stmts[0]->handle());
    EXPECT_EQ(inner.src, v);
    EXPECT_EQ(inner.common.clk_src_i, top.system_hcps[size_t(HwComponentType::Wire)][0]);

    // The state waits for the start node; its register got its events last.
    EXPECT_EQ(d.edges(sb.gen_nodes[0]), (std::vector<DependEdge>{edge(*top.start_node)}));
    EXPECT_TRUE(d.m.module_trace_stack.empty());
    EXPECT_TRUE(d.m.pending_hcps.empty());

    EXPECT_FATAL(build_flow(d.m), "top module start node must not be set before build_flow");
    // The build freed the seq's steps; it still passes its check.
    EXPECT_FALSE(check_flow_block_prefinalize(d.m, s));
}

TEST(BuildFlowTest, ModulesBuildDepthFirstAndLooseAssignmentsAreDry) {
    ModelArena m;
    HcpIdent r, v, w, ra1, wb;
    ModuleIdent bm;
    const ModuleIdent top = described_module(m, "top", [&] {
        r = make_reg(m, true, "r", 4);
        v = make_val(m, true, "v", 4, 9);
        w = make_wire(m, true, "w", 4);
        described_module(
            m, "a", [&] { described_module(m, "a1", [&] { ra1 = make_reg(m, true, "ra1", 4); }); });
        bm = described_module(m, "b", [&] { wb = make_wire(m, true, "wb", 4); });
    });
    set_top_module(m, top);
    set_reg_reset(m, ra1, v);
    gen_basic_assign(m, r, v, std::nullopt, Slice::whole());  // loose: no block open

    build_flow(m);
    // The loose assignment is assigned without a condition, clocked by clk.
    const auto& pool = get_hcp_assign(m, r).get_update_pool().events;
    ASSERT_EQ(pool.size(), 1u);
    EXPECT_EQ(pool[0].kind, UeType::Basic);
    EXPECT_EQ(get_ue_common(m, pool[0]).clk_src_i,
              m.arena<Module>().get(top.handle()).system_hcps[6][0]);
    // Resets and defaults of every module, in module order: top's wire w,
    // then a1's register reset, then b's wire.
    auto only_event = [&](const HcpIdent& h) {
        return get_hcp_assign(m, h).get_update_pool().events.at(0);
    };
    const UpdateEventIdent we = only_event(w), re = only_event(ra1), be = only_event(wb);
    EXPECT_LT(we.global_id(), re.global_id());
    EXPECT_LT(re.global_id(), be.global_id());
    // b's zero default is filed in b.
    EXPECT_EQ(
        m.arena<Module>().get(bm.handle()).system_hcps[size_t(HwComponentType::Val)][0].abs_name(),
        format("VAL_{}_DEFAULT_ZERO_{}", wb.abs_name(), be.global_id() - 1));
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
        EXPECT_FATAL(build_flow(m),
                     format("build_flow: module \"{}\" (id {}) appears more than once in the "
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
