#include "event_view.hpp"
#include "model/arena_insert.hpp"
#include "model/controller/asm_mode.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

struct BuildModel : TracedModel {
    HcpIdent clk = make_wire(m, false, "clk", 1);
    HcpIdent rst = make_wire(m, false, "mrst", 1);

    void build_reset(const HcpIdent& r) {
        auto reg = m.take<Reg>(r);
        reg->try_build_reset(clk, rst, m);
        reg.put_back();
    }
    void build_default(const HcpIdent& w) {
        auto wire = m.take<Wire>(w);
        wire->try_build_default(m);
        wire.put_back();
    }
};

}  // namespace

TEST(RegResetTest, ResetEventIsConditionalOnTheResetSignal) {
    BuildModel t;
    const HcpIdent plain = make_reg(t.m, true, "plain", 8);
    const HcpIdent r = make_reg(t.m, true, "r", 8);
    const HcpIdent v = make_val(t.m, true, "init", 6, 5);

    uint64_t id = peek_global_id();
    t.build_reset(plain);
    EXPECT_TRUE(t.pool(plain).events.empty());
    EXPECT_EQ(peek_global_id(), id);

    set_reg_reset(t.m, r, v);
    EXPECT_FATAL(set_reg_reset(t.m, r, v), "reset_val is set already");

    set_asm_pri_to_manual(4);  // the reset ignores the current priority
    id = peek_global_id();
    t.build_reset(r);
    set_asm_pri_to_auto();
    ASSERT_EQ(t.pool(r).events.size(), 1u);
    const UpdateEventIdent ue = t.pool(r).events[0];
    EXPECT_EQ(ue.abs_name(), format("UE_COND_{}", id + 1));
    EXPECT_EQ(t.event<UeCond>(ue).common,
              (UeCommon{t.clk, 0, 2147483647, UeType::Cond, ClockMode::PosEdge}));
    // The destination is the whole register, the source the whole value; the
    // two widths are not compared.
    EXPECT_EQ(view_event(t.m, ue), (Ev{2147483647, {t.rst}, v, {0, 8}, {0, 6}}));

    // A clock-free reset has no clock source.
    const HcpIdent async = make_reg(t.m, true, "async", 1);
    {
        auto reg = t.m.take<Reg>(async);
        reg->set_reset_val(t.rst, ClockMode::ClkFree);
        reg.put_back();
    }
    t.build_reset(async);
    const UeCommon& free = get_ue_common(t.m, t.pool(async).events[0]);
    EXPECT_EQ((std::tuple{free.clk_mode, free.clk_src_i}),
              (std::tuple{ClockMode::ClkFree, std::nullopt}));
}

TEST(WireDefaultTest, DefaultsAtTheFallbackAndMinimumPriorities) {
    BuildModel t;
    const HcpIdent zero = make_wire(t.m, true, "z", 8);
    const HcpIdent with = make_wire(t.m, true, "d", 8);
    const HcpIdent none = make_wire(t.m, true, "n", 8);
    const HcpIdent v = make_val(t.m, true, "dv", 8, 0xAA);
    set_wire_default(t.m, with, v);
    {
        auto w = t.m.take<Wire>(none);
        w->disable_default();
        w.put_back();
    }

    // The zero constant, then the event; defaults sort below every user
    // assignment (priority 10).
    uint64_t id = peek_global_id();
    t.build_default(zero);
    EXPECT_EQ(peek_global_id(), id + 2);
    const std::vector<HcpIdent>& vals = t.module().system_hcps[size_t(HwComponentType::Val)];
    ASSERT_EQ(vals.size(), 1u);
    EXPECT_EQ(vals[0].abs_name(), format("VAL_{}_DEFAULT_ZERO_{}", zero.abs_name(), id));
    EXPECT_EQ(t.m.arena<Val>().get(vals[0].handle()).bit_width, 8);
    EXPECT_EQ(view_pool(t.m, zero), (std::vector<Ev>{{0, {}, vals[0], {0, 8}, {0, 8}}}));
    EXPECT_EQ(clocks_of_pool(t.m, zero),
              (std::vector<EvClock>{{ClockMode::ClkFree, std::nullopt}}));

    id = peek_global_id();
    t.build_default(with);
    EXPECT_EQ(peek_global_id(), id + 1);
    EXPECT_EQ(view_pool(t.m, with), (std::vector<Ev>{{1, {}, v, {0, 8}, {0, 8}}}));

    t.build_default(none);
    EXPECT_TRUE(t.pool(none).events.empty());
}

TEST(WireDefaultTest, RefusalsOfTheDefaultRules) {
    BuildModel t;
    const HcpIdent w = make_wire(t.m, true, "w", 8);
    const HcpIdent narrow = make_val(t.m, true, "n", 4, 1);
    set_wire_default(t.m, w, narrow);
    {
        auto wire = t.m.take<Wire>(w);
        EXPECT_FATAL(wire->disable_default(),
                     "cannot disable default on a wire with a default_val");
        EXPECT_TRUE(wire->has_default);
        wire.put_back();
    }
    // A default narrower than the wire is refused before any id is drawn.
    const uint64_t id = peek_global_id();
    EXPECT_FATAL(t.build_default(w), "assertion failed: self.is_size_in_range_rel(b.get_size())");
    EXPECT_EQ(peek_global_id(), id);
    EXPECT_TRUE(t.pool(w).events.empty());
}

TEST(IoWireTest, TheEventReadsTheAgentSource) {
    BuildModel t;
    const HcpIdent agent = make_wire(t.m, false, "agent", 4);
    const HcpIdent actual = make_reg(t.m, true, "actual", 4);

    const uint64_t id = peek_global_id();
    IoWire bare = IoWire::new_opt_src(false, "in", true, 4, std::nullopt, actual, t.m);
    EXPECT_EQ(peek_global_id(), id + 1);
    EXPECT_EQ(bare.ident.abs_name(), format("IO_WIRE_in_{}", id));
    EXPECT_TRUE(bare.hcp_assign.update_pool.events.empty());
    EXPECT_EQ(bare.actual_src_signal_i, actual);

    IoWire routed = IoWire::new_opt_src(false, "out", false, 4, agent, actual, t.m);
    EXPECT_EQ(t.m.arena<IoWire>().size(), 0u);  // the caller inserts it
    ASSERT_EQ(routed.hcp_assign.update_pool.events.size(), 1u);
    const UpdateEventIdent ue = routed.hcp_assign.update_pool.events[0];
    EXPECT_EQ(ue.global_id(), id + 2);
    EXPECT_EQ(view_event(t.m, ue), (Ev{50, {}, agent, {0, 4}, {0, 4}}));
    EXPECT_EQ(get_ue_common(t.m, ue).clk_mode, ClockMode::ClkFree);

    const HcpIdent stored = insert_and_stamp_hcp(t.m, std::move(routed), false);
    EXPECT_EQ(t.pool(stored).events, std::vector<UpdateEventIdent>{ue});
    EXPECT_EQ(t.deps(stored), HcpSet{agent});
}
