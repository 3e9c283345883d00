// Cross-module routing: the IO wires each pass makes, their names, ids,
// sources and reuse, and the rewiring of the readers.
#include "backends/common/glob_routing.hpp"
#include "backends/common/internal_routing.hpp"
#include "backends/common/io_op.hpp"
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
        add_event(m, r,
                  make_ue_basic(m, src, Slice{0, w}, Slice{0, w}, 10, ClockMode::ClkFree, false,
                                std::nullopt));
        return r;
    }

    // What `r` reads: the source of its first event.
    std::string reads(const HcpIdent& r) const {
        const UpdateEventIdent& ue = get_hcp_assign(m, r).get_update_pool().events.front();
        return label(m.arena<UeBasic>().get(ue.handle()).src);
    }

    // Ids drawn by routing count from here.
    uint64_t first = 0;
    void route_internal() {
        first = peek_global_id();
        route_and_remap_io_model(m);
    }
    void route_glob() {
        first = peek_global_id();
        route_glob_io_model(m);
    }

    // An IO wire by its direction, the source it carries and its id counted
    // from `first` (the wire's own name says the same); anything else by its
    // relative name.
    std::string label(const HcpIdent& h) const {
        if (h.hw_type != HwComponentType::IoWire) return std::string(h.ident_base.rel_name());
        const IoWire& w = m.arena<IoWire>().get(h.handle());
        const std::string dir = w.is_input ? "IN" : "OUT";
        const auto& actual = w.actual_src_signal_i;
        EXPECT_EQ(h.abs_name(), format("IO_WIRE_IO_{}_{}_{}", dir,
                                       actual ? actual->abs_name() : "anon", h.global_id()));
        return format("{}_{}+{}", dir, actual ? actual->ident_base.rel_name() : "anon",
                      h.global_id() - first);
    }
    // The IO wires of `module` in list order: each with its width, its agent
    // (which its own event, if any, copies) and its port name.
    std::vector<std::string> wires(const ModuleIdent& module) const {
        std::vector<std::string> out;
        for (const HcpIdent& h :
             m.arena<Module>().get(module.handle()).hcps_of(HwComponentType::IoWire)) {
            const IoWire& w = m.arena<IoWire>().get(h.handle());
            const auto& events = w.get_update_pool().events;
            if (!events.empty()) {
                EXPECT_EQ(m.arena<UeBasic>().get(events[0].handle()).src, w.agent_src_signal_i);
            }
            out.push_back(format("{} {}b <- {}{}{}", label(h), w.bit_width,
                                 w.agent_src_signal_i ? label(*w.agent_src_signal_i) : "-",
                                 events.empty() ? " (no event)" : "",
                                 w.port_name ? " port " + *w.port_name : ""));
        }
        return out;
    }
};

using Lines = std::vector<std::string>;

}  // namespace

TEST(InternalRoutingTest, ParentToChildAndChildToParent) {
    Design t;
    const HcpIdent s = t.reg(t.top, "s");
    const HcpIdent in_child = t.reader(t.c2, s);
    const HcpIdent u = t.reg(t.c2, "u", 2);
    const HcpIdent in_parent = t.reader(t.top, u);
    t.route_internal();
    // Top is routed first: u comes out of c2 through one OUT wire (its id,
    // then its event's id); then c2 reads s of its parent through one IN wire.
    EXPECT_EQ(t.wires(t.c2), (Lines{"OUT_u+0 2b <- u", "IN_s+2 4b <- s"}));
    EXPECT_EQ(t.wires(t.top), Lines{});
    EXPECT_EQ(t.reads(in_parent), "OUT_u+0");
    EXPECT_EQ(t.reads(in_child), "IN_s+2");
    EXPECT_TRUE(t.m.module_trace_stack.empty());
}

