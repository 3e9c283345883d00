// The pipeline and zync blocks: their factories, which register leaves on
// arbiters, and their schematics.
#include "complex_hardware/ccp_test_support.hpp"
#include "model/complex_hardware/arb/arena_factory_arb.hpp"
#include "model/complex_hardware/arb/arena_impl_arb.hpp"
#include "model/complex_hardware/dyn_counter/arena_factory_dyn_counter.hpp"
#include "model/flow_block/common/arena_factory_flow_block.hpp"
#include "model/flow_block/common/arena_factory_flow_block_arb.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/flow_block/common/flow_block_stack.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_asm.hpp"
#include "model/module/build_flow.hpp"
#include "model/nodes/arena_impl_node.hpp"

using namespace vorlent;
using vorlent::testing::LogicEval;

namespace {

struct Design {
    ModelArena m;
    ModuleIdent top = mk_module(m, "top");
    Design() {
        set_top_module(m, top);
        track_module_at_com_init(m, top);
    }

    // Ends the component stage and starts describing behaviour.
    void describe() {
        untrack_module_at_com_init(m, top);
        track_module_at_flow_init(m, top);
    }
    void build() {
        finalize_flow_procedure(m);
        untrack_module_at_flow_init(m, top);
        build_flow(m);
    }
    void assign(const HcpIdent& des, uint64_t value) {
        const HcpIdent v = make_val(m, true, "v", 8, value);
        gen_basic_assign(m, des, v, std::nullopt, Slice::whole());
    }
    FlowBlockIdent open(FlowBlockIdent b) {
        initialize_flow_block(m, b);
        return b;
    }
    void close(const FlowBlockIdent& b) { finalize_flow_block(m, b, false); }

    // A buildable sequence that is attached nowhere, for a test to slip into
    // a block behind the block's back.
    FlowBlockIdent detached_seq(const HcpIdent& des) {
        const FlowBlockIdent s = open(make_flow_block_seq(m, "detached"));
        assign(des, 9);
        m.flow_block_stack.pop_back();
        return s;
    }

    const Arb& arb(const CcpIdent& a) const { return m.arena<Arb>().get(a.handle()); }
    const Module& module() const { return m.arena<Module>().get(top.handle()); }
    FlowBlockBase base(const FlowBlockIdent& b) {
        auto t = take_flow_block(m, b);
        FlowBlockBase copy = t->get_base();
        t.put_back();
        return copy;
    }
    std::vector<DependEdge> deps(const NcpIdent& n) { return get_ncp_node(m, n).get_node_triggers().depend_nodes; }
    const Expression& expr(const HcpIdent& h) const { return m.arena<Expression>().get(h.handle()); }
    HcpIdent exit_of(const NcpIdent& n) { return get_ncp_node(m, n).get_exit_opr(); }
};

DependEdge edge(const NcpIdent& n, std::optional<HcpIdent> guard = std::nullopt) { return DependEdge{n, guard}; }

}  // namespace

TEST(ArbBlockFactoryTest, APipelineRegistersItsLeafBeforeTheBlockIsMade) {
    Design d;
    const CcpIdent a = make_arb(d.m, true, "a", ArbSamePriPolicy::AckOne);
    const CcpIdent cnt = make_dyn_counter(d.m, true, "c", 4);
    d.describe();

    const uint64_t b = peek_global_id();
    const FlowBlockIdent p = make_flow_block_pip(d.m, "p", a, 6, false, true);
    EXPECT_EQ(p.abs_name(), format("PIPELINE_p_{}", b + 3));  // after the take, the request, the acknowledge
    EXPECT_EQ(p.join_policy, FlowBlockJoinPolicy::SubFlow);
    const FlowBlockPip& rec = d.m.arena<FlowBlockPip>().get(p.handle());
    EXPECT_EQ(rec.arb_i, a);
    EXPECT_TRUE(rec.auto_restart);
    const FlowBlockIdent q = make_flow_block_pip(d.m, "q", a, -2, true, false);
    ASSERT_EQ(d.arb(a).leaves.size(), 2u);
    EXPECT_EQ(d.arb(a).leaves[0].priority, 6);
    EXPECT_EQ(d.arb(a).leaves[0].req.hw_type, HwComponentType::Wire);
    EXPECT_EQ(d.arb(a).leaves[1].priority, -2);
    EXPECT_EQ(d.arb(a).leaves[1].req.hw_type, HwComponentType::Val);  // auto_req: always requesting

    // Taking a pipeline block out draws two ids: its placeholder arbiter, then its own.
    const uint64_t t = peek_global_id();
    take_flow_block(d.m, q).put_back();
    EXPECT_EQ(peek_global_id(), t + 2);

    // Another kind of component is refused before any arbiter is touched.
    const uint64_t before = peek_global_id();
    EXPECT_FATAL(make_flow_block_pip(d.m, "bad", cnt, 1, false, false),
                 "assertion `left == right` failed: PipSchematic::new: ccp must be an Arb\n  left: DynCounter\n right: Arb");
    EXPECT_EQ(peek_global_id(), before);
}

