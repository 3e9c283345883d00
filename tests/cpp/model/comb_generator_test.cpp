// The combinational generators: the trees they build (shape, names, ids,
// widths) and their refusals.
#include "model/arena_impl_comb.hpp"
#include "model/flow_block/common/arena_factory_flow_block.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/flow_block/common/flow_block_stack.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/model_arena.hpp"
#include "model/module/arena_impl_module.hpp"
#include "test_support.hpp"

using namespace vorlent;

namespace {

// A top module traced while its behaviour is described.
struct GenFixture : ::testing::Test {
    ModelArena m;
    ModuleIdent top = make_module(m, "top");

    GenFixture() {
        set_top_module(m, top);
        track_module_at_flow_init(m, top);
    }

    HcpIdent wire(const char* name, uint32_t width) { return make_wire(m, true, name, width); }
    const Expression& expr(const HcpIdent& h) { return m.arena<Expression>().get(h.handle()); }
    const Val& val(const HcpIdent& h) { return m.arena<Val>().get(h.handle()); }
    int32_t width_of(const HcpIdent& h) { return get_hcp_assign(m, h).get_des_slice().size(); }
    const Module& module() { return m.arena<Module>().get(top.handle()); }
    const std::vector<HcpIdent>& user_list(HwComponentType t) {
        return module().user_hcps[size_t(t)];
    }

    template <class T>
    const T& ok(const Result<T>& r) {
        if (!r.ok()) ADD_FAILURE() << r.error().message;
        return r.value();
    }
    template <class T>
    std::string error_of(const Result<T>& r) {
        return r.ok() ? "<no error>" : r.error().message;
    }
};

std::string abs(std::string_view kind, std::string_view name, uint64_t id) {
    return format("{}_{}_{}", kind, name, id);
}

}  // namespace

// ---------------------------------------------------------------- trees

TEST_F(GenFixture, AnyOfFiveTermsPairsNeighboursAndCarriesTheOddOneUp) {
    std::vector<HcpIdent> s;
    for (int i = 0; i < 5; ++i) s.push_back(wire("s", 4));
    std::vector<CombTerm> terms;
    for (int i = 0; i < 5; ++i) terms.push_back(CombTerm{s[i], Slice::range(i % 4, i % 4 + 1)});
    const uint64_t first = peek_global_id();

    const HcpIdent root = *gen_any_of(m, "any", terms);

    // Four nodes, one id each: (0,1), (2,3), then those two, then that with 4.
    EXPECT_EQ(peek_global_id(), first + 4);
    const auto& exprs = user_list(HwComponentType::Expression);
    ASSERT_EQ(exprs.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(exprs[i].abs_name(), abs("EXPR", "any_t", first + i));
        EXPECT_EQ((std::tuple{expr(exprs[i]).op, width_of(exprs[i])}),
                  (std::tuple{LogicOp::LogicalOr, 1}));
    }
    EXPECT_EQ(root, exprs[3]);
    auto operands = [&](const HcpIdent& e) {
        const Expression& x = expr(e);
        return std::tuple{*x.operand_a, *x.range_a, *x.operand_b, *x.range_b};
    };
    EXPECT_EQ(operands(exprs[0]), (std::tuple{s[0], Slice::range(0, 1), s[1], Slice::range(1, 2)}));
    EXPECT_EQ(operands(exprs[1]), (std::tuple{s[2], Slice::range(2, 3), s[3], Slice::range(3, 4)}));
    // Results enter the next level whole; the carried term keeps its slice.
    EXPECT_EQ(operands(exprs[2]),
              (std::tuple{exprs[0], Slice::range(0, 1), exprs[1], Slice::range(0, 1)}));
    EXPECT_EQ(operands(exprs[3]),
              (std::tuple{exprs[2], Slice::range(0, 1), s[4], Slice::range(0, 1)}));
}

TEST_F(GenFixture, AnyOfWithNoTermIsAConstantZeroAndWithOneTermMakesNothing) {
    const HcpIdent a = wire("a", 3);
    const uint64_t before = peek_global_id();
    EXPECT_EQ(gen_any_of(m, "one", {CombTerm{a, Slice::range(0, 3)}}), std::nullopt);
    EXPECT_EQ(peek_global_id(), before);

    const HcpIdent zero = *gen_any_of(m, "none", {});
    EXPECT_EQ(zero.abs_name(), abs("VAL", "none", before));
    EXPECT_EQ(val(zero).value, VaryVal::from_u64(0, 1));
    EXPECT_EQ(user_list(HwComponentType::Val), (std::vector{zero}));
}

