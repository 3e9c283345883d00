// The wide-integer helpers behind constants made from Python ints: masking
// to a width, and widths and decimal texts at the limb boundaries.
#include "common/wide_int.hpp"
#include "test_support.hpp"

using namespace vorlent;

namespace {
// 2^70 as two's-complement limbs.
WideInt pow2_70() { return WideInt{{0, 64}}; }
}  // namespace

TEST(WideIntTest, ReducesModuloPowerOfTwoWithTwosComplementForNegatives) {
    using Limbs = std::vector<uint64_t>;
    const std::vector<std::tuple<WideInt, uint64_t, Limbs>> cases{
        {WideInt::from_i64(-1), 8, {255}},
        {WideInt::from_i64(300), 8, {44}},
        {WideInt::from_i64(-256), 8, {0}},
        {WideInt::from_i64(5), 1, {1}},
        // Exactly 64 bits: no mask on the single limb.
        {WideInt::from_i64(-1), 64, {~uint64_t(0)}},
        // Wider than the value: a negative value sign-extends into the new limbs.
        {WideInt::from_i64(-1), 72, {~uint64_t(0), 0xFF}},
        {WideInt::from_i64(7), 130, {7, 0, 0}},
        {pow2_70(), 72, {0, 64}},
        // Bits above the width are dropped, also whole limbs.
        {pow2_70(), 70, {0, 0}},
        {WideInt{{1, 2, 3}}, 65, {1, 0}},
    };
    for (const auto& [value, width, limbs] : cases)
        EXPECT_EQ(reduce_mod_pow2(value, width), limbs) << "width " << width;
}

// From 65 bits on a constant is wide; the masking at 64 and 72 bits is
// pinned with make_const_val.
TEST(WideIntTest, ConstantBitsFollowTheWidthOfTheUse) {
    // Below width 1 nothing is masked: the constant is 0.
    for (int64_t width : {0, -3}) {
        const ConstBits none = const_bits_for_width(WideInt::from_i64(-1), width);
        EXPECT_EQ((std::tuple{none.wide, none.value}), (std::tuple{false, 0u}));
    }
    const ConstBits wide = const_bits_for_width(pow2_70(), 65);
    EXPECT_EQ((std::tuple{wide.wide, wide.limbs}), (std::tuple{true, std::vector<uint64_t>{0, 0}}));
}

// The fewest bits that hold a value (unsigned, or signed for a negative one)
// and its decimal text, at the limb and decimal-chunk boundaries.
TEST(WideIntTest, WidthsThatHoldAValueAndItsDecimalText) {
    const uint64_t ten19 = 10'000'000'000'000'000'000u;
    const std::vector<std::tuple<WideInt, uint64_t, std::string>> cases{
        {WideInt::from_i64(0), 0, "0"},
        {WideInt::from_i64(-1), 1, "-1"},
        {WideInt::from_i64(-8), 4, "-8"},
        {WideInt::from_i64(8), 4, "8"},
        {WideInt::from_i64(INT64_MIN), 64, "-9223372036854775808"},
        {WideInt::from_unsigned({~uint64_t(0)}), 64, "18446744073709551615"},
        {WideInt{{0, 1}}, 65, "18446744073709551616"},
        {WideInt{{0, ~uint64_t(0)}}, 65, "-18446744073709551616"},
        {WideInt::from_unsigned({ten19}), 64, "10000000000000000000"},
        {WideInt::from_unsigned({ten19 + 7}), 64, "10000000000000000007"},
    };
    for (const auto& [value, width, text] : cases) {
        EXPECT_EQ(min_width(value), width) << text;
        EXPECT_EQ(decimal_text(value), text);
    }
}

// The highest set bit of a range, for ranges inside one limb, across limbs,
// of whole limbs and of none.
TEST(WideIntTest, HighestSetBitOfARange) {
    const std::vector<uint64_t> limbs{0x8000'0000'0000'0011u, 0, 0x4};  // bits 0, 4, 63, 130
    const std::vector<std::tuple<uint64_t, uint64_t, int64_t>> cases{
        {0, 192, 130}, {0, 130, 63}, {0, 63, 4}, {1, 4, -1}, {4, 5, 4}, {5, 63, -1},
        {63, 64, 63},  {64, 128, -1}, {64, 131, 130}, {60, 130, 63}, {7, 7, -1},
    };
    for (const auto& [from, to, bit] : cases)
        EXPECT_EQ(highest_set_bit(limbs, from, to), bit) << from << ".." << to;
}