TEST(InternalRoutingTest, SiblingsShareTheSourceSideAndReadersShareTheirWire) {
    Design t;
    const HcpIdent s = t.reg(t.c1, "s");
    const HcpIdent a = t.reader(t.c2, s);
    const HcpIdent b = t.reader(t.c2, s);      // same module: one IN wire
    const HcpIdent deep = t.reader(t.d, s);    // below the source: one more IN
    const HcpIdent local = t.reader(t.c1, s);  // its own module: nothing
    t.route_internal();
    // Walk order top, c1, d, c2: d reads s of its parent c1 first; then c2
    // through an OUT of c1. The top gets nothing.
    EXPECT_EQ(t.wires(t.d), Lines{"IN_s+0 4b <- s"});
    EXPECT_EQ(t.wires(t.c1), Lines{"OUT_s+2 4b <- s"});
    EXPECT_EQ(t.wires(t.c2), Lines{"IN_s+4 4b <- OUT_s+2"});
    EXPECT_EQ(t.wires(t.top), Lines{});
    EXPECT_EQ((Lines{t.reads(deep), t.reads(local), t.reads(a), t.reads(b)}),
              (Lines{"IN_s+0", "s", "IN_s+4", "IN_s+4"}));
}

TEST(InternalRoutingTest, ChainsThroughSeveralLevelsReuseEachHop) {
    Design t;
    // A signal of d read at the top and in c2; one of c2 read in d.
    const HcpIdent s = t.reg(t.d, "s");
    const HcpIdent x = t.reg(t.c2, "x", 1);
    const HcpIdent top_r = t.reader(t.top, s);
    const HcpIdent c2_r = t.reader(t.c2, s);
    const HcpIdent d_r = t.reader(t.d, x);
    t.route_internal();
    // top: s out of d and c1. d (walked before c2): x out of c2, into c1,
    // into d. c2: both OUT hops of s are reused; only c2's IN is new.
    EXPECT_EQ(t.wires(t.d), (Lines{"OUT_s+0 4b <- s", "IN_x+8 1b <- IN_x+6"}));
    EXPECT_EQ(t.wires(t.c1), (Lines{"OUT_s+2 4b <- OUT_s+0", "IN_x+6 1b <- OUT_x+4"}));
    EXPECT_EQ(t.wires(t.c2), (Lines{"OUT_x+4 1b <- x", "IN_s+10 4b <- OUT_s+2"}));
    EXPECT_EQ((Lines{t.reads(top_r), t.reads(d_r), t.reads(c2_r)}),
              (Lines{"OUT_s+2", "IN_x+8", "IN_s+10"}));
    EXPECT_EQ(peek_global_id(), t.first + 12);
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
        return make_expression(t.m, true, "e", LogicOp::BitwiseAnd, a, a, Slice{0, 1},
                               std::nullopt);
    });
    const UpdateEventIdent ue = make_ue_full(t.m, c, std::nullopt, a, Slice{0, 8}, Slice{0, 8}, 10,
                                             ClockMode::PosEdge, false, clk);
    add_event(t.m, r, ue);
    t.route_internal();

    EXPECT_EQ(t.wires(t.c1), (Lines{"IN_clk+0 1b <- clk", "IN_a+2 8b <- a", "IN_c+4 1b <- c"}));
    const UeCond& cond = t.m.arena<UeCond>().get(ue.handle());
    const UeBasic& inner = t.m.arena<UeBasic>().get(cond.sub_stmts[0]->handle());
    const Expression& ex = t.m.arena<Expression>().get(e.handle());
    EXPECT_EQ((Lines{t.label(*cond.conds[0]), t.label(inner.src), t.label(*inner.common.clk_src_i),
                     t.label(*ex.operand_a), t.label(*ex.operand_b)}),
              (Lines{"IN_c+4", "IN_a+2", "IN_clk+0", "IN_a+2", "IN_a+2"}));
}