TEST(ArbBlockFactoryTest, AZyncRegistersOneLeafPerBindInOrder) {
    Design d;
    const CcpIdent a = make_arb(d.m, true, "a", ArbSamePriPolicy::AckOne);
    const CcpIdent b = make_arb(d.m, true, "b", ArbSamePriPolicy::AckOne);
    const CcpIdent cnt = make_dyn_counter(d.m, true, "c", 4);
    const HcpIdent cond = make_wire(d.m, true, "cond", 1);
    d.describe();

    const FlowBlockIdent z = make_flow_block_zync_multi(
        d.m, "z", {{a, 7, false, std::nullopt}, {b, 3, true, cond}, {a, 1, false, cond}}, true);
    EXPECT_EQ(z.block_type, FlowBlockType::Zync);
    const FlowBlockZync& rec = d.m.arena<FlowBlockZync>().get(z.handle());
    EXPECT_TRUE(rec.match_all);
    ASSERT_EQ(rec.binds.size(), 3u);
    EXPECT_EQ((std::vector<uint32_t>{rec.binds[0].channel, rec.binds[1].channel, rec.binds[2].channel}),
              (std::vector<uint32_t>{0, 0, 1}));
    EXPECT_EQ(rec.binds[1].arb_i, b);
    EXPECT_EQ(rec.binds[1].cond_i, cond);
    EXPECT_FALSE(rec.binds[0].cond_i.has_value());
    EXPECT_EQ(d.arb(a).leaves[0].priority, 7);
    EXPECT_EQ(d.arb(a).leaves[1].priority, 1);
    EXPECT_EQ(d.arb(b).leaves[0].ack.hw_type, HwComponentType::Val);  // auto_ack
    EXPECT_TRUE(d.arb(b).leaves[0].ack_locked);

    const FlowBlockIdent one = make_flow_block_zync(d.m, "one", b, 2, false);
    const FlowBlockZync& single = d.m.arena<FlowBlockZync>().get(one.handle());
    EXPECT_FALSE(single.match_all);
    ASSERT_EQ(single.binds.size(), 1u);
    EXPECT_EQ(single.binds[0].channel, 1u);
    EXPECT_FALSE(single.binds[0].cond_i.has_value());

    // Refusals draw no id and leave no stray leaf, even for a bad later bind.
    const uint64_t before = peek_global_id();
    EXPECT_FATAL(make_flow_block_zync_multi(d.m, "none", {}, false),
                 "make_flow_block_zync_multi: at least one arb required");
    EXPECT_FATAL(make_flow_block_zync_multi(d.m, "bad", {{a, 1, false, std::nullopt}, {cnt, 1, false, std::nullopt}}, false),
                 "assertion `left == right` failed: ZyncArbBind::new: ccp must be an Arb\n  left: DynCounter\n right: Arb");
    EXPECT_FATAL(add_zync_leaf(d.m, cnt, 1, false, std::nullopt),
                 "assertion `left == right` failed: ZyncArbBind::new: ccp must be an Arb\n  left: DynCounter\n right: Arb");
    EXPECT_EQ(peek_global_id(), before);
    EXPECT_EQ(d.arb(a).leaves.size(), 2u);
}

