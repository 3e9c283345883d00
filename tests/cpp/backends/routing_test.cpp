// Cross-module routing: the IO wires each pass makes, their names, ids,
// sources and reuse, and the rewiring of the readers.
#include "backends/common/glob_routing.hpp"
#include "backends/common/internal_routing.hpp"
#include "backends/vb_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

// top
// ├── c1
// │   └── d
// └── c2
struct Design {
    ModelArena m;
    ModuleIdent top, c1, d, c2;

    Design() {
        top = described_module(m, "top", [&] {
            c1 = described_module(m, "c1", [&] { d = described_module(m, "d"); });
            c2 = described_module(m, "c2");
        });
        set_top_module(m, top);
    }

    HcpIdent reg(const ModuleIdent& module, std::string_view name, uint32_t width = 4) {
        return traced_in(m, module, [&] { return make_reg(m, true, name, width); });
    }
    // A register of `module` that reads the whole of `src` (a basic event).
    HcpIdent reader(const ModuleIdent& module, const HcpIdent& src) {
        const int32_t w = get_hcp_assign(m, src).get_des_slice().size();
        const HcpIdent r = reg(module, "rd", w);
        add_event(m, r, make_ue_basic(m, src, 0, w, 0, w, 10, ClockMode::ClkFree, false, std::nullopt));
        return r;
    }

    // The single source the reader's first event reads.
    HcpIdent read_by(const HcpIdent& r) {
        const UpdateEventIdent& ue = get_hcp_assign(m, r).get_update_pool().events.front();
        return m.arena<UeBasic>().get(ue.handle()).src;
    }
    std::vector<HcpIdent> wires(const ModuleIdent& module) const {
        return m.arena<Module>().get(module.handle()).hcps_of(HwComponentType::IoWire);
    }
    const IoWire& wire(const HcpIdent& h) const { return m.arena<IoWire>().get(h.handle()); }
    // The source the wire's own event copies.
    HcpIdent fed_by(const HcpIdent& w) {
        const UpdateEventIdent& ue = wire(w).get_update_pool().events.front();
        return m.arena<UeBasic>().get(ue.handle()).src;
    }
};

std::string wire_name(std::string_view dir, const HcpIdent& src, uint64_t id) {
    return format("IO_WIRE_IO_{}_{}_{}", dir, src.abs_name(), id);
}

}  // namespace

TEST(InternalRoutingTest, ParentToChildAndChildToParent) {
    Design t;
    const HcpIdent s = t.reg(t.top, "s");
    const HcpIdent in_child = t.reader(t.c2, s);
    const HcpIdent u = t.reg(t.c2, "u", 2);
    const HcpIdent in_parent = t.reader(t.top, u);
    const uint64_t first = peek_global_id();
    route_and_remap_io_model(t.m);

    // Top is routed first: u comes out of c2 through one OUT wire (its id,
    // then its event's id).
    const auto c2_wires = t.wires(t.c2);
    ASSERT_EQ(c2_wires.size(), 2u);
    const HcpIdent out = c2_wires[0], in = c2_wires[1];
    EXPECT_EQ(out.abs_name(), wire_name("OUT", u, first));
    EXPECT_FALSE(t.wire(out).is_input);
    EXPECT_EQ(t.wire(out).bit_width, 2u);
    EXPECT_EQ(t.wire(out).actual_src_signal_i, u);
    EXPECT_EQ(t.wire(out).agent_src_signal_i, u);
    EXPECT_EQ(t.fed_by(out), u);
    EXPECT_EQ(t.read_by(in_parent), out);

    // Then c2 reads s of its parent through one IN wire.
    EXPECT_EQ(in.abs_name(), wire_name("IN", s, first + 2));
    EXPECT_TRUE(t.wire(in).is_input);
    EXPECT_EQ(t.wire(in).actual_src_signal_i, s);
    EXPECT_EQ(t.wire(in).agent_src_signal_i, s);
    EXPECT_EQ(t.read_by(in_child), in);
    EXPECT_TRUE(t.wires(t.top).empty());
    EXPECT_TRUE(t.m.module_trace_stack.empty());
}

