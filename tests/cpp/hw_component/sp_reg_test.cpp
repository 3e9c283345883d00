#include "event_view.hpp"
#include "model/hw_component/sp_reg/arena_factory_sp_reg.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

struct SpRegModel : ControlWires {
    HcpIdent wide = make_wire(m, false, "wide", 2);

    template <class R>
    R& reg(const HcpIdent& r) {
        return m.arena<R>().get_mut(r.handle());
    }

    template <class R>
    void support(const HcpIdent& r) {
        auto taken = m.take<R>(r);
        taken->build_support_signal(m);
        taken.put_back();
    }

    template <class R>
    void events(const HcpIdent& r, TriggerSig sig) {
        auto taken = m.take<R>(r);
        taken->trigger_sig = std::move(sig);
        taken->build_update_event(m);
        taken.put_back();
    }
};

std::string width_message(std::string_view owner, const HcpIdent& sig, int64_t got) {
    return format("'{}': signal '{}' must be 1-bit, got {}", owner, sig.abs_name(), got);
}

const VaryVal& value_of(SpRegModel& t, const HcpIdent& v) {
    return t.m.arena<Val>().get(v.handle()).value;
}
const VaryVal& value_of(SpRegModel& t, const std::optional<HcpIdent>& v) { return value_of(t, *v); }

}  // namespace

TEST(TriggerSigTest, IntegrityCheckTestsEverySignalInOrder) {
    SpRegModel t;
    const HcpIdent own = make_reg(t.m, false, "own", 3);
    TriggerSig{}.integrity_check("R", t.m, own, 3);
    t.full_sig().integrity_check("R", t.m, own, 3);

    TriggerSig sig = t.full_sig();
    sig.set_mrst(t.wide);
    sig.push_depend_node(make_wire(t.m, false, "late", 2), std::nullopt);
    EXPECT_FATAL(sig.integrity_check("R", t.m, own, 3), width_message("R", t.wide, 2));

    // A wide guard fails; an absent one is skipped.
    TriggerSig guarded;
    guarded.push_depend_node(t.d0_w, std::nullopt);
    guarded.push_depend_node(t.d1_w, t.wide);
    EXPECT_FATAL(guarded.integrity_check("R", t.m, own, 3), width_message("R", t.wide, 2));

    // The register under construction is measured by the width it is given,
    // not read through its arena.
    TriggerSig self;
    self.push_depend_node(own, std::nullopt);
    self.integrity_check("R", t.m, own, 1);
    EXPECT_FATAL(self.integrity_check("R", t.m, own, 3), width_message("R", own, 3));
}

TEST(SpRegFactoryTest, CycleWaitWidthCoversTheLastCount) {
    SpRegModel t;
    const struct { int32_t n, width; } table[] = {{1, 2}, {2, 3}, {3, 3}, {4, 4}, {7, 4}};
    for (const auto& row : table) {
        SCOPED_TRACE(row.n);
        const HcpIdent cy = make_cycle_wait_state_reg(t.m, "c", row.n);
        const CycleWaitStateReg& r = t.reg<CycleWaitStateReg>(cy);
        EXPECT_EQ((std::tuple{r.width, r.w}), (std::tuple{row.width, row.width - 1}));
        // The end-count constant is a single bit.
        EXPECT_EQ(value_of(t, r.end_cnt), VaryVal::from_u64(row.n & 1, 1));
    }

    const uint64_t id = peek_global_id();
    EXPECT_FATAL(make_cycle_wait_state_reg(t.m, "z", 0), "wait_cycle must be positive");
    EXPECT_EQ(system_made_since(t, id), std::vector<std::string>{format("VAL_z_END_CNT_{}", id)});
}

