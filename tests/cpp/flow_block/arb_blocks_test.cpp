// The pipeline and zync blocks: their factories, which register leaves on
// arbiters, and their schematics.
#include "complex_hardware/ccp_test_support.hpp"
#include "model/complex_hardware/arb/arena_factory_arb.hpp"
#include "model/complex_hardware/arb/arena_impl_arb.hpp"
#include "model/complex_hardware/dyn_counter/arena_factory_dyn_counter.hpp"
#include "model/flow_block/common/arena_factory_flow_block_arb.hpp"
#include "schematic_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

struct ArbDesign : Design {
    HcpIdent x = reg("x"), y = reg("y"), v = val(1);

    CcpIdent arb(const char* name) {
        return component([&] { return make_arb(m, true, name, ArbSamePriPolicy::AckOne); });
    }
    CcpIdent counter() {
        return component([&] { return make_dyn_counter(m, true, "c", 4); });
    }
    const Arb& get(const CcpIdent& a) const { return m.arena<Arb>().get(a.handle()); }
    static std::string all_mode_warning(const char* block) {
        return format(
            "[vorlent][warn] zync block '{}': All-mode grant is AND over (ack & cond); the target "
            "may "
            "activate when not all conditions are satisfied\n",
            block);
    }
};

}  // namespace

TEST(ArbBlockFactoryTest, APipelineRegistersItsLeafBeforeTheBlockIsMade) {
    ArbDesign d;
    const CcpIdent a = d.arb("a");
    const CcpIdent cnt = d.counter();
    d.describe();

    const uint64_t b = peek_global_id();
    const FlowBlockIdent p = make_flow_block_pip(d.m, "p", a, 6, false, true);
    EXPECT_EQ(p.abs_name(),
              format("PIPELINE_p_{}", b + 3));  // after the take, the request, the acknowledge
    EXPECT_TRUE(d.m.arena<FlowBlockPip>().get(p.handle()).auto_restart);
    const FlowBlockIdent q = make_flow_block_pip(d.m, "q", a, -2, true, false);
    // auto_req: a constant, always requesting.
    ASSERT_EQ(d.get(a).leaves.size(), 2u);
    EXPECT_EQ((std::tuple{d.get(a).leaves[0].priority, d.get(a).leaves[0].req.hw_type,
                          d.get(a).leaves[1].priority, d.get(a).leaves[1].req.hw_type}),
              (std::tuple{6, HwComponentType::Wire, -2, HwComponentType::Val}));

    // Taking a pipeline block out draws two ids: its placeholder arbiter, then its own.
    const uint64_t t = peek_global_id();
    take_flow_block(d.m, q).put_back();
    EXPECT_EQ(peek_global_id(), t + 2);

    // Another kind of component is refused before any arbiter is touched.
    EXPECT_FATAL(make_flow_block_pip(d.m, "bad", cnt, 1, false, false),
                 "assertion `left == right` failed: PipSchematic::new: ccp must be an Arb\n  left: "
                 "DynCounter\n right: Arb");
    EXPECT_EQ(peek_global_id(), t + 2);
}

TEST(ArbBlockFactoryTest, AZyncRegistersOneLeafPerBindInOrder) {
    ArbDesign d;
    const CcpIdent a = d.arb("a"), b = d.arb("b");
    const CcpIdent cnt = d.counter();
    const HcpIdent cond = d.wire("cond");
    d.describe();

    const FlowBlockIdent z = make_flow_block_zync_multi(
        d.m, "z", {{a, 7, false, std::nullopt}, {b, 3, true, cond}, {a, 1, false, cond}}, true);
    const FlowBlockZync& rec = d.m.arena<FlowBlockZync>().get(z.handle());
    ASSERT_EQ(rec.binds.size(), 3u);
    EXPECT_EQ(
        (std::vector<uint32_t>{rec.binds[0].channel, rec.binds[1].channel, rec.binds[2].channel}),
        (std::vector<uint32_t>{0, 0, 1}));
    EXPECT_EQ((std::tuple{rec.binds[1].arb_i, rec.binds[1].cond_i}), (std::tuple{b, cond}));
    EXPECT_EQ((std::tuple{d.get(a).leaves[0].priority, d.get(a).leaves[1].priority}),
              (std::tuple{7, 1}));
    // auto_ack: a constant acknowledge, locked.
    EXPECT_EQ((std::tuple{d.get(b).leaves[0].ack.hw_type, d.get(b).leaves[0].ack_locked}),
              (std::tuple{HwComponentType::Val, true}));
    const FlowBlockIdent one = make_flow_block_zync(d.m, "one", b, 2, false);
    EXPECT_EQ(d.m.arena<FlowBlockZync>().get(one.handle()).binds.at(0).channel, 1u);

    // A bad later bind is refused before the good one registers its leaf.
    const uint64_t before = peek_global_id();
    EXPECT_FATAL(
        make_flow_block_zync_multi(
            d.m, "bad", {{a, 1, false, std::nullopt}, {cnt, 1, false, std::nullopt}}, false),
        "assertion `left == right` failed: ZyncArbBind::new: ccp must be an Arb\n  left: "
        "DynCounter\n right: Arb");
    EXPECT_EQ(peek_global_id(), before);
    EXPECT_EQ(d.get(a).leaves.size(), 2u);
}

