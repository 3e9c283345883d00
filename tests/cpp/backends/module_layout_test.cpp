// The frame of a module's file: header and ports, declarations by kind,
// sub-module output wires, procedure blocks, instances, endmodule.
#include "backends/vb_test_support.hpp"
#include "backends/verilog/backend.hpp"
#include "backends/verilog/module/module_vb.hpp"
#include "model/arena_insert.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

// An IO wire made by hand, as routing makes one, with a port name so that it
// is written under a short name.
HcpIdent port_wire(ModelArena& m, const ModuleIdent& owner, std::string_view name, bool is_input,
                   uint32_t width, std::optional<HcpIdent> agent = std::nullopt) {
    push_module_trace(m, owner, ModuleInitStage::CompInit);
    IoWire w = IoWire::new_opt_src(false, name, is_input, width, std::move(agent), std::nullopt, m);
    w.port_name = std::string(name);
    const HcpIdent h = insert_and_stamp_hcp(m, std::move(w), false);
    pop_module_trace(m);
    return h;
}

std::string module_text(ModelArena& m, const ModuleIdent& module_i) {
    return written_by([&](FileWriter& fw) {
        auto module = m.take<Module>(module_i);
        gen_module_vb(*module, m, fw);
        module.put_back();
    });
}

}  // namespace

TEST(ModuleLayoutTest, WorkedExampleByteForByte) {
    // The module names carry global ids 3, 4 and 5: that needs a process in
    // which no more than three ids were drawn before (ctest runs each test in
    // its own process).
    while (peek_global_id() < 3) next_global_id();
    if (peek_global_id() != 3) GTEST_SKIP() << "needs a fresh process (run through ctest)";

    ModelArena m;
    ModuleIdent sub, leaf;
    const ModuleIdent mid = described_module(m, "mid", [&] {
        sub = described_module(m, "sub");
        leaf = described_module(m, "leaf");
    });
    set_top_module(m, mid);
    ASSERT_EQ(mid.abs_name(), "MODULE_mid_3");
    ASSERT_EQ(leaf.abs_name(), "MODULE_leaf_5");

    const HcpIdent s = port_wire(m, mid, "s", true, 1);
    port_wire(m, sub, "a", true, 1, s);
    port_wire(m, sub, "y", false, 8);

    TempDir out;
    BackendVerilog backend(std::move(m));
    {
        StdoutCapture capture;
        backend.emit(out.str(), "chip");
    }
    const std::string expected =
        "////////////////////////////////////////////////////////////////////////////////\n"
        "// Phase 1 : module header & IO ports\n"
        "module MODULE_mid_3(\n"
        "    input wire s\n"
        ");\n"
        "\n"
        "    // ---- Phase 2 : signal declarations (reg / wire / localparam / mem) ----\n"
        "\n"
        "    // ---- Phase 2.5 : sub-module output wire declarations ----\n"
        "wire [7:0] y;\n"
        "    // ---- Phase 3 : always blocks & continuous assignments ----\n"
        "    // ---- Phase 4 : sub-module instantiations ----\n"
        "MODULE_sub_4  MODULE_sub_4 (\n"
        "    .a(s),\n"
        "    .y(y)\n"
        ");\n"
        "MODULE_leaf_5  MODULE_leaf_5 (\n"
        ");\n"
        "    // ---- Phase 5 : endmodule ----\n"
        "\n"
        "endmodule\n"
        "\n";
    EXPECT_EQ(read_file(out.file("chip.v")), expected);
    EXPECT_TRUE(std::filesystem::exists(out.file("MODULE_sub_4.v")));
    EXPECT_TRUE(std::filesystem::exists(out.file("MODULE_leaf_5.v")));
    EXPECT_FALSE(std::filesystem::exists(out.file("MODULE_mid_3.v")));
}

TEST(ModuleLayoutTest, DeclarationsComeByKindSystemListFirst) {
    TracedModel t;
    const HcpIdent wire_u = make_wire(t.m, true, "wu", 4);
    const HcpIdent reg_u = make_reg(t.m, true, "ru", 1);
    const HcpIdent reg_s = make_reg(t.m, false, "rs", 8);
    const HcpIdent val = make_val(t.m, true, "k", 8, 42);
    const HcpIdent mem = make_mem_blk(t.m, true, "mem", 8, 2);
    make_mem_ele(t.m, true, "wr", mem, wire_u, 8, false);
    const std::string text = module_text(t.m, t.top);
    const std::string expected =
        "    // ---- Phase 2 : signal declarations (reg / wire / localparam / mem) ----\n"
        "    // ---- REG declarations ----\n" +
        format("reg  [7:0]  {};\n", reg_s.abs_name()) +
        format("reg   {};\n", reg_u.abs_name()) +
        "    // ---- WIRE declarations ----\n" +
        format("reg  [3:0]  {};\n", wire_u.abs_name()) +
        "    // ---- VAL declarations ----\n" +
        format("wire [7:0]  {} = 8'h2a;\n", val.abs_name()) +
        // A write element has no declaration, but its kind still has a heading.
        "    // ---- MEM_BLOCK_INDEXER declarations ----\n"
        "    // ---- MEM_BLOCK declarations ----\n" +
        format("reg [7:0]  {} [0:3];\n", mem.abs_name()) + "\n" +
        "    // ---- Phase 2.5 : sub-module output wire declarations ----\n"
        "    // ---- Phase 3 : always blocks & continuous assignments ----\n"
        // Registers and wires with empty pools: no block, but each is still
        // followed by its separating line feed; the write element likewise.
        "\n\n\n\n"
        "    // ---- Phase 4 : sub-module instantiations ----\n";
    EXPECT_NE(text.find(expected), std::string::npos) << text;
}

TEST(ModuleLayoutTest, SubModuleWiresAndInstancesListOnlyIoWires) {
    TracedModel t;
    const HcpIdent drv = make_reg(t.m, true, "drv", 3);
    const ModuleIdent c = described_module(t.m, "c", [&] { make_reg(t.m, true, "inner", 2); });  // no port
    auto io = [&](std::string_view name, bool is_input, uint32_t width, std::optional<HcpIdent> agent) {
        return traced_in(t.m, c, [&] {
            return insert_and_stamp_hcp(t.m, IoWire::new_opt_src(false, name, is_input, width, agent, agent, t.m),
                                        false);
        });
    };
    const HcpIdent in_i = io("i", true, 3, drv);
    const HcpIdent out_i = io("o", false, 1, std::nullopt);

    const std::string text = module_text(t.m, t.top);
    EXPECT_NE(text.find("    // ---- Phase 2.5 : sub-module output wire declarations ----\n" +
                        format("wire {};\n", out_i.abs_name()) +
                        "    // ---- Phase 3 : always blocks & continuous assignments ----\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(format("{}  {} (\n    .{}({}),\n    .{}({})\n);\n", c.abs_name(), c.abs_name(),
                               in_i.abs_name(), drv.abs_name(), out_i.abs_name(), out_i.abs_name())),
              std::string::npos)
        << text;

    // An input without a driver cannot be connected.
    io("x", true, 1, std::nullopt);
    EXPECT_FATAL(module_text(t.m, t.top), "IoWire: agent_src_signal_i is None");
    EXPECT_TRUE(none_taken<Module>(t.m));
    EXPECT_TRUE(none_taken<IoWire>(t.m));
}
