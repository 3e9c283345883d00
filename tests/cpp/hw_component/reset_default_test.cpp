#include "hcp_test_support.hpp"
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
    EXPECT_EQ(t.m.arena<Reg>().get(r.handle()).reset_clk_mode, ClockMode::PosEdge);

    set_asm_pri_to_manual(4);  // the reset ignores the current priority
    id = peek_global_id();
    t.build_reset(r);
    set_asm_pri_to_auto();
    ASSERT_EQ(t.pool(r).events.size(), 1u);
    const UpdateEventIdent ue = t.pool(r).events[0];
    EXPECT_EQ(ue.abs_name(), format("UE_COND_{}", id + 1));
    const UeCond& c = t.event<UeCond>(ue);
    EXPECT_EQ(c.common, (UeCommon{t.clk, 0, DEFAULT_UE_PRI_RST, UeType::Cond, ClockMode::PosEdge}));
    EXPECT_EQ(c.common.priority, 2147483647);
    EXPECT_EQ(c.conds, std::vector<std::optional<HcpIdent>>{t.rst});
    const UeBasic& b = t.event<UeBasic>(*c.sub_stmts[0]);
    EXPECT_EQ(b.src, v);
    // The destination is the whole register, the source the whole value; the
    // two widths are not compared.
    EXPECT_EQ((std::tuple{b.des_start, b.des_stop, b.src_start, b.src_stop}), (std::tuple{0, 8, 0, 6}));
    EXPECT_EQ(b.common.clk_src_i, t.clk);

    // A clock-free reset has no clock source.
    const HcpIdent async = make_reg(t.m, true, "async", 1);
    {
        auto reg = t.m.take<Reg>(async);
        reg->set_reset_val(t.rst, ClockMode::ClkFree);
        reg.put_back();
    }
    t.build_reset(async);
    EXPECT_EQ(get_ue_common(t.m, t.pool(async).events[0]).clk_mode, ClockMode::ClkFree);
    EXPECT_FALSE(get_ue_common(t.m, t.pool(async).events[0]).clk_src_i.has_value());
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

    uint64_t id = peek_global_id();
    t.build_default(zero);
    EXPECT_EQ(peek_global_id(), id + 2);
    const std::vector<HcpIdent>& vals = t.module().system_hcps[size_t(HwComponentType::Val)];
    ASSERT_EQ(vals.size(), 1u);
    EXPECT_EQ(vals[0].abs_name(), format("VAL_{}_DEFAULT_ZERO_{}", zero.abs_name(), id));
    EXPECT_EQ(t.m.arena<Val>().get(vals[0].handle()).bit_width, 8);
    ASSERT_EQ(t.pool(zero).events.size(), 1u);
    const UeBasic& z = t.event<UeBasic>(t.pool(zero).events[0]);
    EXPECT_EQ(z.src, vals[0]);
    EXPECT_EQ(z.common, (UeCommon{std::nullopt, 0, DEFAULT_UE_PRI_MIN, UeType::Basic, ClockMode::ClkFree}));

    id = peek_global_id();
    t.build_default(with);
    EXPECT_EQ(peek_global_id(), id + 1);
    const UeBasic& d = t.event<UeBasic>(t.pool(with).events[0]);
    EXPECT_EQ(d.src, v);
    EXPECT_EQ(d.common.priority, DEFAULT_UE_PRI_FALLBACK);
    EXPECT_EQ((std::tuple{d.des_start, d.des_stop, d.src_start, d.src_stop}), (std::tuple{0, 8, 0, 8}));

    t.build_default(none);
    EXPECT_TRUE(t.pool(none).events.empty());

    // Defaults sort below a user assignment, which sorts below the reset.
    UpdatePool pool;
    pool.add_update_event(make_ue_basic(t.m, v, 0, 8, 0, 8, 0, ClockMode::ClkFree, true, std::nullopt));
    pool.add_update_event(t.pool(with).events[0]);
    pool.add_update_event(t.pool(zero).events[0]);
    pool.sort_events(t.m);
    EXPECT_EQ(priorities(t.m, pool), (std::vector<int32_t>{0, 1, 10}));
}

