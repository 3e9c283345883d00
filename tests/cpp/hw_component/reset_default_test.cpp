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
