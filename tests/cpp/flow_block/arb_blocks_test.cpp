// The pipeline and zync schematics where the simulations do not look: the
// zync grant of every bind combination, and a pipeline's hold and reset
// without auto_restart.
#include "complex_hardware/ccp_test_support.hpp"
#include "model/complex_hardware/arb/arena_factory_arb.hpp"
#include "model/complex_hardware/arb/arena_impl_arb.hpp"
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

TEST(ZyncSchematicTest, GrantsFoldByOrOrByAndWithConditions) {
    for (bool match_all : {false, true}) {
        SCOPED_TRACE(match_all);
        ArbDesign d;
        const HcpIdent c1 = d.wire("c1"), c2 = d.wire("c2");
        const CcpIdent a = d.arb("a"), b = d.arb("b");
        d.describe();
        const FlowBlockIdent z = d.open(
            make_flow_block_zync_multi(
                d.m, "zm", {{a, 1, false, std::nullopt}, {b, 1, false, c1}, {a, 0, true, c2}},
                match_all)
                .value());
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

// One bind has one condition to AND over, so match-all warns only of more.
TEST(ZyncSchematicTest, MatchAllWarnsOnlyOfSeveralBinds) {
    for (size_t binds : {1, 2}) {
        SCOPED_TRACE(binds);
        ArbDesign d;
        // One arbiter each: a match-all block may not bind one twice where it
        // would never grant both.
        const HcpIdent c = d.wire("c");
        std::vector<ZyncBindArgs> list;
        for (const char* arb : {"a", "b"})
            if (list.size() < binds) list.push_back({d.arb(arb), 1, false, c});
        d.describe();
        const FlowBlockIdent z = d.open(make_flow_block_zync_multi(d.m, "zm", list, true).value());
        d.assign(d.x, d.v);
        d.close(z);
        EXPECT_EQ(d.build_logged(), binds > 1 ? ArbDesign::all_mode_warning("zm") : "");
    }
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
