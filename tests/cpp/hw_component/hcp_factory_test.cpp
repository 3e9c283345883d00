#include "hcp_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

TEST(HcpFactoryTest, FactoriesNameStampAndFileIntoTheTracedModule) {
    TracedModel t;
    const uint64_t id = peek_global_id();
    const HcpIdent r = make_reg(t.m, true, "acc", 8);
    const HcpIdent w = make_wire(t.m, false, "bus", 4);
    const HcpIdent v = make_val(t.m, true, "k", 4, 3);
    const HcpIdent mb = make_mem_blk(t.m, true, "mem", 16, 10);
    const HcpIdent me = make_mem_ele(t.m, true, "rd", mb, r, 16, true);
    const HcpIdent e = make_expression_empty(t.m, false, "tmp", 5);
    EXPECT_EQ(peek_global_id(), id + 6);
    EXPECT_EQ(
        abs_names(r, w, v, mb, me, e),
        (std::vector{format("REG_acc_{}", id), format("WIRE_bus_{}", id + 1),
                     format("VAL_k_{}", id + 2), format("MEM_BLOCK_mem_{}", id + 3),
                     format("MEM_BLOCK_INDEXER_rd_{}", id + 4), format("EXPR_tmp_{}", id + 5)}));

    // The returned identity is complete and is the one stored.
    EXPECT_EQ(r.module_handle(), t.top.handle());
    EXPECT_EQ(t.m.arena<Reg>().get(r.handle()).ident, r);

    // Filed by kind, the user's apart from the system's.
    const Module& mod = t.module();
    EXPECT_EQ(mod.user_hcps[size_t(HwComponentType::Reg)], std::vector<HcpIdent>{r});
    EXPECT_EQ(mod.system_hcps[size_t(HwComponentType::Wire)], std::vector<HcpIdent>{w});
    EXPECT_TRUE(mod.user_hcps[size_t(HwComponentType::Wire)].empty());
}

TEST(HcpFactoryTest, DuringFlowBuildComponentsArePendingOnly) {
    TracedModel t;
    push_module_trace(t.m, t.top, ModuleInitStage::FlowBlockBuild);
    const HcpIdent clk = make_wire(t.m, false, "clk", 1);
    const HcpIdent r = make_reg(t.m, true, "r", 2);
    ASSERT_EQ(t.m.pending_hcps.size(), 2u);
    EXPECT_EQ((std::tuple{t.m.pending_hcps[0].ident, t.m.pending_hcps[0].is_user_com}),
              (std::tuple{clk, false}));
    EXPECT_EQ((std::tuple{t.m.pending_hcps[1].ident, t.m.pending_hcps[1].is_user_com}),
              (std::tuple{r, true}));
    for (const auto& list : t.module().user_hcps) EXPECT_TRUE(list.empty());
    for (const auto& list : t.module().system_hcps) EXPECT_TRUE(list.empty());
    // Stamped all the same.
    EXPECT_EQ(t.m.arena<Reg>().get(r.handle()).ident.module_handle(), t.top.handle());
}

TEST(HcpFactoryTest, NoTracedModuleStopsAfterTheComponentIsMade) {
    ModelArena m;
    const uint64_t id = peek_global_id();
    EXPECT_FATAL(make_reg(m, true, "r", 1), "module trace stack is empty");
    EXPECT_EQ(peek_global_id(), id + 1);
    EXPECT_EQ(m.arena<Reg>().size(), 1u);
    EXPECT_FALSE(m.arena<Reg>().is_taken(0));
}

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

TEST(HcpFactoryTest, ConstantsAreMaskedToTheirWidth) {
    TracedModel t;
    auto val = [&](const HcpIdent& v) -> const Val& { return t.m.arena<Val>().get(v.handle()); };
    EXPECT_EQ(val(make_val(t.m, true, "b", 100, 0x1234)).value, VaryVal::from_u64(0x1234, 100));
    // A negative width holds no bits rather than a huge number of limbs.
    const Val& neg = val(make_val(t.m, true, "d", -5, 7));
    EXPECT_EQ((std::tuple{neg.value, neg.bit_width}), (std::tuple{VaryVal{{}, 0}, -5}));
    // A wide value is kept exactly as handed in.
    const VaryVal raw{{1, 2, 3}, 70};
    EXPECT_EQ(val(make_val_vv(t.m, true, "e", 70, raw)).value, raw);
}