TEST(ZyncSchematicTest, TheStateRequestsUntilGrantedAndTheBlockEndsWithTheGrant) {
    Design d;
    const HcpIdent x = make_reg(d.m, true, "x", 8), y = make_reg(d.m, true, "y", 8);
    const CcpIdent a = make_arb(d.m, true, "a", ArbSamePriPolicy::AckOne);
    arb_add_leaf(d.m, a, 5);  // a rival of higher priority
    d.describe();
    const FlowBlockIdent s = d.open(make_flow_block_seq(d.m, "s"));
    const FlowBlockIdent z = d.open(make_flow_block_zync(d.m, "z", a, 1, false));
    d.assign(x, 1);
    d.close(z);
    d.assign(y, 2);
    d.close(s);
    ::testing::internal::CaptureStderr();
    d.build();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // one bind: no warning

    const uint64_t id = z.global_id();
    const FlowBlockBase zb = d.base(z);
    ASSERT_EQ(zb.gen_nodes.size(), 2u);
    const NcpIdent state = zb.gen_nodes[0], exit = zb.gen_nodes[1];
    EXPECT_EQ(state.ident_base.rel_name(), format("zync_state_{}", id));
    EXPECT_EQ(exit.node_type, NodeType::Pseudo);
    EXPECT_EQ(exit.ident_base.rel_name(), format("zync_exit_{}", id));
    const NodeWrap w = summarize_block(d.m, z);
    EXPECT_EQ(w.samples(), (std::vector<NcpIdent>{state}));
    EXPECT_EQ(w.exit(), exit);
    EXPECT_EQ(w.cycle(), -1);

    // The request is the state's exit; the grant is the leaf's acknowledge.
    const ArbLeaf& leaf = d.arb(a).leaves[1];
    const HcpIdent active = d.exit_of(state);
    const LogicEval eval(d.m, {});
    EXPECT_EQ(eval.driver(leaf.req), active);
    const HcpIdent no_grant = *d.deps(state).at(0).guard;
    EXPECT_EQ(no_grant.abs_name(), format("EXPR_zync_no_grant_{}_{}", id, no_grant.global_id()));
    EXPECT_EQ(d.expr(no_grant).operand_a, leaf.ack);
    // The self-loop first, then the edge its consumer added.
    EXPECT_EQ(d.deps(state), (std::vector<DependEdge>{edge(state, no_grant), edge(*d.module().start_node)}));

    // x is assigned while the state is active and granted.
    const auto& xpool = get_hcp_assign(d.m, x).get_update_pool().events;
    ASSERT_EQ(xpool.size(), 1u);
    const HcpIdent when = *d.m.arena<UeCond>().get(xpool[0].handle()).conds.at(0);
    const Expression& both = d.expr(when);
    EXPECT_EQ(both.operand_a, leaf.ack);
    EXPECT_EQ(both.operand_b, get_ncp_node(d.m, state).get_state_operating());

    // The next step waits for the cycle of the grant, not for the state.
    EXPECT_EQ(d.deps(exit), (std::vector<DependEdge>{edge(state, leaf.ack)}));
    const NcpIdent next = d.base(s).gen_nodes.at(0);
    EXPECT_EQ(d.deps(next), (std::vector<DependEdge>{edge(exit)}));
    const HcpIdent done = d.exit_of(exit);
    for (bool rival : {false, true})
        for (bool on : {false, true}) {
            const LogicEval e(d.m, {{d.arb(a).leaves[0].req.global_id(), rival}, {active.global_id(), on}});
            EXPECT_EQ(e(done), on && !rival);
        }
}