TEST(InternalRoutingTest, SiblingsShareTheSourceSideAndReadersShareTheirWire) {
    Design t;
    const HcpIdent s = t.reg(t.c1, "s");
    const HcpIdent a = t.reader(t.c2, s);
    const HcpIdent b = t.reader(t.c2, s);  // same module: one IN wire
    const HcpIdent deep = t.reader(t.d, s);  // below the source: one more IN
    const HcpIdent local = t.reader(t.c1, s);  // its own module: nothing
    const uint64_t first = peek_global_id();
    route_and_remap_io_model(t.m);

    // Walk order top, c1, d, c2. d reads s of its parent c1 first.
    const auto d_wires = t.wires(t.d);
    ASSERT_EQ(d_wires.size(), 1u);
    EXPECT_EQ(d_wires[0].abs_name(), wire_name("IN", s, first));
    EXPECT_EQ(t.read_by(deep), d_wires[0]);
    EXPECT_EQ(t.read_by(local), s);

    // c2: OUT of c1, then IN of c2 fed by it; top gets nothing.
    const auto c1_wires = t.wires(t.c1);
    const auto c2_wires = t.wires(t.c2);
    ASSERT_EQ(c1_wires.size(), 1u);
    ASSERT_EQ(c2_wires.size(), 1u);
    EXPECT_EQ(c1_wires[0].abs_name(), wire_name("OUT", s, first + 2));
    EXPECT_EQ(c2_wires[0].abs_name(), wire_name("IN", s, first + 4));
    EXPECT_EQ(t.wire(c2_wires[0]).agent_src_signal_i, c1_wires[0]);
    EXPECT_EQ(t.wire(c2_wires[0]).actual_src_signal_i, s);
    EXPECT_EQ(t.read_by(a), c2_wires[0]);
    EXPECT_EQ(t.read_by(b), c2_wires[0]);
    EXPECT_TRUE(t.wires(t.top).empty());
}

TEST(InternalRoutingTest, ChainsThroughSeveralLevelsReuseEachHop) {
    Design t;
    // A signal of d read at the top and in c2; one of c2 read in d.
    const HcpIdent s = t.reg(t.d, "s");
    const HcpIdent x = t.reg(t.c2, "x", 1);
    const HcpIdent top_r = t.reader(t.top, s);
    const HcpIdent c2_r = t.reader(t.c2, s);
    const HcpIdent d_r = t.reader(t.d, x);
    const uint64_t first = peek_global_id();
    route_and_remap_io_model(t.m);

    // top: OUT of d, OUT of c1.
    const auto d_wires = t.wires(t.d);
    const auto c1_wires = t.wires(t.c1);
    ASSERT_EQ(d_wires.size(), 2u);
    ASSERT_EQ(c1_wires.size(), 2u);
    EXPECT_EQ(d_wires[0].abs_name(), wire_name("OUT", s, first));
    EXPECT_EQ(c1_wires[0].abs_name(), wire_name("OUT", s, first + 2));
    EXPECT_EQ(t.wire(c1_wires[0]).agent_src_signal_i, d_wires[0]);
    EXPECT_EQ(t.read_by(top_r), c1_wires[0]);
    // d (walked before c2): x comes out of c2, into c1, into d.
    const auto c2_wires = t.wires(t.c2);
    ASSERT_EQ(c2_wires.size(), 2u);
    EXPECT_EQ(c2_wires[0].abs_name(), wire_name("OUT", x, first + 4));
    EXPECT_EQ(c1_wires[1].abs_name(), wire_name("IN", x, first + 6));
    EXPECT_EQ(d_wires[1].abs_name(), wire_name("IN", x, first + 8));
    EXPECT_EQ(t.wire(d_wires[1]).agent_src_signal_i, c1_wires[1]);
    EXPECT_EQ(t.read_by(d_r), d_wires[1]);
    // c2: both OUT hops of s are reused; only c2's IN is new.
    EXPECT_EQ(c2_wires[1].abs_name(), wire_name("IN", s, first + 10));
    EXPECT_EQ(t.wire(c2_wires[1]).agent_src_signal_i, c1_wires[0]);
    EXPECT_EQ(t.read_by(c2_r), c2_wires[1]);
    EXPECT_EQ(peek_global_id(), first + 12);
}

