// The Python layer's helpers that need no interpreter: integer masking for
// constants made from int operands, and the texts of its own checks.
#include "applications/py/runtime/arg_checks.hpp"
#include "applications/py/runtime/wide_int.hpp"
#include "test_support.hpp"

using namespace vorlent;
using namespace vorlent::py;

namespace {
// 2^70 as two's-complement limbs.
WideInt pow2_70() { return WideInt{{0, 64}}; }
}  // namespace

TEST(WideIntTest, ReducesModuloPowerOfTwoWithTwosComplementForNegatives) {
    EXPECT_EQ(reduce_mod_pow2(WideInt::from_i64(-1), 8), (std::vector<uint64_t>{255}));
    EXPECT_EQ(reduce_mod_pow2(WideInt::from_i64(300), 8), (std::vector<uint64_t>{44}));
    EXPECT_EQ(reduce_mod_pow2(WideInt::from_i64(-256), 8), (std::vector<uint64_t>{0}));
    EXPECT_EQ(reduce_mod_pow2(WideInt::from_i64(5), 1), (std::vector<uint64_t>{1}));
    // Exactly 64 bits: no mask on the single limb.
    EXPECT_EQ(reduce_mod_pow2(WideInt::from_i64(-1), 64), (std::vector<uint64_t>{~uint64_t(0)}));
    // Wider than the value: a negative value sign-extends into the new limbs.
    EXPECT_EQ(reduce_mod_pow2(WideInt::from_i64(-1), 72), (std::vector<uint64_t>{~uint64_t(0), 0xFF}));
    EXPECT_EQ(reduce_mod_pow2(WideInt::from_i64(7), 130), (std::vector<uint64_t>{7, 0, 0}));
    EXPECT_EQ(reduce_mod_pow2(pow2_70(), 72), (std::vector<uint64_t>{0, 64}));
    // Bits above the width are dropped, also whole limbs.
    EXPECT_EQ(reduce_mod_pow2(pow2_70(), 70), (std::vector<uint64_t>{0, 0}));
    EXPECT_EQ(reduce_mod_pow2(WideInt{{1, 2, 3}}, 65), (std::vector<uint64_t>{1, 0}));
}

TEST(WideIntTest, ConstantBitsFollowTheWidthOfTheUse) {
    // Below width 1 nothing is masked: the constant is 0.
    ConstBits none = const_bits_for_width(WideInt::from_i64(-1), 0);
    EXPECT_FALSE(none.wide);
    EXPECT_EQ(none.value, 0u);
    EXPECT_EQ(const_bits_for_width(WideInt::from_i64(-5), -3).value, 0u);

    ConstBits narrow = const_bits_for_width(WideInt::from_i64(-1), 64);
    EXPECT_FALSE(narrow.wide);
    EXPECT_EQ(narrow.value, ~uint64_t(0));
    // A value of several limbs at width 64 keeps the low limb only.
    EXPECT_EQ(const_bits_for_width(WideInt{{9, 1}}, 64).value, 9u);

    ConstBits wide = const_bits_for_width(pow2_70(), 72);
    EXPECT_TRUE(wide.wide);
    EXPECT_EQ(wide.limbs, (std::vector<uint64_t>{0, 64}));
    EXPECT_EQ(const_bits_for_width(WideInt::from_i64(1), 65).limbs, (std::vector<uint64_t>{1, 0}));
}

TEST(ArgChecksTest, EnumerationIndices) {
    EXPECT_FALSE(check_enum_index("LogicOp", 25, 26));
    EXPECT_EQ(check_enum_index("LogicOp", 26, 26)->message, "LogicOp index out of range: 26");
    EXPECT_EQ(check_enum_index("ArbLockedChannel", 4294967295u, ARB_LOCKED_CHANNEL_NAMES.size())->message,
              "ArbLockedChannel index out of range: 4294967295");

    EXPECT_FALSE(check_karray_backing(0));
    EXPECT_FALSE(check_karray_backing(6));
    EXPECT_EQ(check_karray_backing(2)->message,
              "Karray backing must be HwComponentType.REG / WIRE, got SR_CDWT");
    EXPECT_EQ(check_karray_backing(13)->message, "HwComponentType index out of range: 13");
    EXPECT_EQ(check_karray_backing(13)->kind, ErrorText::Kind::Value);
}

