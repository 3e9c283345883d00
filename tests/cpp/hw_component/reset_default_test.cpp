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

// A reset wins over every assignment, a given default over the zero one,
// whatever priority the caller has set; no simulated design shows the last.
TEST(ResetDefaultTest, EachTakesItsOwnPriority) {
    BuildModel t;
    const HcpIdent r = make_reg(t.m, true, "r", 8), v = make_val(t.m, true, "v", 8, 5);
    const HcpIdent given = make_wire(t.m, true, "g", 8), zero = make_wire(t.m, true, "z", 8);
    set_reg_reset(t.m, r, v);
    set_wire_default(t.m, given, v);
    set_asm_pri_to_manual(4);
    t.build_reset(r), t.build_default(given), t.build_default(zero);
    set_asm_pri_to_auto();
    auto only = [&](const HcpIdent& h) {
        EXPECT_EQ(t.pool(h).events.size(), 1u);
        return view_event(t.m, t.pool(h).events.at(0));
    };
    EXPECT_EQ(only(r), (Ev{DEFAULT_UE_PRI_RST, {t.rst}, v, {0, 8}, {0, 8}}));
    EXPECT_EQ(only(given), (Ev{DEFAULT_UE_PRI_FALLBACK, {}, v, {0, 8}, {0, 8}}));
    EXPECT_EQ(only(zero).pri, DEFAULT_UE_PRI_MIN);
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