TEST(InternalRoutingTest, SourcesGoInAscendingIdOrderAndEveryReadIsRemapped) {
    Design t;
    const HcpIdent clk = t.reg(t.top, "clk", 1);
    const HcpIdent a = t.reg(t.top, "a", 8);
    const HcpIdent c = t.reg(t.top, "c", 1);
    // One register of c1 reads a (through a condition on c) clocked by clk;
    // one expression reads a and c.
    const HcpIdent r = t.reg(t.c1, "r", 8);
    const HcpIdent e = traced_in(t.m, t.c1, [&] {
        return make_expression(t.m, true, "e", LogicOp::BitwiseAnd, a, a, Slice{0, 1}, std::nullopt);
    });
    const UpdateEventIdent ue =
        make_ue_full(t.m, c, std::nullopt, a, 0, 8, 0, 8, 10, ClockMode::PosEdge, false, clk);
    get_hcp_assign_mut(t.m, r).add_update_event(ue);
    const uint64_t first = peek_global_id();
    route_and_remap_io_model(t.m);

    const auto wires = t.wires(t.c1);
    ASSERT_EQ(wires.size(), 3u);
    EXPECT_EQ(wires[0].abs_name(), wire_name("IN", clk, first));
    EXPECT_EQ(wires[1].abs_name(), wire_name("IN", a, first + 2));
    EXPECT_EQ(wires[2].abs_name(), wire_name("IN", c, first + 4));
    const UeCond& cond = t.m.arena<UeCond>().get(ue.handle());
    EXPECT_EQ(cond.conds[0], wires[2]);
    const UeBasic& inner = t.m.arena<UeBasic>().get(cond.sub_stmts[0]->handle());
    EXPECT_EQ(inner.src, wires[1]);
    EXPECT_EQ(inner.common.clk_src_i, wires[0]);
    const Expression& ex = t.m.arena<Expression>().get(e.handle());
    EXPECT_EQ(ex.operand_a, wires[1]);
    EXPECT_EQ(ex.operand_b, wires[1]);
}

TEST(GlobRoutingTest, OutputPortsClimbToTheRoot) {
    Design t;
    const HcpIdent q = t.reg(t.top, "q", 8);
    const HcpIdent y = t.reg(t.d, "y", 3);
    mark_as_io(t.m, q, false, "q_out");
    mark_as_io(t.m, y, false, "y_out");
    const uint64_t first = peek_global_id();
    route_glob_io_model(t.m);

    // The top's own output: one wire, fed by the component, named as the port.
    const auto top_wires = t.wires(t.top);
    ASSERT_EQ(top_wires.size(), 2u);
    EXPECT_EQ(top_wires[0].abs_name(), wire_name("OUT", q, first));
    EXPECT_EQ(t.wire(top_wires[0]).port_name, "q_out");
    EXPECT_EQ(t.wire(top_wires[0]).agent_src_signal_i, q);
    EXPECT_EQ(t.wire(top_wires[0]).bit_width, 8u);
    // y: d, c1, then the top, each fed by the one below; only the top one is
    // a named port.
    const HcpIdent in_d = t.wires(t.d).at(0), in_c1 = t.wires(t.c1).at(0);
    EXPECT_EQ(in_d.abs_name(), wire_name("OUT", y, first + 2));
    EXPECT_EQ(in_c1.abs_name(), wire_name("OUT", y, first + 4));
    EXPECT_EQ(top_wires[1].abs_name(), wire_name("OUT", y, first + 6));
    EXPECT_EQ(t.wire(in_c1).agent_src_signal_i, in_d);
    EXPECT_EQ(t.wire(top_wires[1]).agent_src_signal_i, in_c1);
    EXPECT_EQ(t.wire(top_wires[1]).actual_src_signal_i, y);
    EXPECT_EQ(t.wire(top_wires[1]).port_name, "y_out");
    EXPECT_FALSE(t.wire(in_c1).port_name.has_value());
    EXPECT_TRUE(t.m.module_trace_stack.empty());
    EXPECT_FATAL(route_glob_io_hw_comp(t.m, t.reg(t.c2, "plain")),
                 "route_glob_io_hw_comp: expected an IO-marked component");
}

