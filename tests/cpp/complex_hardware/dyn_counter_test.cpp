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

TEST(DynCounterTest, MakingFilesTheRegisterAsTheSystemsAndRefusesAZeroWidth) {
    CounterDesign d;
    const CcpIdent c = make_dyn_counter(d.m, true, "c", 8);
    const DynCounter& cnt = d.counter(c);
    EXPECT_EQ(get_hcp_assign(d.m, cnt.reg).get_des_slice(), Slice::range(0, 8));
    EXPECT_EQ(d.module().system_hcps[size_t(HwComponentType::Reg)],
              (std::vector<HcpIdent>{cnt.reg}));
    EXPECT_EQ(d.module().ccps, (std::vector<CcpIdent>{c}));

    const uint64_t before = peek_global_id();
    EXPECT_FATAL(make_dyn_counter(d.m, true, "z", 0), "DynCounter::new: width must be >= 1, got 0");
    EXPECT_EQ(peek_global_id(), before);
}

TEST(DynCounterTest, AddsChainUntilAnUpdateCommitsThem) {
    CounterDesign d;
    const CcpIdent c = make_dyn_counter(d.m, true, "c", 8);
    const HcpIdent a = make_reg(d.m, true, "a", 8), b = make_reg(d.m, true, "b", 3);
    const HcpIdent reg = d.counter(c).reg;
    untrack_module_at_com_init(d.m, d.top);
    set_top_module(d.m, d.top);
    track_module_at_flow_init(d.m, d.top);

    const uint64_t id = peek_global_id();
    const HcpIdent add0 = d.add(c, a);
    EXPECT_EQ(add0.abs_name(), format("EXPR_c_ADD0_{}", id + 1));  // after the placeholder
    const HcpIdent add1 = d.add(c, b);
    EXPECT_EQ(d.expr(add0).op, LogicOp::ArithPlus);
    EXPECT_EQ(d.expr(add0).operand_a, reg);
    EXPECT_EQ(d.expr(add0).operand_b, a);
    EXPECT_EQ(d.expr(add1).operand_a, add0);
    EXPECT_EQ(d.expr(add1).width, 8u);  // the left operand's width; the addend is not checked
    EXPECT_EQ(dyn_counter_get_now(d.m, c), add1);

    // With no block open the commit is a loose assignment of the top module.
    EXPECT_EQ(dyn_counter_update(d.m, c), std::nullopt);
    ASSERT_EQ(d.module().basic_nodes.size(), 1u);
    const AssignMeta& meta =
        d.m.arena<AsmNode>().get(d.module().basic_nodes[0].handle()).asm_metas.at(0);
    EXPECT_EQ(meta.des, reg);
    EXPECT_EQ(d.m.arena<UeBasic>().get(meta.cur_ue.handle()).src, add1);
    EXPECT_EQ(dyn_counter_get_now(d.m, c), reg);
    const auto again = dyn_counter_update(d.m, c);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->message, "DynCounter update: nothing to commit \u2014 call add() first");

    // A new chain starts from the register; the numbering goes on.
    const HcpIdent add2 = d.add(c, a);
    EXPECT_EQ(add2.ident_base.rel_name(), "c_ADD2");
    EXPECT_EQ(d.expr(add2).operand_a, reg);
}

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
