#include "hcp_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

TEST(HcpFactoryTest, RefusedChecksDrawNoId) {
    TracedModel t;
    const HcpIdent a = make_wire(t.m, true, "a", 8);
    const uint64_t id = peek_global_id();
    EXPECT_FATAL(make_mem_blk(t.m, true, "m", 4, -2), "index_width must be positive, got -2");
    EXPECT_FATAL(
        make_expression_single(t.m, true, "x", LogicOp::BitwiseAnd, a, std::nullopt),
        "Expression::new_single_operand \u2014 unsupported op BitwiseAnd for this constructor");
    EXPECT_EQ(peek_global_id(), id);
    EXPECT_EQ(t.m.arena<MemBlk>().size() + t.m.arena<Expression>().size(), 0u);
}

TEST(HcpFactoryTest, ExpressionWidthsAndOperandRanges) {
    TracedModel t;
    const HcpIdent a = make_wire(t.m, true, "a", 8);
    const HcpIdent b = make_reg(t.m, true, "b", 3);
    auto expr = [&](const HcpIdent& e) -> const Expression& {
        return t.m.arena<Expression>().get(e.handle());
    };

    const Expression& x = expr(
        make_expression(t.m, true, "x", LogicOp::BitwiseXor, a, b, std::nullopt, std::nullopt));
    EXPECT_EQ((std::tuple{x.width, *x.range_a, *x.range_b, *x.operand_b, x.initialised}),
              (std::tuple{8u, Slice{0, 8}, Slice{0, 3}, b, true}));

    EXPECT_EQ(
        expr(make_expression(t.m, true, "le", LogicOp::RelationLe, a, b, Slice{2, 7}, std::nullopt))
            .width,
        1u);
    // The width comes from a's range, not a's whole width.
    const HcpIdent sum =
        make_expression(t.m, true, "s", LogicOp::ArithPlus, a, b, Slice{2, 7}, Slice::whole());
    EXPECT_EQ(expr(sum).width, 5u);
    EXPECT_EQ(expr(sum).range_b, (Slice{0, 3}));

    EXPECT_EQ(
        expr(make_expression_single(t.m, true, "sl", LogicOp::SliceBit, a, Slice{2, 5})).width, 3u);
    EXPECT_EQ(
        expr(make_expression_single(t.m, true, "n", LogicOp::LogicalNot, a, std::nullopt)).width,
        1u);
    EXPECT_EQ(
        expr(make_expression_single(t.m, true, "i", LogicOp::BitwiseInvr, a, Slice::whole())).width,
        8u);
    // Any slice other than the whole-signal one is kept as passed.
    EXPECT_EQ(
        expr(make_expression_single(t.m, true, "z", LogicOp::BitwiseInvr, a, Slice{4, 4})).range_a,
        (Slice{4, 4}));

    const Expression& ext =
        expr(make_expression_constant(t.m, true, "ext", LogicOp::ExtendBit, b, 12, std::nullopt));
    EXPECT_EQ((std::tuple{ext.width, *ext.constant, *ext.range_a}),
              (std::tuple{12u, 12u, Slice{0, 3}}));
}