TEST(ArgChecksTest, ConditionMustSelectOneBit) {
    EXPECT_FALSE(check_cond_width(1, std::nullopt));
    EXPECT_EQ(check_cond_width(8, std::nullopt)->message,
              "cond must be 1-bit, got 8 (slice the cond variable down to one bit)");
    EXPECT_FALSE(check_cond_width(8, Slice::range(3, 4)));
    EXPECT_FALSE(check_cond_width(8, Slice::range(7, 8)));
    EXPECT_EQ(check_cond_width(8, Slice::range(7, 9))->message,
              "cond slice Slice { start: 7, stop: 9 } does not fit cond variable of width 8");
    // Slices that are not usable mean the whole condition.
    EXPECT_EQ(check_cond_width(8, Slice::whole())->message,
              "cond must be 1-bit, got 8 (slice the cond variable down to one bit)");
    EXPECT_FALSE(check_cond_width(1, Slice::range(4, 3)));
    EXPECT_EQ(check_cond_width(8, Slice::range(2, 5))->message,
              "cond must be 1-bit, got 3 (slice the cond variable down to one bit)");
}

TEST(ArgChecksTest, ResizeWarningTexts) {
    EXPECT_FALSE(asm_resize_message(0, 8, 8, "d"));
    EXPECT_EQ(*asm_resize_message(1, 4, 8, "d"),
              "assignment source (4 bits) is narrower than destination 'd' (8 bits); "
              "zero-extended (unsigned) to fit");
    EXPECT_EQ(*asm_resize_message(2, 8, 4, "REG_r_3"),
              "assignment source (8 bits) is wider than destination 'REG_r_3' (4 bits); "
              "MSBs dropped to fit");
}

TEST(ArgChecksTest, WidthsAndComponentKinds) {
    EXPECT_FALSE(check_positive_width(1));
    EXPECT_EQ(check_positive_width(0)->message, "bit_width must be positive, got 0");
    EXPECT_EQ(check_positive_width(-2147483647 - 1)->message,
              "bit_width must be positive, got -2147483648");

    const HcpIdent wire = HcpIdent::make(HwComponentType::Wire, SENS_COMBINATIONAL, true, "w");
    EXPECT_FALSE(check_hcp_kind("wire_i", wire, HwComponentType::Wire));
    EXPECT_EQ(check_hcp_kind("reg_i", wire, HwComponentType::Reg)->message,
              "reg_i must be a REG component, got WIRE");
    EXPECT_EQ(check_hcp_kind("master_mem_blk_i", wire, HwComponentType::MemBlock)->message,
              "master_mem_blk_i must be a MEM_BLOCK component, got WIRE");
}

TEST(ArgChecksTest, ExpressionOpsByArity) {
    // The 20 two-operand ops pass mk_expression, the other six are sent elsewhere.
    size_t binary = 0;
    for (uint32_t op = 0; op < LOGIC_OP_COUNT; ++op) binary += !check_binary_expression_op(op);
    EXPECT_EQ(binary, 20u);
    EXPECT_EQ(check_binary_expression_op(uint32_t(LogicOp::LogicalNot))->message,
              "LogicalNot is not a binary expression op (use mk_expression_single / mk_extend_bit "
              "/ the assign path)");
    EXPECT_TRUE(check_binary_expression_op(uint32_t(LogicOp::Dummy)));
    EXPECT_EQ(check_binary_expression_op(26)->message, "LogicOp index out of range: 26");

    EXPECT_FALSE(check_unary_expression_op(uint32_t(LogicOp::BitwiseInvr)));
    EXPECT_FALSE(check_unary_expression_op(uint32_t(LogicOp::LogicalNot)));
    EXPECT_EQ(check_unary_expression_op(uint32_t(LogicOp::SliceBit))->message,
              "SliceBit is not a unary expression op (use mk_expression / the assign path)");
    EXPECT_EQ(check_unary_expression_op(4294967295u)->message,
              "LogicOp index out of range: 4294967295");
}

TEST(ArgChecksTest, OperandSlicesMustSelectBits) {
    EXPECT_FALSE(check_operand_slice("a_slice", std::nullopt));
    EXPECT_FALSE(check_operand_slice("a_slice", Slice::whole()));
    EXPECT_FALSE(check_operand_slice("a_slice", Slice::range(0, 1)));
    EXPECT_EQ(check_operand_slice("b_slice", Slice::range(5, 2))->message,
              "b_slice Slice { start: 5, stop: 2 } selects no bits (need 0 <= start < stop, or "
              "Slice() for the whole signal)");
    EXPECT_TRUE(check_operand_slice("a_slice", Slice::range(3, 3)));
    EXPECT_TRUE(check_operand_slice("a_slice", Slice::range(-1, 4)));
}
