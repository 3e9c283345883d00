// The emit driver: its phases and progress lines, what it refuses, repeated
// emits, and whole designs checked by the Verilog tools.
#include <algorithm>
#include <map>

#include "backends/verilog/backend.hpp"
#include "backends/verilog/arena_ext_vb.hpp"
#include "backends/verilog/module/module_vb.hpp"
#include "backends/vb_test_support.hpp"
#include "hw_component/hcp_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

std::string progress_of(const std::vector<std::string>& paths, const std::string& dir) {
    std::string out =
        "[BackendVerilog] Phase 1: routing cross-module IO dependencies\n"
        "[BackendVerilog] Phase 1: done\n"
        "[BackendVerilog] Phase 2: initialising HCP update pools\n"
        "[BackendVerilog] Phase 2: done\n" +
        format("[BackendVerilog] Phase 3: emitting Verilog to '{}'\n", dir);
    for (const auto& p : paths) out += format("[BackendVerilog] Phase 3:   writing {}\n", p);
    return out + "[BackendVerilog] Phase 3: done\n";
}

// A module traced at CompInit while `make` runs.
template <class F>
auto in(ModelArena& m, const ModuleIdent& module, F make) {
    push_module_trace(m, module, ModuleInitStage::CompInit);
    auto out = make();
    pop_module_trace(m);
    return out;
}

void add_event(ModelArena& m, const HcpIdent& des, UpdateEventIdent ue) {
    get_hcp_assign_mut(m, des).add_update_event(std::move(ue));
}

// des <= src on the rising edge of clk, whole ranges.
void clocked(ModelArena& m, const HcpIdent& des, const HcpIdent& src, const HcpIdent& clk,
             int32_t priority = 10) {
    const int32_t w = get_hcp_assign(m, des).get_des_slice().size();
    add_event(m, des, make_ue_basic(m, src, 0, w, 0, w, priority, ClockMode::PosEdge, false, clk));
}

// A top module with one sub-module that reads a register of its parent.
// The clock is a port-named input; the sub-module's register leaves as a
// port-named output.
struct ParentReadDesign {
    ModelArena m;
    ModuleIdent top, sub;

    ParentReadDesign() {
        top = mk_module(m, "top");
        set_top_module(m, top);
        track_module_at_com_init(m, top);
        const HcpIdent clk = make_wire(m, true, "clk", 1);
        mark_as_io(m, clk, true, "clk");
        const HcpIdent cnt = make_reg(m, true, "cnt", 8);
        const HcpIdent one = make_val(m, true, "one", 8, 1);
        const HcpIdent next = make_expression(m, true, "next", LogicOp::ArithPlus, cnt, one,
                                              std::nullopt, std::nullopt);
        sub = mk_module(m, "sub");
        track_module_at_com_init(m, sub);
        const HcpIdent seen = make_reg(m, true, "seen", 8);
        untrack_module_at_com_init(m, sub);
        untrack_module_at_com_init(m, top);

        clocked(m, cnt, next, clk);
        clocked(m, seen, cnt, clk);
        mark_as_io(m, seen, false, "seen");
    }
};


// One module with constants wider than 64 bits, a memory with a write and a
// read element, port-named inputs and outputs, and registers driven through
// conditional, case and group events and every expression form.
struct WideMemoryDesign {
    ModelArena m;
    ModuleIdent top;

    UpdateEventIdent insert_switch(const HcpIdent& sel, std::vector<int32_t> labels,
                                   std::vector<std::optional<UpdateEventIdent>> items,
                                   const HcpIdent& clk) {
        UeSwitch s;
        s.ident = UpdateEventIdent::make(UeType::Switch);
        s.common = UeCommon{clk, 0, 10, UeType::Switch, ClockMode::PosEdge};
        s.selector = sel;
        s.sub_stmt_idxs = std::move(labels);
        s.sub_stmts = std::move(items);
        const ArenaHandle h = m.arena<UeSwitch>().insert(std::move(s));
        return m.arena<UeSwitch>().get(h).ident;
    }
    UpdateEventIdent insert_grp(std::vector<UpdateEventIdent> members, const HcpIdent& clk) {
        UeGrp g;
        g.ident = UpdateEventIdent::make(UeType::Grp);
        g.common = UeCommon{clk, 0, 10, UeType::Grp, ClockMode::PosEdge};
        g.events = std::move(members);
        const ArenaHandle h = m.arena<UeGrp>().insert(std::move(g));
        return m.arena<UeGrp>().get(h).ident;
    }
    UpdateEventIdent part(const HcpIdent& src, int32_t ds, int32_t de, int32_t ss, int32_t se,
                          const HcpIdent& clk) {
        return make_ue_basic(m, src, ds, de, ss, se, 10, ClockMode::PosEdge, false, clk);
    }