TEST(SpRegFactoryTest, CounterWidthIsAtLeastOneBit) {
    SpRegModel t;
    const struct { int32_t max, width; } table[] = {{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {8, 3}};
    for (const auto& row : table) {
        SCOPED_TRACE(row.max);
        const HcpIdent c = make_cnt_reg(t.m, "n", 1, row.max);
        EXPECT_EQ(t.reg<CntReg>(c).get_des_slice(), (Slice{0, row.width}));
    }

    const uint64_t id = peek_global_id();
    EXPECT_FATAL(make_cnt_reg(t.m, "n", 0, -1), "max_cycle must be positive");
    EXPECT_FATAL(make_cnt_reg(t.m, "n", 0, 0), "assertion failed: max_number > 0");
    EXPECT_EQ(peek_global_id(), id);

    // A count of one: the constants follow the one-bit width.
    const HcpIdent one = make_cnt_reg(t.m, "one", 1, 1);
    t.support<CntReg>(one);
    EXPECT_EQ(value_of(t, t.reg<CntReg>(one).last_cycle), VaryVal::from_u64(0, 1));
}

// Its events and their ranks are simulated (a pipeline's hold and reset).
TEST(StateRegTest, KeepsItsTriggersAndRefusesBadOnes) {
    SpRegModel t;
    const HcpIdent ok = make_state_reg(t.m, "ok");
    t.events<StateReg>(ok, t.full_sig());
    EXPECT_EQ(t.reg<StateReg>(ok).trigger_sig, t.full_sig());
    const HcpIdent st = make_state_reg(t.m, "s");
    TriggerSig no_clk = t.full_sig();
    no_clk.set_clk(std::nullopt);
    EXPECT_FATAL(t.events<StateReg>(st, no_clk),
                 "StateReg::build_update_event: clk_sig_i not assigned");
    TriggerSig wide = t.full_sig();
    wide.set_mrst(t.wide);
    EXPECT_FATAL(t.events<StateReg>(st, wide), width_message(st.abs_name(), t.wide, 2));
    EXPECT_TRUE(t.pool(st).events.empty());
}

TEST(CondWaitRegTest, TheConditionIsMeasuredOverTheWaitedBits) {
    SpRegModel t;
    // One bit of a wider signal: accepted, and the falling event reads that bit.
    const HcpIdent bus = make_wire(t.m, false, "bus", 8);
    const HcpIdent cw = make_cond_wait_state_reg(t.m, "w", bus, 3, 4);
    t.support<CondWaitStateReg>(cw);
    t.events<CondWaitStateReg>(cw, t.full_sig());
    const UeCond& fall = t.event<UeCond>(t.pool(cw).events.at(0));
    const Expression& both = t.expr(*fall.conds.at(0));
    EXPECT_EQ((std::tuple{*both.operand_a, *both.range_a}), (std::tuple{bus, Slice{3, 4}}));
    const Expression& end = t.expr(*t.reg<CondWaitStateReg>(cw).end_expr);
    EXPECT_EQ(*end.range_b, (Slice{3, 4}));

    const HcpIdent two = make_cond_wait_state_reg(t.m, "two", bus, 2, 4);
    t.support<CondWaitStateReg>(two);
    EXPECT_FATAL(t.events<CondWaitStateReg>(two, t.full_sig()),
                 width_message(two.abs_name(), bus, 2));

    const HcpIdent beyond = make_cond_wait_state_reg(t.m, "beyond", bus, 8, 9);
    t.support<CondWaitStateReg>(beyond);
    EXPECT_FATAL(t.events<CondWaitStateReg>(beyond, t.full_sig()),
                 format("'{}': wait range [8, 9) exceeds signal '{}' of width 8", beyond.abs_name(),
                        bus.abs_name()));

    // With no usable range the whole signal is waited on, and must be one bit.
    const HcpIdent whole =
        make_cond_wait_state_reg(t.m, "whole", t.wide, uint32_t(-1), uint32_t(-1));
    t.support<CondWaitStateReg>(whole);
    EXPECT_FATAL(t.events<CondWaitStateReg>(whole, t.full_sig()),
                 width_message(whole.abs_name(), t.wide, 2));
}

TEST(SyncRegTest, EverySlotNeedsOnePredecessor) {
    SpRegModel t;
    const HcpIdent sy = make_sync_reg(t.m, "y", 3);
    t.support<SyncReg>(sy);
    EXPECT_FATAL(t.events<SyncReg>(sy, t.full_sig()),
                 format("assertion `left == right` failed: SyncReg '{}': 2 of 3 bit slots filled\n"
                        "  left: 2\n right: 3",
                        sy.abs_name()));
    // The per-slot events were made before the check.
    EXPECT_EQ(t.pool(*t.reg<SyncReg>(sy).test_wire).events.size(), 2u);
}