TEST(ZyncSchematicTest, GrantsFoldByOrOrByAndWithConditions) {
    for (bool match_all : {false, true}) {
        SCOPED_TRACE(match_all);
        ArbDesign d;
        const HcpIdent c1 = d.wire("c1"), c2 = d.wire("c2");
        const CcpIdent a = d.arb("a"), b = d.arb("b");
        d.describe();
        const FlowBlockIdent z = d.open(make_flow_block_zync_multi(
            d.m, "zm", {{a, 1, false, std::nullopt}, {b, 1, false, c1}, {a, 2, true, c2}},
            match_all));
        d.assign(d.x, d.v);
        d.close(z);
        EXPECT_EQ(d.build_logged(), match_all ? ArbDesign::all_mode_warning("zm") : "");

        const uint64_t id = z.global_id();
        const NcpIdent state = d.base(z).gen_nodes.at(0);
        const HcpIdent active = d.exit_of(state);
        const LogicEval eval(d.m, {});
        // Requests: the state, gated by the bind's condition.
        EXPECT_EQ(eval.driver(d.get(a).leaves[0].req), active);
        const HcpIdent req1 = eval.driver(d.get(b).leaves[0].req);
        EXPECT_EQ((std::tuple{d.expr(req1).operand_a, d.expr(req1).operand_b}),
                  (std::tuple{active, c1}));
        EXPECT_EQ(eval.driver(d.get(a).leaves[1].req).ident_base.rel_name(),
                  format("zync_req_{}_2", id));

        // grant = ((ack0 op (ack1 & c1)) op (1 & c2)), the third leaf's acknowledge tied to 1.
        const HcpIdent no_grant = *d.edges(state).at(0).guard;
        const HcpIdent grant = *d.expr(no_grant).operand_a;
        const HcpIdent term2 = *d.expr(grant).operand_b;
        EXPECT_EQ(term2.ident_base.rel_name(), format("zync_grant_term_{}_2", id));
        EXPECT_EQ(d.expr(term2).operand_a, d.get(a).leaves[1].ack);
        const HcpIdent ack0 = d.get(a).leaves[0].ack, ack1 = d.get(b).leaves[0].ack;
        for (int bits = 0; bits < 16; ++bits) {
            const bool v0 = bits & 1, v1 = bits & 2, vc1 = bits & 4, vc2 = bits & 8;
            const LogicEval e(d.m, {{ack0.global_id(), v0},
                                    {ack1.global_id(), v1},
                                    {c1.global_id(), vc1},
                                    {c2.global_id(), vc2}});
            const bool t1 = v1 && vc1, t2 = vc2;
            EXPECT_EQ(e(grant), match_all ? (v0 && t1 && t2) : (v0 || t1 || t2)) << bits;
        }
    }
}

TEST(ZyncSchematicTest, TheBuildRefusesWhatTheBlockCannotDo) {
    {
        // Closed without the pre-finalize check: built empty, after the warning.
        ArbDesign d;
        const CcpIdent a = d.arb("a");
        d.describe();
        d.close(d.open(
            make_flow_block_zync_multi(d.m, "e", {{a, 1, false, {}}, {a, 1, false, {}}}, true)));
        EXPECT_EQ(d.build_logged(),
                  ArbDesign::all_mode_warning("e") +
                      "fatal: zync flow block must hold at least one basic node or basic-flow "
                      "sub-block");
    }
    // A bind whose leaf is gone from the arbiter.
    ArbDesign d;
    const CcpIdent a = d.arb("a");
    d.describe();
    const FlowBlockIdent z = d.open(make_flow_block_zync(d.m, "z", a, 1, false));
    d.assign(d.x, d.v);
    d.close(z);
    d.m.arena<Arb>().get_mut(a.handle()).leaves.clear();
    EXPECT_FATAL(d.build(), "ZyncSchematic::build: channel index out of range for arb");
}

TEST(PipSchematicTest, TheArbitersHoldAndResetDriveTheBlock) {
    for (bool auto_restart : {false, true}) {
        SCOPED_TRACE(auto_restart);
        ArbDesign d;
        const HcpIdent hold = d.wire("hold"), rst = d.wire("rst");
        const CcpIdent a = d.arb("a");
        track_module_at_com_init(d.m, d.top);
        arb_set_user_hold(d.m, a, hold, std::nullopt);
        arb_set_user_reset(d.m, a, rst, std::nullopt);
        untrack_module_at_com_init(d.m, d.top);
        d.describe();
        const FlowBlockIdent p = d.open(make_flow_block_pip(d.m, "p", a, 1, true, auto_restart));
        d.seq("body", d.x, d.v);
        d.close(p);
        d.build();

        // What the pipeline simulations do not show: only auto_restart makes a
        // reset start the block, and the wait state keeps polling while held.
        const FlowBlockBase pb = d.base(p);
        EXPECT_EQ(pb.start_srcs,
                  auto_restart ? std::vector<HcpIdent>{rst} : std::vector<HcpIdent>{});
        const NcpIdent wait = pb.gen_nodes[0], entrance = pb.gen_nodes[1];
        EXPECT_FALSE(get_ncp_node(d.m, wait).get_hold_node().has_value());
        EXPECT_EQ(get_ncp_node(d.m, wait).get_int_reset_node(), pb.triggers.int_reset());
        EXPECT_EQ(get_ncp_node(d.m, entrance).get_hold_node(), pb.triggers.hold());
    }
}

// Only one pipeline may own an arbiter's master acknowledge.
TEST(PipSchematicTest, RefusesASecondOwnerOfTheArbiter) {
    ArbDesign d;
    const CcpIdent a = d.arb("a");
    d.describe();
    const FlowBlockIdent par = d.open(make_flow_block_par_auto(d.m, "par"));
    d.around(make_flow_block_pip(d.m, "p1", a, 1, false, false), d.x, d.v);
    d.around(make_flow_block_pip(d.m, "p2", a, 1, false, false), d.x, d.v);
    d.close(par);
    EXPECT_FATAL(d.build(), "Arb::set_master_ack_src: master ack already set");
}
