// The emit driver: its phases and progress lines, what it refuses, repeated
// emits. The Verilog tools check every simulated design from Python.
#include <map>

#include "backends/vb_test_support.hpp"
#include "backends/verilog/arena_ext_vb.hpp"
#include "backends/verilog/backend.hpp"
#include "backends/verilog/module/module_vb.hpp"
#include "model/arena_insert.hpp"
#include "model/flow_block/common/arena_factory_flow_block.hpp"
#include "model/flow_block/common/flow_block_stack.hpp"
#include "model/hw_component/arena_impl_asm.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

// des <= src, whole ranges, on the rising edge of clk or without a clock.
void drive(ModelArena& m, const HcpIdent& des, const HcpIdent& src,
           std::optional<HcpIdent> clk = std::nullopt) {
    const int32_t w = get_hcp_assign(m, des).get_des_slice().size();
    const ClockMode mode = clk ? ClockMode::PosEdge : ClockMode::ClkFree;
    add_event(m, des, make_ue_basic(m, src, Slice{0, w}, Slice{0, w}, 10, mode, false, clk));
}

// A top module with one sub-module that reads a register of its parent.
// The clock is a port-named input; the sub-module's register leaves as a
// port-named output.
struct ParentReadDesign {
    ModelArena m;
    ModuleIdent top, sub;

    ParentReadDesign() {
        HcpIdent clk, cnt, next, seen;
        top = described_module(m, "top", [&] {
            clk = make_wire(m, true, "clk", 1);
            mark_as_io(m, clk, true, "clk");
            cnt = make_reg(m, true, "cnt", 8);
            const HcpIdent one = make_val(m, true, "one", 8, 1);
            next = make_expression(m, true, "next", LogicOp::ArithPlus, cnt, one, std::nullopt,
                                   std::nullopt);
            sub = described_module(m, "sub", [&] { seen = make_reg(m, true, "seen", 8); });
        });
        set_top_module(m, top);
        drive(m, cnt, next, clk);
        drive(m, seen, cnt, clk);
        mark_as_io(m, seen, false, "seen");
    }
};

// top ── c1 ── d
//     └─ c2
// d holds a register clocked by the top's clock port and loaded from an
// input port marked in d; c2 reads it (out of d and c1, into c2) and its own
// register leaves as an output port through the top.
struct HierarchyDesign {
    ModelArena m;
    ModuleIdent top, c1, d, c2;

    HierarchyDesign() {
        HcpIdent clk, din, x, y, scaled;
        top = described_module(m, "top", [&] {
            clk = make_wire(m, true, "clk", 1);
            mark_as_io(m, clk, true, "clk");
            c1 = described_module(m, "c1", [&] {
                d = described_module(m, "d", [&] {
                    din = make_wire(m, true, "din", 4);
                    x = make_reg(m, true, "x", 4);
                });
            });
            c2 = described_module(m, "c2", [&] {
                y = make_reg(m, true, "y", 4);
                const HcpIdent two = make_val(m, true, "two", 4, 2);
                scaled = make_expression(m, true, "scaled", LogicOp::ArithMul, x, two, std::nullopt,
                                         std::nullopt);
            });
        });
        set_top_module(m, top);
        mark_as_io(m, din, true, "din");
        drive(m, x, din, clk);
        drive(m, y, scaled, clk);
        mark_as_io(m, y, false, "y");
    }
};

}  // namespace

TEST(BackendTest, ASecondEmitWritesTheSameDesignWithoutRoutingAgain) {
    HierarchyDesign d;
    BackendVerilog backend(std::move(d.m));
    TempDir first, second;
    auto emit_to = [&](const TempDir& dir) {
        StdoutCapture capture;
        backend.emit(dir.str(), "chip");
        capture.restore();
        return capture.text();
    };
    auto files_of = [](const TempDir& dir) {
        std::map<std::string, std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(dir.str()))
            out[e.path().filename().string()] = read_file(e.path().string());
        return out;
    };
    const std::string lines_first = emit_to(first);
    const size_t wires = backend.model().arena<IoWire>().size();
    const size_t events = backend.model().arena<UeBasic>().size();
    const uint64_t ids = peek_global_id();
    const auto written = files_of(first);
    EXPECT_EQ(written.size(), 4u);

    EXPECT_EQ(emit_to(first), lines_first);  // over the files of the first call
    const std::string lines_second = emit_to(second);
    EXPECT_EQ(files_of(first), written);
    EXPECT_EQ(files_of(second), written);
    EXPECT_EQ(backend.model().arena<IoWire>().size(), wires);
    EXPECT_EQ(backend.model().arena<UeBasic>().size(), events);
    EXPECT_EQ(peek_global_id(), ids);
    // The same progress lines, apart from the directory.
    std::string expected = lines_first;
    for (size_t pos; (pos = expected.find(first.str())) != std::string::npos;)
        expected.replace(pos, first.str().size(), second.str());
    EXPECT_EQ(lines_second, expected);
}

