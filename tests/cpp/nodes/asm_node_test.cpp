#include "complex_hardware/ccp_test_support.hpp"
#include "node_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

struct AsmModel : NodeModel {
    HcpIdent r = make_reg(m, true, "r", 1);
    HcpIdent w = make_wire(m, true, "w", 1);
    AssignMeta into_r = meta_into(m, r, d0_w);
    AssignMeta into_w = meta_into(m, w, d1_w);
    NcpIdent a = make_asm_node_many(m, "r_asm", {into_r, into_w});

    const AsmNode& asm_node() const { return m.arena<AsmNode>().get(a.handle()); }
};

}  // namespace

TEST(AsmNodeTest, RefusesTheTwoPhasesAndHasNoExit) {
    AsmModel t;
    EXPECT_FATAL(assign_ncp_node(t.m, t.a, false, true),
                 "AsmNode::assign_final(): use assign_from_state_node or dry_assign");
    EXPECT_FATAL(t.asm_node().get_exit_opr(), "get_exit_opr: not implemented");
    // Assigned from a state node, it has that node as its only parent.
    const NcpIdent parent = make_state_node(t.m, false, "s");
    t.node(t.a).add_depend_node(parent, std::nullopt);
    t.node(t.a).add_depend_node(parent, std::nullopt);
    set_asm_node_clk_src_direct(t.m, t.a, t.clk_w);
    EXPECT_FATAL(assign_asm_from_state_node(t.m, t.a),
                 "assertion `left == right` failed: AsmNode must have exactly one parent depend\n  "
                 "left: 2\n right: 1");
}

TEST(AsmNodeTest, DryAssignmentPoolsEveryEventUnconditionally) {
    AsmModel t;
    const uint64_t id = peek_global_id();
    dry_assign_asm_node(t.m, t.a);
    EXPECT_EQ(peek_global_id(), id + 1);  // the take only
    EXPECT_EQ(t.pool(t.r).events, std::vector<UpdateEventIdent>{t.into_r.cur_ue});
    EXPECT_EQ(t.pool(t.w).events, std::vector<UpdateEventIdent>{t.into_w.cur_ue});

    const NcpIdent hung = make_asm_node(t.m, false, "hung", t.into_r);
    t.node(hung).add_depend_node(t.p0, std::nullopt);
    EXPECT_FATAL(dry_assign_asm_node(t.m, hung),
                 "assertion `left == right` failed: dry assign must have no depend nodes\n  left: "
                 "1\n right: 0");

    AsmNode empty;
    empty.ident = NcpIdent::make(NodeType::Asm, false, "empty");
    EXPECT_FATAL(empty.dry_assign(t.m), "assertion failed: !self.asm_metas.is_empty()");

    const NcpIdent s = make_state_node(t.m, false, "s");
    EXPECT_FATAL(dry_assign_asm_node(t.m, s),
                 "assertion `left == right` failed: dry_assign_asm_node: node must be an AsmNode\n"
                 "  left: State\n right: Asm");
}

// Assigned from a state node, an assignment lands while the state is active
// and neither the block's reset nor its hold is: each control gates it on its
// own, whether or not the other is present.
TEST(AsmNodeTest, TheStateGatesTheAssignmentUnderEachControlAlone) {
    struct Row {
        bool hold, rst;
    };
    for (const Row row : {Row{true, false}, Row{false, true}, Row{true, true}}) {
        SCOPED_TRACE(format("hold {}, rst {}", row.hold, row.rst));
        AsmModel t;
        const NcpIdent s = make_state_node(t.m, false, "s");
        assign_ncp_node(t.m, s, true, false);
        t.node(t.a).add_depend_node(s, std::nullopt);
        if (row.hold) t.node(t.a).set_hold_node(t.hold);
        if (row.rst) t.node(t.a).set_int_reset_node(t.rst);
        set_asm_node_clk_src_direct(t.m, t.a, t.clk_w);
        assign_asm_from_state_node(t.m, t.a);

        const UpdateEventIdent ue = t.pool(t.r).events.at(0);
        ASSERT_EQ(ue.kind, UeType::Cond);
        const HcpIdent cond = *t.m.arena<UeCond>().get(ue.handle()).conds.at(0);
        const HcpIdent state = get_ncp_node(t.m, s).get_state_operating();
        for (int v = 0; v < 8; ++v) {
            const bool on = v & 1, held = v & 2, reset = v & 4;
            const LogicEval eval(t.m, {{state.global_id(), on},
                                       {t.hold_w.global_id(), held},
                                       {t.rst_w.global_id(), reset}});
            EXPECT_EQ(eval(cond), on && !(row.hold && held) && !(row.rst && reset)) << v;
        }
    }
}