    WideMemoryDesign() {
        top = mk_module(m, "top");
        set_top_module(m, top);
        track_module_at_com_init(m, top);
        const HcpIdent clk = make_wire(m, true, "clk", 1);
        const HcpIdent din = make_wire(m, true, "din", 8);
        const HcpIdent addr = make_wire(m, true, "addr", 4);
        const HcpIdent we = make_wire(m, true, "we", 1);
        mark_as_io(m, clk, true, "clk");
        mark_as_io(m, din, true, "din");
        mark_as_io(m, addr, true, "addr");
        mark_as_io(m, we, true, "we");

        const HcpIdent mem = make_mem_blk(m, true, "mem", 8, 4);
        const HcpIdent wr = make_mem_ele(m, true, "wr", mem, addr, 8, false);
        const HcpIdent rd = make_mem_ele(m, true, "rd", mem, addr, 8, true);
        add_event(m, wr, make_ue_full(m, we, std::nullopt, din, 0, 8, 0, 8, 10, ClockMode::PosEdge,
                                      false, clk));
        const HcpIdent q = make_reg(m, true, "q", 8);
        clocked(m, q, rd, clk);

        const HcpIdent k70 =
            make_val_vv(m, true, "k70", 70, VaryVal::from_limbs({0x123456789abcdef0, 0x2a}, 70));
        const HcpIdent k65 = make_val_vv(m, true, "k65", 65, VaryVal::from_limbs({7, 1}, 65));
        const HcpIdent sum = make_expression(m, true, "sum", LogicOp::ArithPlus, k70, k65,
                                             std::nullopt, std::nullopt);
        const HcpIdent wide = make_reg(m, true, "wide", 70);
        clocked(m, wide, sum, clk);

        const HcpIdent ext =
            make_expression_constant(m, true, "ext", LogicOp::ExtendBit, din, 8, Slice{0, 4});
        const HcpIdent slt = make_expression(m, true, "slt", LogicOp::RelationSlt, din, rd,
                                             std::nullopt, std::nullopt);
        const HcpIdent mid = make_expression_single(m, true, "mid", LogicOp::SliceBit, din, Slice{2, 6});
        const HcpIdent inv = make_expression_single(m, true, "inv", LogicOp::BitwiseInvr, mid, std::nullopt);

        // case (we) 0: r2 <= ext; 1: { r2[3:0] <= mid; r2[7:4] <= ~mid; }
        const HcpIdent r2 = make_reg(m, true, "r2", 8);
        add_event(m, r2, insert_switch(we, {0, 1},
                                       {part(ext, 0, 8, 0, 8, clk),
                                        insert_grp({part(mid, 0, 4, 0, 4, clk), part(inv, 4, 8, 0, 4, clk)}, clk)},
                                       clk));
        // if (slt) flag <= we; else flag <= slt; then a state flag follows it.
        const HcpIdent flag = make_reg(m, true, "flag", 1);
        add_event(m, flag, make_ue_full(m, slt, std::nullopt, we, 0, 1, 0, 1, 10, ClockMode::PosEdge, false, clk));
        const HcpIdent st = in(m, top, [&] {
            return insert_and_stamp_hcp(m, StateReg(HcpIdent::make(HwComponentType::StateReg, SENS_CLOCKED,
                                                                   false, "st")),
                                        false);
        });
        clocked(m, st, flag, clk, 50);
        untrack_module_at_com_init(m, top);

        mark_as_io(m, q, false, "q");
        mark_as_io(m, wide, false, "wide");
        mark_as_io(m, r2, false, "r2");
        mark_as_io(m, st, false, "st");
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
        top = mk_module(m, "top");
        set_top_module(m, top);
        track_module_at_com_init(m, top);
        const HcpIdent clk = make_wire(m, true, "clk", 1);
        mark_as_io(m, clk, true, "clk");
        c1 = mk_module(m, "c1");
        track_module_at_com_init(m, c1);
        d = mk_module(m, "d");
        track_module_at_com_init(m, d);
        const HcpIdent din = make_wire(m, true, "din", 4);
        const HcpIdent x = make_reg(m, true, "x", 4);
        untrack_module_at_com_init(m, d);
        untrack_module_at_com_init(m, c1);
        c2 = mk_module(m, "c2");
        track_module_at_com_init(m, c2);
        const HcpIdent y = make_reg(m, true, "y", 4);
        const HcpIdent two = make_val(m, true, "two", 4, 2);
        const HcpIdent scaled = make_expression(m, true, "scaled", LogicOp::ArithMul, x, two,
                                                std::nullopt, std::nullopt);
        untrack_module_at_com_init(m, c2);
        untrack_module_at_com_init(m, top);

        mark_as_io(m, din, true, "din");
        clocked(m, x, din, clk);
        clocked(m, y, scaled, clk);
        mark_as_io(m, y, false, "y");
    }
};

