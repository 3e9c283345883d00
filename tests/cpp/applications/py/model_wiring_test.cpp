// What the Python methods make in the model before the model operation: the
// constant of an int operand, and the one-bit check of a condition. These
// need no interpreter.
#include "model/hw_component/int_constant.hpp"
#include "applications/py/model/hw_component/arena_impl_hwc_py.hpp"
#include "hw_component/hcp_test_support.hpp"

using namespace vorlent;
using namespace vorlent::py;
using namespace vorlent::testing;

TEST(MakeConstValTest, AUserConstantMaskedToTheWidthOfTheUse) {
    TracedModel t;
    auto val_of = [&](const HcpIdent& v) -> const Val& { return t.m.arena<Val>().get(v.handle()); };
    const uint64_t id = peek_global_id();
    const HcpIdent minus_one = make_const_val(t.m, "const", WideInt::from_i64(-1), 8);
    EXPECT_EQ(peek_global_id(), id + 1);
    EXPECT_EQ(minus_one.abs_name(), format("VAL_const_c_{}", id));
    EXPECT_EQ(t.module().user_hcps[size_t(HwComponentType::Val)], std::vector<HcpIdent>{minus_one});
    EXPECT_EQ((std::tuple{val_of(minus_one).value, val_of(minus_one).bit_width}),
              (std::tuple{VaryVal::from_u64(255, 8), 8}));

    // Exactly 64 bits is still a plain constant, a higher limb dropped; from
    // 65 bits it is wide, a negative value sign-extended.
    EXPECT_EQ(val_of(make_const_val(t.m, "e", WideInt{{7, 1}}, 64)).value, VaryVal::from_u64(7, 64));
    const Val& wide = val_of(make_const_val(t.m, "e", WideInt::from_i64(-1), 72));
    EXPECT_EQ((std::tuple{wide.value, wide.bit_width}), (std::tuple{VaryVal::from_limbs({~uint64_t(0), 0xFF}, 72), 72}));
}

TEST(CondSliceMatchTest, ChecksTheSelectedWidthOfTheCondition) {
    TracedModel t;
    const HcpIdent bit = make_wire(t.m, true, "bit", 1);
    const HcpIdent byte = make_reg(t.m, true, "byte", 8);
    EXPECT_FALSE(check_cond_slice_match(t.m, bit, std::nullopt));
    EXPECT_FALSE(check_cond_slice_match(t.m, byte, Slice::range(3, 4)));
    EXPECT_EQ(check_cond_slice_match(t.m, byte, Slice::range(7, 9))->message,
              "cond slice Slice { start: 7, stop: 9 } does not fit cond variable of width 8");
    // A memory block has no range of its own.
    const HcpIdent mem = make_mem_blk(t.m, true, "mem", 8, 4);
    EXPECT_FATAL(check_cond_slice_match(t.m, mem, std::nullopt), "MemBlk is not an assignment destination");
}
