// The one-bit check of a condition, made by the Python methods before the
// model operation; it needs no interpreter.
#include "applications/py/model/hw_component/arena_impl_hwc_py.hpp"
#include "hw_component/hcp_test_support.hpp"

using namespace vorlent;
using namespace vorlent::py;
using namespace vorlent::testing;

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
    EXPECT_FATAL(check_cond_slice_match(t.m, mem, std::nullopt),
                 "MemBlk is not an assignment destination");
}
