// The frame of a module's file: header and ports, declarations by kind,
// sub-module output wires, procedure blocks, instances, endmodule.
#include "backends/vb_test_support.hpp"
#include "backends/verilog/module/module_vb.hpp"
#include "model/arena_insert.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

std::string module_text(ModelArena& m, const ModuleIdent& module_i) {
    return written_by([&](FileWriter& fw) {
        auto module = m.take<Module>(module_i);
        gen_module_vb(*module, m, fw);
        module.put_back();
    });
}

}  // namespace

TEST(ModuleLayoutTest, SubModuleWiresAndInstancesListOnlyIoWires) {
    TracedModel t;
    const HcpIdent drv = make_reg(t.m, true, "drv", 3);
    const ModuleIdent c =
        described_module(t.m, "c", [&] { make_reg(t.m, true, "inner", 2); });  // no port
    auto io = [&](std::string_view name, bool is_input, uint32_t width,
                  std::optional<HcpIdent> agent) {
        return traced_in(t.m, c, [&] {
            return insert_and_stamp_hcp(
                t.m, IoWire::new_opt_src(false, name, is_input, width, agent, agent, t.m), false);
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
    EXPECT_NE(
        text.find(format("{}  {} (\n    .{}({}),\n    .{}({})\n);\n", c.abs_name(), c.abs_name(),
                         in_i.abs_name(), drv.abs_name(), out_i.abs_name(), out_i.abs_name())),
        std::string::npos)
        << text;

    // An input without a driver cannot be connected.
    io("x", true, 1, std::nullopt);
    EXPECT_FATAL(module_text(t.m, t.top), "IoWire: agent_src_signal_i is None");
    EXPECT_TRUE(none_taken<Module>(t.m));
    EXPECT_TRUE(none_taken<IoWire>(t.m));
}
