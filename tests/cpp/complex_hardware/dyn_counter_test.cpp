#include "ccp_test_support.hpp"
#include "model/complex_hardware/dyn_counter/arena_factory_dyn_counter.hpp"
#include "model/complex_hardware/dyn_counter/arena_impl_dyn_counter.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"

using namespace vorlent;

namespace {

struct CounterDesign {
    ModelArena m;
    ModuleIdent top = make_module(m, "top");
    CounterDesign() { track_module_at_com_init(m, top); }

    const Module& module() const { return m.arena<Module>().get(top.handle()); }
    const DynCounter& counter(const CcpIdent& c) const {
        return m.arena<DynCounter>().get(c.handle());
    }
    const Expression& expr(const HcpIdent& h) const {
        return m.arena<Expression>().get(h.handle());
    }
    HcpIdent add(const CcpIdent& c, const HcpIdent& addend,
                 std::optional<HcpIdent> enable = std::nullopt,
                 std::optional<Slice> addend_slice = std::nullopt,
                 std::optional<Slice> enable_slice = std::nullopt) {
        auto out = dyn_counter_add(m, c, addend, addend_slice, enable, enable_slice);
        EXPECT_TRUE(out.ok());
        return out.value();
    }
};

}  // namespace

TEST(DynCounterTest, AWideEnableIsRefusedAfterItsSumIsMade) {
    CounterDesign d;
    const CcpIdent c = make_dyn_counter(d.m, true, "c", 8);
    const HcpIdent a = make_reg(d.m, true, "a", 8);
    const HcpIdent bus = make_wire(d.m, true, "bus", 8);
    const HcpIdent e2 = make_wire(d.m, true, "e2", 2);

    // Its sum and step wire are simulated from Python.
    const HcpIdent st = d.add(c, bus, bus, Slice::range(0, 4), Slice::range(3, 4));
    EXPECT_EQ(dyn_counter_get_now(d.m, c), st);

    // An enable that is not 1 bit is refused after its sum is made; the
    // count moves on and the running value stays.
    auto refused = dyn_counter_add(d.m, c, a, std::nullopt, e2, std::nullopt);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message, "DynCounter add: enable must be 1-bit, got 2");
    EXPECT_EQ(d.module().system_hcps[size_t(HwComponentType::Expression)].size(), 4u);
    EXPECT_EQ(d.counter(c).add_count, 2u);
    EXPECT_EQ(dyn_counter_get_now(d.m, c), st);
    const HcpIdent next = d.add(c, a);
    EXPECT_EQ(next.ident_base.rel_name(), "c_ADD2");
    EXPECT_EQ(d.expr(next).operand_a, st);
}