TEST(WireDefaultTest, RefusalsOfTheDefaultRules) {
    BuildModel t;
    const HcpIdent w = make_wire(t.m, true, "w", 8);
    const HcpIdent narrow = make_val(t.m, true, "n", 4, 1);
    {
        auto wire = t.m.take<Wire>(w);
        wire->disable_default();
        EXPECT_FATAL(wire->set_default_val(narrow), "cannot set default_val on a no-default wire");
        wire.put_back();
    }
    const HcpIdent w2 = make_wire(t.m, true, "w2", 8);
    set_wire_default(t.m, w2, narrow);
    EXPECT_FATAL(set_wire_default(t.m, w2, narrow), "default_val is set already");
    {
        auto wire = t.m.take<Wire>(w2);
        EXPECT_FATAL(wire->disable_default(), "cannot disable default on a wire with a default_val");
        EXPECT_TRUE(wire->has_default);
        wire.put_back();
    }
    const uint64_t id = peek_global_id();
    EXPECT_FATAL(t.build_default(w2), "assertion failed: self.is_size_in_range_rel(b.get_size())");
    EXPECT_EQ(peek_global_id(), id);
    EXPECT_TRUE(t.pool(w2).events.empty());
}

TEST(IoWireTest, TheEventReadsTheAgentSource) {
    BuildModel t;
    const HcpIdent agent = make_wire(t.m, false, "agent", 4);
    const HcpIdent actual = make_reg(t.m, true, "actual", 4);

    const uint64_t id = peek_global_id();
    IoWire bare = IoWire::new_opt_src(false, "in", true, 4, std::nullopt, actual, t.m);
    EXPECT_EQ(peek_global_id(), id + 1);
    EXPECT_EQ(bare.ident.abs_name(), format("IO_WIRE_in_{}", id));
    EXPECT_EQ(bare.ident.sensitive_type, SENS_COMBINATIONAL);
    EXPECT_TRUE(bare.hcp_assign.update_pool.events.empty());
    EXPECT_EQ(bare.actual_src_signal_i, actual);
    EXPECT_FALSE(bare.port_name.has_value());

    IoWire routed = IoWire::new_opt_src(false, "out", false, 4, agent, actual, t.m);
    EXPECT_EQ(t.m.arena<IoWire>().size(), 0u);  // the caller inserts it
    ASSERT_EQ(routed.hcp_assign.update_pool.events.size(), 1u);
    const UpdateEventIdent ue = routed.hcp_assign.update_pool.events[0];
    EXPECT_EQ(ue.global_id(), id + 2);
    const UeBasic& b = t.event<UeBasic>(ue);
    EXPECT_EQ(b.src, agent);
    EXPECT_EQ((std::tuple{b.des_start, b.des_stop, b.src_start, b.src_stop}), (std::tuple{0, 4, 0, 4}));
    EXPECT_EQ(b.common, (UeCommon{std::nullopt, 0, 50, UeType::Basic, ClockMode::ClkFree}));

    const HcpIdent stored = insert_and_stamp_hcp(t.m, std::move(routed), false);
    EXPECT_EQ(stored.module_ident, t.top);
    EXPECT_EQ(t.module().system_hcps[size_t(HwComponentType::IoWire)], std::vector<HcpIdent>{stored});
    EXPECT_EQ(t.pool(stored).events, std::vector<UpdateEventIdent>{ue});
    HcpSet deps;
    auto taken = take_hcp(t.m, stored);
    taken->gather_dep_hcps(deps, t.m);
    taken.put_back();
    EXPECT_EQ(deps, HcpSet{agent});
}

TEST(BitSizeCheckTest, NamesOwnerSignalAndWidths) {
    BuildModel t;
    const HcpIdent hold = make_wire(t.m, false, "hold", 2);
    const HcpIdent self = t.sp_reg<SyncReg>(HwComponentType::SyncReg, "sy", 3);
    check_ident_bit_size(t.m, t.clk, 1, "owner", std::nullopt, 0);
    EXPECT_FATAL(check_ident_bit_size(t.m, hold, 1, "SR_SY_x", std::nullopt, 0),
                 format("'SR_SY_x': signal '{}' must be 1-bit, got 2", hold.abs_name()));
    // The register under check is measured by the width it reports.
    auto out = take_hcp(t.m, self);
    check_ident_bit_size(t.m, self, 1, "owner", self, 1);
    EXPECT_FATAL(check_ident_bit_size(t.m, self, 1, "owner", self, 3),
                 format("'owner': signal '{}' must be 1-bit, got 3", self.abs_name()));
    out.put_back();
    EXPECT_FATAL(check_ident_bit_size(t.m, self, 1, "owner", hold, 1),
                 format("'owner': signal '{}' must be 1-bit, got 3", self.abs_name()));
}