TEST_F(GenFixture, FoldBalancedKeepsALoneOperandAndRefusesOpsWithoutAWidthRule) {
    const HcpIdent a = wire("a", 6);
    const HcpIdent b = wire("b", 6);
    const uint64_t before = peek_global_id();
    EXPECT_EQ(fold_balanced(m, "f", {CombOperand{a, Slice::range(1, 3)}}, LogicOp::ArithPlus), a);
    EXPECT_EQ(peek_global_id(), before);

    // The width follows the left operand's range.
    const HcpIdent x =
        fold_balanced(m, "f", {CombOperand{a, Slice::range(1, 4)}, CombOperand{b, std::nullopt}},
                      LogicOp::BitwiseXor);
    EXPECT_EQ(width_of(x), 3);
    EXPECT_EQ(*expr(x).range_b, Slice::range(0, 6));

    EXPECT_FATAL(fold_balanced(m, "f", {CombOperand{a, std::nullopt}, CombOperand{b, std::nullopt}},
                               LogicOp::ExtendBit),
                 "Expression::new \u2014 unsupported op ExtendBit for this constructor");
    EXPECT_FATAL(fold_balanced(m, "f", {}, LogicOp::ArithPlus),
                 "fold_balanced: at least one operand required");
}

// ---------------------------------------------------------------- sum count

// Terms below 2 bits count as 1 bit. Exact in 128 bits, up to a sum of 128
// bits; past it the bound by ceil(log2 n) takes over. From 101-bit terms on:
// the width plus ceil(log2 n).
TEST(SumCntWidthTest, JustWideEnoughForTheLargestSum) {
    const size_t p27 = size_t(1) << 27, p28 = p27 * 2, p28_1 = p28 + 1;
    const struct {
        size_t n;
        int32_t widest;
        uint32_t width;
    } cases[] = {{8, 1, 4},         {3, 1, 2},     {2, 8, 9},       {1, 8, 8},
                 {2, 64, 65},       {4, 0, 3},     {4, -5, 3},      {1, 100, 100},
                 {2, 100, 101},     {3, 100, 102}, {p27, 100, 127}, {p28, 100, 128},
                 {p28_1, 100, 129}, {1, 101, 101}, {5, 101, 104},   {4, 200, 202}};
    for (const auto& c : cases)
        EXPECT_EQ(sum_cnt_width(c.n, c.widest), c.width) << c.n << " x " << c.widest;
}

// ---------------------------------------------------------------- rotate

TEST_F(GenFixture, RotateAmountsReduceModuloTheWidth) {
    const HcpIdent x = wire("x", 8);
    const uint64_t before = peek_global_id();
    for (int64_t amount : {int64_t(0), int64_t(8), int64_t(-16), int64_t(800)})
        EXPECT_EQ(gen_rotate_left(m, "r", x, Slice::whole(), amount, std::nullopt).value(),
                  std::nullopt);
    EXPECT_EQ(gen_rotate_right(m, "r", x, Slice::whole(), 24, std::nullopt).value(), std::nullopt);
    EXPECT_EQ(peek_global_id(), before);

    // The values of the other amounts are simulated from Python; the
    // operation name is only for the texts: gen_rotate is left.
    const Expression& e = expr(*ok(gen_rotate(m, "op", "r", x, Slice::whole(), 3, std::nullopt)));
    EXPECT_EQ(val(*expr(*e.operand_a).operand_b).value.limbs.at(0), 3u);
}

TEST_F(GenFixture, RotateWidthChecksComeBeforeAnythingIsMade) {
    const HcpIdent x = wire("x", 8);
    const uint64_t before = peek_global_id();
    // The operation's own name heads the refusal.
    EXPECT_EQ(error_of(gen_rotate(m, "spin", "r", x, Slice::whole(), 1, -3)),
              "spin needs a width >= 1, got -3");
    // A signal of no bits is refused the same way, without a width.
    const HcpIdent none = wire("none", 0);
    EXPECT_EQ(error_of(gen_rotate_left(m, "r", none, Slice::whole(), 1, std::nullopt)),
              "rotate_left needs a width >= 1, got 0");
    EXPECT_EQ(peek_global_id(), before + 1);  // the wire of no bits
}

// ---------------------------------------------------------------- mux