TEST(GlobRoutingTest, InputPortsDescendFromTheRootAndBindTheComponent) {
    Design t;
    const HcpIdent a = t.reg(t.d, "a", 5);
    const HcpIdent b = t.reg(t.d, "b", 1);
    mark_as_io(t.m, a, true, "a_in");
    mark_as_io(t.m, b, true, "b_in");
    const uint64_t first = peek_global_id();
    route_glob_io_model(t.m);

    const auto top_w = t.wires(t.top), c1_w = t.wires(t.c1), d_w = t.wires(t.d);
    ASSERT_EQ(top_w.size(), 2u);
    ASSERT_EQ(d_w.size(), 2u);
    // Top first, no source carried; each wire's id, then (below the top) its
    // event's, then a's bind event.
    EXPECT_EQ(top_w[0].abs_name(), format("IO_WIRE_IO_IN_anon_{}", first));
    EXPECT_EQ(c1_w[0].abs_name(), format("IO_WIRE_IO_IN_anon_{}", first + 1));
    EXPECT_EQ(d_w[0].abs_name(), format("IO_WIRE_IO_IN_anon_{}", first + 3));
    EXPECT_EQ(top_w[1].abs_name(), format("IO_WIRE_IO_IN_anon_{}", first + 6));
    EXPECT_EQ(t.wire(top_w[0]).port_name, "a_in");
    EXPECT_EQ(t.wire(top_w[1]).port_name, "b_in");
    EXPECT_FALSE(t.wire(top_w[0]).agent_src_signal_i.has_value());
    EXPECT_TRUE(t.wire(top_w[0]).get_update_pool().events.empty());
    EXPECT_FALSE(t.wire(d_w[0]).actual_src_signal_i.has_value());
    EXPECT_EQ(t.wire(d_w[0]).agent_src_signal_i, c1_w[0]);
    EXPECT_EQ(t.wire(c1_w[0]).bit_width, 5u);
    EXPECT_TRUE(t.wire(d_w[0]).is_input);
    // Each input chain is its own, and the component copies its module's wire.
    EXPECT_EQ(t.wire(d_w[1]).agent_src_signal_i, c1_w[1]);
    EXPECT_EQ(t.read_by(a), d_w[0]);
    EXPECT_EQ(t.read_by(b), d_w[1]);
    const UeCommon& bound = get_ue_common(t.m, get_hcp_assign(t.m, a).get_update_pool().events[0]);
    EXPECT_EQ(bound.priority, 50);
    EXPECT_EQ(bound.clk_mode, ClockMode::ClkFree);
}

TEST(GlobRoutingTest, InternalRoutingFindsNoInputPortOfTheOtherPass) {
    // An input port in c2 and a read of a top signal in c2: internal routing
    // runs first, so its reuse search never meets a source-less wire; in the
    // reverse order the search is refused.
    for (bool internal_first : {true, false}) {
        Design t;
        mark_as_io(t.m, t.reg(t.c2, "p", 1), true, "p_in");
        t.reader(t.c2, t.reg(t.top, "s", 1));
        if (internal_first) {
            route_and_remap_io_model(t.m);
            route_glob_io_model(t.m);
            EXPECT_EQ(t.wires(t.c2).size(), 2u);
        } else {
            route_glob_io_model(t.m);
            EXPECT_FATAL(route_and_remap_io_model(t.m), "IoWire: actual_src_signal_i is None");
        }
    }
}
