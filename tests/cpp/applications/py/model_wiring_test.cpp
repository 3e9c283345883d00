// What the Python methods make in the model before the model operation: the
// constant of an int operand, and the one-bit check of a condition. These
// need no interpreter.
#include "applications/py/model/hw_component/arena_factory_hwc_expr_py.hpp"
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
    EXPECT_EQ(minus_one.module_handle(), t.top.handle());
    EXPECT_TRUE(minus_one.ident_base.is_user_com());
    EXPECT_EQ(t.module().user_hcps[size_t(HwComponentType::Val)], std::vector<HcpIdent>{minus_one});
    EXPECT_EQ(val_of(minus_one).value.limbs, std::vector<uint64_t>{255});
    EXPECT_EQ(val_of(minus_one).bit_width, 8);

    // Exactly 64 bits is still a plain constant; from 65 bits it is wide.
    const Val& full = val_of(make_const_val(t.m, "e", WideInt{{7, 1}}, 64));
    EXPECT_EQ(full.value.limbs, std::vector<uint64_t>{7});
    EXPECT_EQ(full.value.width, 64u);
    const Val& wide = val_of(make_const_val(t.m, "e", WideInt::from_i64(-1), 72));
    EXPECT_EQ(wide.value.limbs, (std::vector<uint64_t>{~uint64_t(0), 0xFF}));
    EXPECT_EQ(wide.value.width, 72u);
    EXPECT_EQ(wide.bit_width, 72);
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