// Emits a design into `dir`, its top file named after its module as the
// lint tools expect.
template <class Design>
void emit_design(const std::string& dir) {
    Design d;
    BackendVerilog backend(std::move(d.m));
    const std::string stem = module_sim_name_vb(backend.model(), d.top);
    StdoutCapture quiet;
    backend.emit(dir, stem);
}

std::string verilog_files(const std::string& dir) {
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().extension() == ".v") files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    std::string out;
    for (const auto& f : files) out += " '" + f + "'";
    return out;
}

// Every emitted file of every hand-built design, one directory per design.
template <class Check>
void for_each_design(Check check) {
    {
        TempDir dir;
        emit_design<ParentReadDesign>(dir.str());
        check("ParentReadDesign", verilog_files(dir.str()));
    }
    {
        TempDir dir;
        emit_design<WideMemoryDesign>(dir.str());
        check("WideMemoryDesign", verilog_files(dir.str()));
    }
    {
        TempDir dir;
        emit_design<HierarchyDesign>(dir.str());
        check("HierarchyDesign", verilog_files(dir.str()));
    }
}

}  // namespace

TEST(BackendTest, ProgressLinesAndOneFilePerModule) {
    ParentReadDesign d;
    const std::string top_name = module_sim_name_vb(d.m, d.top);
    const std::string sub_name = module_sim_name_vb(d.m, d.sub);
    EXPECT_EQ(top_name, d.top.abs_name());
    TempDir out;
    BackendVerilog backend(std::move(d.m));
    // The model left behind is empty.
    EXPECT_FALSE(d.m.top_module.has_value());
    EXPECT_EQ(d.m.arena<Module>().size(), 0u);
    StdoutCapture capture;
    backend.emit(out.str(), "chip");
    capture.restore();
    EXPECT_EQ(capture.text(),
              progress_of({out.file("chip.v"), out.file(sub_name + ".v")}, out.str()));
    EXPECT_EQ(module_sim_name_vb(backend.model(), d.top), top_name);
    // The identity only locates the slot.
    ModuleIdent stale = d.top;
    stale.ident_base.set_arena_handle(ArenaHandle{99, 0});
    EXPECT_FATAL(module_sim_name_vb(backend.model(), stale), "ArenaHandle index out of range");
    // The top file carries the module's own name in its header.
    EXPECT_NE(read_file(out.file("chip.v")).find(format("module {}(\n", top_name)), std::string::npos);
}

TEST(BackendToolTest, IcarusCompilesEveryDesign) {
    if (!tool_available("iverilog")) GTEST_SKIP() << "iverilog is not installed; design not compiled";
    for_each_design([](const std::string& name, const std::string& files) {
        std::string output;
        const int status = run_tool("iverilog -g2005 -o /dev/null" + files, output);
        EXPECT_EQ(status, 0) << name << ":\n" << output;
        EXPECT_EQ(output, "") << name;
    });
}

TEST(BackendToolTest, VerilatorLintsEveryDesignClean) {
    if (!tool_available("verilator")) GTEST_SKIP() << "verilator is not installed; design not linted";
    // Only two style warnings are off: WIDTH, since operands are written
    // over their own ranges (an 8-bit sum of 8-bit operands, a 65-bit
    // constant added to a 70-bit one), and COMBDLY, since every statement of
    // an always block is non-blocking, combinational ones included.
    for_each_design([](const std::string& name, const std::string& files) {
        std::string output;
        const int status =
            run_tool("verilator --lint-only -Wall -Wno-WIDTH -Wno-COMBDLY" + files, output);
        EXPECT_EQ(status, 0) << name << ":\n" << output;
        EXPECT_EQ(output, "") << name;
    });
}