TEST(ZyncSchematicTest, GrantsFoldByOrOrByAndWithConditions) {
    for (bool match_all : {false, true}) {
        SCOPED_TRACE(match_all);
        Design d;
        const HcpIdent x = make_reg(d.m, true, "x", 8);
        const HcpIdent c1 = make_wire(d.m, true, "c1", 1), c2 = make_wire(d.m, true, "c2", 1);
        const CcpIdent a = make_arb(d.m, true, "a", ArbSamePriPolicy::AckOne);
        const CcpIdent b = make_arb(d.m, true, "b", ArbSamePriPolicy::AckOne);
        d.describe();
        const FlowBlockIdent z =
            d.open(make_flow_block_zync_multi(d.m, "zm", {{a, 1, false, std::nullopt}, {b, 1, false, c1}, {a, 2, true, c2}},
                                              match_all));
        d.assign(x, 3);
        d.close(z);
        ::testing::internal::CaptureStderr();
        d.build();
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  match_all ? "[vorlent][warn] zync block 'zm': All-mode grant is AND over (ack & cond); the target "
                              "may activate when not all conditions are satisfied\n"
                            : "");

        const uint64_t id = z.global_id();
        const NcpIdent state = d.base(z).gen_nodes.at(0);
        const HcpIdent active = d.exit_of(state);
        const LogicEval eval(d.m, {});
        // Requests: the state, gated by the bind's condition.
        EXPECT_EQ(eval.driver(d.arb(a).leaves[0].req), active);
        const HcpIdent req1 = eval.driver(d.arb(b).leaves[0].req);
        EXPECT_EQ(req1.ident_base.rel_name(), format("zync_req_{}_1", id));
        EXPECT_EQ(d.expr(req1).operand_a, active);
        EXPECT_EQ(d.expr(req1).operand_b, c1);
        EXPECT_EQ(eval.driver(d.arb(a).leaves[1].req).ident_base.rel_name(), format("zync_req_{}_2", id));

        // grant = ((ack0 op (ack1 & c1)) op (1 & c2)), the third leaf's acknowledge tied to 1.
        const HcpIdent no_grant = *d.deps(state).at(0).guard;
        const HcpIdent grant = *d.expr(no_grant).operand_a;
        EXPECT_EQ(grant.ident_base.rel_name(), "node_logic_expr");
        EXPECT_EQ(d.expr(grant).op, match_all ? LogicOp::BitwiseAnd : LogicOp::BitwiseOr);
        const HcpIdent term2 = *d.expr(grant).operand_b;
        EXPECT_EQ(term2.ident_base.rel_name(), format("zync_grant_term_{}_2", id));
        EXPECT_EQ(d.expr(term2).operand_a, d.arb(a).leaves[1].ack);
        const HcpIdent ack0 = d.arb(a).leaves[0].ack, ack1 = d.arb(b).leaves[0].ack;
        for (int bits = 0; bits < 16; ++bits) {
            const bool v0 = bits & 1, v1 = bits & 2, vc1 = bits & 4, vc2 = bits & 8;
            const LogicEval e(d.m, {{ack0.global_id(), v0}, {ack1.global_id(), v1}, {c1.global_id(), vc1},
                                    {c2.global_id(), vc2}});
            const bool t1 = v1 && vc1, t2 = vc2;
            EXPECT_EQ(e(grant), match_all ? (v0 && t1 && t2) : (v0 || t1 || t2)) << bits;
        }
    }
}

TEST(ZyncSchematicTest, TheBuildRefusesWhatTheBlockCannotDo) {
    {
        // Closed without the pre-finalize check: built empty. The warning
        // still comes first.
        Design d;
        const CcpIdent a = make_arb(d.m, true, "a", ArbSamePriPolicy::AckOne);
        d.describe();
        d.close(d.open(make_flow_block_zync_multi(d.m, "e", {{a, 1, false, std::nullopt}, {a, 1, false, std::nullopt}}, true)));
        ::testing::internal::CaptureStderr();
        EXPECT_FATAL(d.build(), "zync flow block must hold at least one basic node or basic-flow sub-block");
        EXPECT_NE(::testing::internal::GetCapturedStderr().find("zync block 'e'"), std::string::npos);
    }
    {
        // A bind whose leaf is gone from the arbiter.
        Design d;
        const HcpIdent x = make_reg(d.m, true, "x", 8);
        const CcpIdent a = make_arb(d.m, true, "a", ArbSamePriPolicy::AckOne);
        d.describe();
        const FlowBlockIdent z = d.open(make_flow_block_zync(d.m, "z", a, 1, false));
        d.assign(x, 1);
        d.close(z);
        d.m.arena<Arb>().get_mut(a.handle()).leaves.clear();
        EXPECT_FATAL(d.build(), "ZyncSchematic::build: channel index out of range for arb");
    }
    {
        // A sequenced child cannot get in, and a continuation is refused at build.
        Design d;
        const HcpIdent x = make_reg(d.m, true, "x", 8);
        const CcpIdent a = make_arb(d.m, true, "a", ArbSamePriPolicy::AckOne);
        d.describe();
        const FlowBlockIdent z = d.open(make_flow_block_zync(d.m, "z", a, 1, false));
        d.assign(x, 1);
        const FlowBlockIdent s = d.detached_seq(x);
        {
            auto t = take_flow_block(d.m, z);
            EXPECT_FATAL(t->add_sub_flow_block(s),
                         "assertion `left == right` failed: zync block accepts only basic-flow sub-blocks; use a direct "
                         "asm node or a basic-flow block\n  left: SubFlow\n right: BasicNodeFlow");
            t->get_base_mut().sub_blocks.push_back(s);
            t->get_base_mut().sub_block_positions.push_back(9);
            t.put_back();
        }
        d.close(z);
        EXPECT_FATAL(d.build(), "zync flow block supports only basic nodes or basic-flow sub-blocks");
    }
    {
        Design d;
        const HcpIdent x = make_reg(d.m, true, "x", 8);
        const CcpIdent a = make_arb(d.m, true, "a", ArbSamePriPolicy::AckOne);
        d.describe();
        const FlowBlockIdent z = d.open(make_flow_block_zync(d.m, "z", a, 1, false));
        d.assign(x, 1);
        d.close(z);
        {
            auto t = take_flow_block(d.m, z);
            t->get_base_mut().con_blocks.push_back(d.detached_seq(x));
            t.put_back();
        }
        EXPECT_FATAL(d.build(), "zync flow block does not support con blocks");
    }
}

