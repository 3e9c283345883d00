#include "model/hw_component/signal_access.hpp"
#include "hcp_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

std::string refusal(const ModelArena& m, const HcpIdent& sig, Access access) {
    const CheckResult err = check_access(m, "f", "p", sig, access);
    return err ? err->message : "";
}

}  // namespace

TEST(SignalAccessTest, MemoriesAreUsedOnlyInTheirDirection) {
    TracedModel t;
    const HcpIdent idx = make_reg(t.m, true, "idx", 2);
    const HcpIdent mem = make_mem_blk(t.m, true, "mem", 8, 2);
    const HcpIdent rd = make_mem_ele(t.m, true, "rd", mem, idx, 8, true).value();
    const HcpIdent wr = make_mem_ele(t.m, true, "wr", mem, idx, 8, false).value();
    const std::string m_name(mem.abs_name());
    for (const Access a : {Access::Read, Access::Written}) {
        EXPECT_EQ(refusal(t.m, idx, a), "");
        EXPECT_EQ(refusal(t.m, mem, a),
                  format("f: p \"{}\" is {} here, but it is a memory block, which is read and "
                         "written only through its elements (mk_mem_ele)",
                         m_name, a == Access::Read ? "read" : "written"));
    }
    EXPECT_EQ(refusal(t.m, rd, Access::Read), "");
    EXPECT_EQ(refusal(t.m, wr, Access::Written), "");
    EXPECT_EQ(refusal(t.m, wr, Access::Read),
              format("f: p \"{}\" is read here, but it is a write element of memory \"{}\", which "
                     "is only written (read the memory through an element made with is_read=True)",
                     wr.abs_name(), m_name));
    EXPECT_EQ(refusal(t.m, rd, Access::Written),
              format("f: p \"{}\" is written here, but it is a read element of memory \"{}\", "
                     "which is only read (write the memory through an element made with "
                     "is_read=False)",
                     rd.abs_name(), m_name));
}

TEST(SignalAccessTest, AnElementNotInItsSlotIsLeftToTheCallsOwnReach) {
    TracedModel t;
    const HcpIdent idx = make_reg(t.m, true, "idx", 2);
    const HcpIdent mem = make_mem_blk(t.m, true, "mem", 8, 2);
    const HcpIdent wr = make_mem_ele(t.m, true, "wr", mem, idx, 8, false).value();
    // Another model, where the slot is past the end, then holds another element.
    TracedModel other;
    EXPECT_EQ(refusal(other.m, wr, Access::Read), "");
    const HcpIdent other_idx = make_reg(other.m, true, "idx", 2);
    const HcpIdent other_mem = make_mem_blk(other.m, true, "mem", 8, 2);
    (void)make_mem_ele(other.m, true, "rd", other_mem, other_idx, 8, true).value();
    EXPECT_EQ(refusal(other.m, wr, Access::Read), "");
    // Taken out of its slot.
    auto taken = take_hcp(t.m, wr);
    EXPECT_EQ(refusal(t.m, wr, Access::Read), "");
    taken.put_back();
    EXPECT_NE(refusal(t.m, wr, Access::Read), "");
}