TEST(BackendTest, FailuresNameWhatStopped) {
    {
        // No top module: refused before anything is printed.
        BackendVerilog backend(ModelArena{});
        TempDir out;
        StdoutCapture capture;
        const CheckResult refused = backend.emit(out.str(), "chip");
        capture.restore();
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->message,
                  "BackendVerilog::emit: the model has no top module; call set_top_module, then "
                  "build_flow, on the model before handing it to BackendVerilog");
        EXPECT_EQ(capture.text(), "");
        EXPECT_TRUE(std::filesystem::is_empty(out.str()));
        EXPECT_FATAL(backend.phase_init(),
                     "BackendVerilog::phase_init \u2014 no top module set on arena");
    }
    {
        // A missing directory stops at the first file, with every module back.
        ParentReadDesign d;
        BackendVerilog backend(std::move(d.m));
        TempDir out;
        const std::string dir = out.file("missing");
        StdoutCapture capture;
        EXPECT_FATAL(
            backend.emit(dir, "chip"),
            format("BackendVerilog::phase_emit \u2014 cannot open {}/chip.v: no file can be "
                   "made in directory {}: No such file or directory",
                   dir, dir));
        capture.restore();
        EXPECT_TRUE(capture.text().ends_with(format("writing {}/chip.v\n", dir)));
        EXPECT_TRUE(none_taken<Module>(backend.model()));
        // A trailing "/" is kept, and the design is written once the
        // directory is good.
        StdoutCapture capture2;
        backend.emit(out.str() + "/", "chip");
        capture2.restore();
        EXPECT_NE(capture2.text().find(format("writing {}//chip.v\n", out.str())),
                  std::string::npos);
        EXPECT_TRUE(std::filesystem::exists(out.file("chip.v")));
    }
}

TEST(BackendTest, AModelLeftHalfRoutedIsRefused) {
    ParentReadDesign d;
    // A memory block read whole, which no wire can carry, stops routing
    // after the wires of the sub-module's other reads were made.
    const HcpIdent s = traced_in(d.m, d.top, [&] { return make_mem_blk(d.m, true, "s", 8, 2); });
    const HcpIdent r = traced_in(d.m, d.sub, [&] { return make_reg(d.m, true, "r", 8); });
    drive(d.m, r, s);
    BackendVerilog backend(std::move(d.m));
    TempDir out;
    StdoutCapture capture;
    EXPECT_FATAL(backend.emit(out.str(), "chip"), "MemBlk is not an assignment destination");
    EXPECT_FATAL(backend.emit(out.str(), "chip"),
                 "BackendVerilog::emit \u2014 an earlier emit stopped while routing; the model is "
                 "half-routed and cannot be emitted");
    EXPECT_TRUE(std::filesystem::is_empty(out.str()));
    EXPECT_TRUE(backend.model().module_trace_stack.empty());
}

TEST(BackendTest, APortNamedLikeASubModulesOutputIsRefusedNotLikeItsInput) {
    ParentReadDesign d;
    BackendVerilog backend(std::move(d.m));
    TempDir out;
    StdoutCapture capture;
    ASSERT_FALSE(backend.emit(out.str(), "chip"));
    // Routed: the read of cnt enters the sub-module, seen leaves it. The
    // top module declares a wire for the instance's output only.
    ModelArena& m = backend.model();
    std::map<bool, std::string> sub_wire;
    for (const HcpIdent& h : m.get<Module>(d.sub).hcps_of(HwComponentType::IoWire))
        sub_wire[m.get<IoWire>(h).is_input] = h.abs_name();
    for (bool input : {true, false}) {
        SCOPED_TRACE(input);
        for (const HcpIdent& h : m.get<Module>(d.top).hcps_of(HwComponentType::IoWire)) {
            std::optional<std::string>& port = m.arena<IoWire>().get_mut(h.handle()).port_name;
            if (port && *port != "clk") port = sub_wire.at(input);
        }
        EXPECT_EQ(backend.emit(out.str(), "chip").has_value(), !input);
    }
}