TEST(GlobRoutingTest, OutputPortsClimbToTheRoot) {
    Design t;
    const HcpIdent q = t.reg(t.top, "q", 8);
    const HcpIdent y = t.reg(t.d, "y", 3);
    mark_as_io(t.m, q, false, "q_out");
    mark_as_io(t.m, y, false, "y_out");
    t.route_glob();
    // The top's own output: one wire named as the port. y: d, c1, then the
    // top, each fed by the one below; only the top one is a named port.
    EXPECT_EQ(t.wires(t.top),
              (Lines{"OUT_q+0 8b <- q port q_out", "OUT_y+6 3b <- OUT_y+4 port y_out"}));
    EXPECT_EQ(t.wires(t.d), Lines{"OUT_y+2 3b <- y"});
    EXPECT_EQ(t.wires(t.c1), Lines{"OUT_y+4 3b <- OUT_y+2"});
    EXPECT_TRUE(t.m.module_trace_stack.empty());
    EXPECT_FATAL(route_glob_io_hw_comp(t.m, ModuleTree(t.m, t.top), t.reg(t.c2, "plain")),
                 "route_glob_io_hw_comp: expected an IO-marked component");
}

TEST(GlobRoutingTest, InputPortsDescendFromTheRootAndBindTheComponent) {
    Design t;
    const HcpIdent a = t.reg(t.d, "a", 5);
    const HcpIdent b = t.reg(t.d, "b", 1);
    mark_as_io(t.m, a, true, "a_in");
    mark_as_io(t.m, b, true, "b_in");
    t.route_glob();
    // Top first, no source carried; each wire's id, then (below the top) its
    // event's, then the component's bind event. Each input chain is its own.
    EXPECT_EQ(t.wires(t.top), (Lines{"IN_anon+0 5b <- - (no event) port a_in",
                                     "IN_anon+6 1b <- - (no event) port b_in"}));
    EXPECT_EQ(t.wires(t.c1), (Lines{"IN_anon+1 5b <- IN_anon+0", "IN_anon+7 1b <- IN_anon+6"}));
    EXPECT_EQ(t.wires(t.d), (Lines{"IN_anon+3 5b <- IN_anon+1", "IN_anon+9 1b <- IN_anon+7"}));
    EXPECT_EQ((Lines{t.reads(a), t.reads(b)}), (Lines{"IN_anon+3", "IN_anon+9"}));
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
            EXPECT_EQ(
                t.m.arena<Module>().get(t.c2.handle()).hcps_of(HwComponentType::IoWire).size(), 2u);
        } else {
            route_glob_io_model(t.m);
            EXPECT_FATAL(route_and_remap_io_model(t.m), "IoWire: actual_src_signal_i is None");
        }
    }
}

TEST(IoWireIndexTest, FindsWhatAScanOfTheModulesWiresWouldFind) {
    // The IO wires of c2 in list order: "i" an input and "o" an output
    // carrying no source, "M" an input carrying s.
    const auto find_in_c2 = [](std::string_view layout) -> std::string {
        Design t;
        const HcpIdent s = t.reg(t.top, "s");
        std::optional<HcpIdent> match, got;
        for (char c : layout) {
            const bool carries = c == 'M', input = c != 'o';
            const HcpIdent w =
                make_io_wire(t.m, t.c2, input ? IO_DIR_IN : IO_DIR_OUT, "w", input, 4, std::nullopt,
                             carries ? std::optional(s) : std::nullopt);
            if (carries) match = w;
        }
        IoWireIndex index;
        const std::string fatal = FATAL_MESSAGE(got = index.find(t.m, t.c2, s, true));
        if (fatal != "<no fatal error>") return fatal;
        return got == match ? "match" : "another";
    };
    // The scan stops at the first input with no source, whatever follows it.
    const std::string stops = "IoWire: actual_src_signal_i is None";
    const std::vector<std::pair<std::string_view, std::string>> cases = {
        {"M", "match"}, {"Mi", "match"}, {"oM", "match"}, {"iMi", stops}, {"iM", stops}};
    for (const auto& [layout, expected] : cases) EXPECT_EQ(find_in_c2(layout), expected) << layout;
}