TEST(BackendTest, ASecondEmitWritesTheSameDesignWithoutRoutingAgain) {
    HierarchyDesign d;
    BackendVerilog backend(std::move(d.m));
    TempDir first, second;
    std::string lines_first, lines_second;
    {
        StdoutCapture capture;
        backend.emit(first.str(), "chip");
        capture.restore();
        lines_first = capture.text();
    }
    const size_t wires = backend.model().arena<IoWire>().size();
    const size_t events = backend.model().arena<UeBasic>().size();
    const uint64_t ids = peek_global_id();
    auto files_of = [](const TempDir& dir) {
        std::map<std::string, std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(dir.str()))
            out[e.path().filename().string()] = read_file(e.path().string());
        return out;
    };
    const auto written = files_of(first);
    EXPECT_EQ(written.size(), 4u);
    {
        StdoutCapture capture;
        backend.emit(first.str(), "chip");  // over the files of the first call
        backend.emit(second.str(), "chip");
        capture.restore();
        lines_second = capture.text();
    }
    EXPECT_EQ(files_of(first), written);
    EXPECT_EQ(files_of(second), written);
    EXPECT_EQ(backend.model().arena<IoWire>().size(), wires);
    EXPECT_EQ(backend.model().arena<UeBasic>().size(), events);
    EXPECT_EQ(peek_global_id(), ids);
    // The same progress lines each time, apart from the directory.
    std::string with_second = lines_first;
    for (size_t pos; (pos = with_second.find(first.str())) != std::string::npos;)
        with_second.replace(pos, first.str().size(), second.str());
    EXPECT_EQ(lines_second, lines_first + with_second);
}

TEST(BackendTest, PoolsAreSortedForTheTenAssignableKindsOnly) {
    TracedModel t;
    const HcpIdent src = make_reg(t.m, true, "src", 1);
    const HcpIdent r = make_reg(t.m, true, "r", 1);
    auto event = [&](int32_t pri, uint64_t sub) {
        UpdateEventIdent ue = make_ue_basic(t.m, src, 0, 1, 0, 1, pri, ClockMode::ClkFree, false,
                                            std::nullopt);
        t.m.arena<UeBasic>().get_mut(ue.handle()).common.sub_priority = sub;
        return ue;
    };
    const UpdateEventIdent a = event(30, 0), b = event(10, 0), c = event(20, 1), dd = event(20, 0),
                           e = event(10, 0);
    for (const auto& ue : {a, b, c, dd, e}) add_event(t.m, r, ue);
    push_module_trace(t.m, t.top, ModuleInitStage::CompInit);
    const HcpIdent w = insert_and_stamp_hcp(
        t.m, IoWire::new_opt_src(false, "w", false, 1, src, src, t.m), false);
    pop_module_trace(t.m);
    const UpdateEventIdent late = event(5, 0);
    add_event(t.m, w, late);
    const UpdateEventIdent first_of_w = t.pool(w).events[0];

    BackendVerilog backend(std::move(t.m));
    backend.phase_init();
    const ModelArena& m = backend.model();
    EXPECT_EQ(get_hcp_assign(m, r).get_update_pool().events,
              (std::vector<UpdateEventIdent>{b, e, dd, c, a}));
    EXPECT_EQ(get_hcp_assign(m, w).get_update_pool().events,
              (std::vector<UpdateEventIdent>{first_of_w, late}));
}

