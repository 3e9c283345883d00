// The combinational generators' shared fold and refusals; the trees they
// build are simulated and pinned from Python.
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
    int32_t width_of(const HcpIdent& h) { return get_hcp_assign(m, h).get_des_slice().size(); }
    template <class T>
    std::string error_of(const Result<T>& r) {
        return r.ok() ? "<no error>" : r.error().message;
    }
};

}  // namespace

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