TEST(PipSchematicTest, TheEntranceIsTheMasterAcknowledgeAndStartsTheBody) {
    Design d;
    const HcpIdent x = make_reg(d.m, true, "x", 8), y = make_reg(d.m, true, "y", 8);
    const CcpIdent a = make_arb(d.m, true, "a", ArbSamePriPolicy::AckOne);
    d.describe();
    const FlowBlockIdent outer = d.open(make_flow_block_seq(d.m, "outer"));
    const FlowBlockIdent p = d.open(make_flow_block_pip(d.m, "p", a, 10, false, false));
    const FlowBlockIdent body = d.open(make_flow_block_seq(d.m, "body"));
    d.assign(x, 1);
    d.assign(x, 2);
    d.close(body);
    d.close(p);
    d.assign(y, 3);  // after a block that never ends
    d.close(outer);
    d.build();

    const uint64_t id = p.global_id();
    const FlowBlockBase pb = d.base(p);
    ASSERT_EQ(pb.gen_nodes.size(), 3u);
    const NcpIdent wait = pb.gen_nodes[0], entrance = pb.gen_nodes[1], dummy = pb.gen_nodes[2];
    EXPECT_EQ(wait.ident_base.rel_name(), format("pip_wait4syn_{}", id));
    EXPECT_EQ(entrance.ident_base.rel_name(), format("pip_entrance_{}", id));
    EXPECT_EQ(dummy.node_type, NodeType::Opr);
    EXPECT_EQ(dummy.ident_base.rel_name(), format("pip_dummy_exit_{}", id));
    const NodeWrap w = summarize_block(d.m, p);
    EXPECT_EQ(w.samples(), (std::vector<NcpIdent>{entrance}));
    EXPECT_EQ(w.exit(), dummy);
    EXPECT_EQ(w.cycle(), -1);

    const HcpIdent mreq = d.arb(a).master_req;
    const HcpIdent no_mreq = *d.deps(wait).at(0).guard;
    EXPECT_EQ(no_mreq.ident_base.rel_name(), format("pip_no_mreq_{}", id));
    EXPECT_EQ(d.expr(no_mreq).operand_a, mreq);
    EXPECT_EQ(d.deps(wait), (std::vector<DependEdge>{edge(entrance, no_mreq)}));
    const NodeWrap bw = summarize_block(d.m, body);
    EXPECT_EQ(d.deps(bw.samples().at(0)), (std::vector<DependEdge>{edge(entrance, mreq)}));
    EXPECT_EQ(d.deps(entrance),
              (std::vector<DependEdge>{edge(bw.exit()), edge(wait), edge(*d.module().start_node)}));

    // The entrance gates every grant of the arbiter.
    EXPECT_EQ(d.arb(a).master_ack, d.exit_of(entrance));
    const HcpIdent ack = LogicEval(d.m, {}).driver(d.arb(a).leaves[0].ack);
    EXPECT_EQ(d.expr(ack).operand_b, d.exit_of(entrance));

    // What follows the pipeline waits for a constant 0.
    const HcpIdent zero = d.exit_of(dummy);
    EXPECT_EQ(zero.abs_name(), format("VAL_pip_zero_{}_{}", id, zero.global_id()));
    EXPECT_EQ(d.m.arena<Val>().get(zero.handle()).value.limbs, (std::vector<uint64_t>{0}));
    EXPECT_EQ(d.deps(d.base(outer).gen_nodes.at(0)), (std::vector<DependEdge>{edge(dummy)}));
}