TEST(BackendTest, FailuresNameWhatStopped) {
    {
        // No top module: only the first progress line, then the refusal.
        BackendVerilog backend(ModelArena{});
        TempDir out;
        StdoutCapture capture;
        EXPECT_FATAL(backend.emit(out.str(), "chip"), "route_and_remap_io_model: no top module set");
        capture.restore();
        EXPECT_EQ(capture.text(), "[BackendVerilog] Phase 1: routing cross-module IO dependencies\n");
        EXPECT_TRUE(std::filesystem::is_empty(out.str()));
        EXPECT_FATAL(backend.phase_init(), "BackendVerilog::phase_init \u2014 no top module set on arena");
        StdoutCapture again;
        EXPECT_FATAL(backend.phase_emit(out.str(), "chip"),
                     "BackendVerilog::phase_emit \u2014 no top module set on arena");
    }
    {
        // A missing directory stops at the first file.
        ParentReadDesign d;
        BackendVerilog backend(std::move(d.m));
        TempDir out;
        const std::string dir = out.file("missing");
        StdoutCapture capture;
        EXPECT_FATAL(backend.emit(dir, "chip"),
                     format("BackendVerilog::phase_emit \u2014 cannot open {}/chip.v: No such file or "
                            "directory",
                            dir));
        capture.restore();
        EXPECT_TRUE(capture.text().ends_with(format("writing {}/chip.v\n", dir)));
        EXPECT_EQ(backend.model().arena<Module>().is_taken(d.top.handle().index), false);
        // A NUL byte would cut the path short: refused before anything opens.
        StdoutCapture quiet;
        EXPECT_FATAL(backend.emit(out.str() + std::string("/x\0y", 4), "chip"),
                     format("BackendVerilog::phase_emit \u2014 cannot open {}/x\\0y/chip.v: path "
                            "contains a NUL byte",
                            out.str()));
        quiet.restore();
        EXPECT_TRUE(std::filesystem::is_empty(out.str()));
        // A trailing "/" is kept, and the design is written once the
        // directory is good.
        StdoutCapture capture2;
        backend.emit(out.str() + "/", "chip");
        capture2.restore();
        EXPECT_NE(capture2.text().find(format("writing {}//chip.v\n", out.str())), std::string::npos);
        EXPECT_TRUE(std::filesystem::exists(out.file("chip.v")));
    }
    if (std::filesystem::exists("/dev/full")) {
        // A full disk after a successful open is reported, not passed off as
        // a complete file.
        ParentReadDesign d;
        BackendVerilog backend(std::move(d.m));
        TempDir out;
        std::filesystem::create_symlink("/dev/full", out.file("chip.v"));
        StdoutCapture capture;
        EXPECT_FATAL(backend.emit(out.str(), "chip"),
                     format("BackendVerilog::phase_emit \u2014 cannot write {}: No space left on device",
                            out.file("chip.v")));
        capture.restore();
        for (size_t i = 0; i < backend.model().arena<Module>().size(); ++i)
            EXPECT_FALSE(backend.model().arena<Module>().is_taken(i));
    }
}

TEST(BackendTest, AModelLeftHalfRoutedIsRefused) {
    ParentReadDesign d;
    // A read of a module outside the tree stops routing after the wires of
    // the sub-module's other reads were made.
    const ModuleIdent other = mk_module(d.m, "other");
    const HcpIdent s = in(d.m, other, [&] { return make_reg(d.m, true, "s", 8); });
    const HcpIdent r = in(d.m, d.sub, [&] { return make_reg(d.m, true, "r", 8); });
    add_event(d.m, r, make_ue_basic(d.m, s, 0, 8, 0, 8, 10, ClockMode::ClkFree, false, std::nullopt));
    BackendVerilog backend(std::move(d.m));
    TempDir out;
    StdoutCapture capture;
    EXPECT_FATAL(backend.emit(out.str(), "chip"),
                 format("find_common_ancestor_module_paths: modules \"{}\" (id {}) and \"{}\" (id {}) "
                        "share no common ancestor \u2014 they are in different module trees",
                        d.sub.abs_name(), d.sub.global_id(), other.abs_name(), other.global_id()));
    EXPECT_FATAL(backend.emit(out.str(), "chip"),
                 "BackendVerilog::emit \u2014 an earlier emit stopped while routing; the model is "
                 "half-routed and cannot be emitted");
    EXPECT_TRUE(std::filesystem::is_empty(out.str()));
    EXPECT_TRUE(backend.model().module_trace_stack.empty());
}

TEST(BackendTest, AModuleTreeWithACycleIsRefusedBeforeAnyFile) {
    ParentReadDesign d;
    {
        auto sub = d.m.take<Module>(d.sub);
        sub->sub_modules.push_back(d.top);
        sub.put_back();
    }
    BackendVerilog backend(std::move(d.m));
    TempDir out;
    StdoutCapture capture;
    EXPECT_FATAL(backend.emit(out.str(), "chip"),
                 format("DfsModuleIter: module \"{}\" (id {}) is reached twice \u2014 the module tree "
                        "has a cycle or lists the module under two parents",
                        d.top.abs_name(), d.top.global_id()));
    EXPECT_TRUE(std::filesystem::is_empty(out.str()));
}
