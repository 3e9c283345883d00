#include "node_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

TEST(NodeFactoryTest, AssignmentNodesHoldTheirMetas) {
    TracedModel t;
    const HcpIdent a = make_reg(t.m, true, "a", 1);
    const HcpIdent b = make_wire(t.m, true, "b", 1);
    const AssignMeta ma = meta_into(t.m, a, b);
    const AssignMeta mb = meta_into(t.m, b, a);

    uint64_t id = peek_global_id();
    const NcpIdent one = make_asm_node(t.m, true, "one", ma);
    EXPECT_EQ(one.abs_name(), format("ASM_NODE_one_{}", id));
    EXPECT_TRUE(one.ident_base.is_user_com());
    const AsmNode& n1 = t.m.arena<AsmNode>().get(one.handle());
    EXPECT_EQ(n1.ident, one);
    EXPECT_EQ(n1.asm_metas, std::vector<AssignMeta>{ma});

    const NcpIdent many = make_asm_node_many(t.m, "many", {ma, mb});
    EXPECT_EQ(many.abs_name(), format("ASM_NODE_many_{}", id + 1));
    EXPECT_FALSE(many.ident_base.is_user_com());
    EXPECT_EQ(t.m.arena<AsmNode>().get(many.handle()).asm_metas, (std::vector<AssignMeta>{ma, mb}));

    id = peek_global_id();
    EXPECT_FATAL(make_asm_node_many(t.m, "none", {}), "assertion failed: !metas.is_empty()");
    EXPECT_EQ(peek_global_id(), id);
    EXPECT_EQ(t.m.arena<AsmNode>().size(), 2u);
}

TEST(NodeFactoryTest, OperandAndPseudoNodes) {
    TracedModel t;
    const HcpIdent clk = make_wire(t.m, false, "clk", 1);

    uint64_t id = peek_global_id();
    const NcpIdent opr = make_opr_node(t.m, "start_clk", clk);
    EXPECT_EQ(opr.abs_name(), format("OPR_NODE_start_clk_{}", id));
    EXPECT_EQ(t.m.arena<OprNode>().get(opr.handle()).operand, clk);

    id = peek_global_id();
    EXPECT_FATAL(make_pseudo_node(t.m, "p", 1, LogicOp::BitwiseXor),
                 "assertion failed: matches!(join_op, LogicOp::BitwiseAnd | LogicOp::BitwiseOr)");
    EXPECT_EQ(peek_global_id(), id);

    const NcpIdent pseudo = make_pseudo_node(t.m, "cif_exit_3", 2, LogicOp::BitwiseOr);
    EXPECT_EQ(pseudo.abs_name(), format("PSEUDO_NODE_cif_exit_3_{}", id + 1));
    const PseudoNode& p = t.m.arena<PseudoNode>().get(pseudo.handle());
    EXPECT_EQ(p.expr.abs_name(), format("EXPR_pseudo_init_expr_{}", id));
    EXPECT_EQ((std::tuple{p.width, p.join_op}), (std::tuple{2u, LogicOp::BitwiseOr}));
    const Expression& e = t.m.arena<Expression>().get(p.expr.handle());
    EXPECT_EQ((std::tuple{e.width, e.initialised}), (std::tuple{2u, false}));
    EXPECT_EQ(t.module().system_hcps[size_t(HwComponentType::Expression)], std::vector<HcpIdent>{p.expr});
}