TEST(PipSchematicTest, TheArbitersHoldAndResetDriveTheBlock) {
    for (bool auto_restart : {false, true}) {
        SCOPED_TRACE(auto_restart);
        Design d;
        const HcpIdent x = make_reg(d.m, true, "x", 8);
        const HcpIdent hold = make_wire(d.m, true, "hold", 1), rst = make_wire(d.m, true, "rst", 1);
        const CcpIdent a = make_arb(d.m, true, "a", ArbSamePriPolicy::AckOne);
        arb_set_user_hold(d.m, a, hold, std::nullopt);
        arb_set_user_reset(d.m, a, rst, std::nullopt);
        d.describe();
        const FlowBlockIdent p = d.open(make_flow_block_pip(d.m, "p", a, 1, true, auto_restart));
        const FlowBlockIdent body = d.open(make_flow_block_seq(d.m, "body"));
        d.assign(x, 1);
        d.close(body);
        d.close(p);
        d.build();

        const FlowBlockBase pb = d.base(p);
        EXPECT_EQ(pb.hold_srcs, (std::vector<HcpIdent>{hold}));
        EXPECT_EQ(pb.rst_srcs, (std::vector<HcpIdent>{rst}));
        EXPECT_EQ(pb.start_srcs, auto_restart ? std::vector<HcpIdent>{rst} : std::vector<HcpIdent>{});
        EXPECT_EQ(d.base(body).hold_srcs, (std::vector<HcpIdent>{hold}));
        const NcpIdent wait = pb.gen_nodes[0], entrance = pb.gen_nodes[1];
        // The wait state keeps polling while held.
        EXPECT_FALSE(get_ncp_node(d.m, wait).get_hold_node().has_value());
        EXPECT_EQ(get_ncp_node(d.m, wait).get_int_reset_node(), pb.triggers.int_reset);
        EXPECT_EQ(get_ncp_node(d.m, entrance).get_hold_node(), pb.triggers.hold);
        const auto entrance_deps = d.deps(entrance);
        EXPECT_EQ(entrance_deps.size(), auto_restart ? 4u : 3u);
        if (auto_restart) {
            EXPECT_EQ(entrance_deps[2], edge(*pb.triggers.int_start));
        }
    }
}

TEST(PipSchematicTest, TheBuildRefusesWhatTheBlockCannotDo) {
    {
        // Only one pipeline may own an arbiter's master acknowledge.
        Design d;
        const HcpIdent x = make_reg(d.m, true, "x", 8);
        const CcpIdent a = make_arb(d.m, true, "a", ArbSamePriPolicy::AckOne);
        d.describe();
        const FlowBlockIdent par = d.open(make_flow_block_par_auto(d.m, "par"));
        for (const char* name : {"p1", "p2"}) {
            const FlowBlockIdent p = d.open(make_flow_block_pip(d.m, name, a, 1, false, false));
            const FlowBlockIdent body = d.open(make_flow_block_seq(d.m, "body"));
            d.assign(x, 1);
            d.close(body);
            d.close(p);
        }
        d.close(par);
        EXPECT_FATAL(d.build(), "Arb::set_master_ack_src: master ack already set");
    }
    {
        Design d;
        const CcpIdent a = make_arb(d.m, true, "a", ArbSamePriPolicy::AckOne);
        d.describe();
        const FlowBlockIdent p = d.open(make_flow_block_pip(d.m, "p", a, 1, false, false));
        EXPECT_FATAL(summarize_block(d.m, p), "pipeline block has not been built");
        d.close(p);
        EXPECT_FATAL(d.build(),
                     "assertion `left == right` failed: pipeline flow block must have exactly one sub-block\n"
                     "  left: 0\n right: 1");
    }
    for (bool con : {false, true}) {
        // What the block refuses to take in, slipped in behind its back.
        Design d;
        const HcpIdent x = make_reg(d.m, true, "x", 8);
        const CcpIdent a = make_arb(d.m, true, "a", ArbSamePriPolicy::AckOne);
        d.describe();
        const FlowBlockIdent p = d.open(make_flow_block_pip(d.m, "p", a, 1, false, false));
        EXPECT_FATAL(d.assign(x, 1), "pipeline block does not accept direct asm nodes; use a sub-block");
        const FlowBlockIdent body = d.open(make_flow_block_seq(d.m, "body"));
        d.assign(x, 2);
        d.close(body);
        d.close(p);
        const FlowBlockIdent extra = d.detached_seq(x);
        {
            auto t = take_flow_block(d.m, p);
            if (con)
                t->get_base_mut().con_blocks.push_back(extra);
            else
                t->get_base_mut().basic_nodes.push_back(d.base(body).basic_nodes.at(0));
            t.put_back();
        }
        EXPECT_FATAL(d.build(), con ? "pipeline flow block does not support con blocks"
                                    : "pipeline flow block does not support basic nodes");
    }
}
