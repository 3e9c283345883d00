// What each component kind writes: declarations, port lines, continuous
// assignments and always blocks, and the statements of every event kind.
#include "backends/vb_test_support.hpp"
#include "backends/verilog/arena_ext_vb.hpp"
#include "backends/verilog/hw_component/common/procedure_blk_vb.hpp"
#include "model/arena_insert.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

struct Emitted {
    std::string type, name, decl, block;
    uint32_t io, init, blocks;
};

// Asks one component for everything the file layout asks of it.
Emitted emit_all(ModelArena& m, const HcpIdent& h) {
    TakenHcpVb hcp = take_hcp_vb(m, h);
    Emitted e{hcp->gen_type_vb(),      hcp->gen_var_name_vb(),     "", "", hcp->amt_io_line_vb(),
              hcp->amt_init_line_vb(), hcp->amt_precedure_blk_vb()};
    if (e.init) e.decl = written_by([&](FileWriter& fw) { hcp->gen_init_line_vb(0, m, fw); });
    if (e.blocks)
        e.block = written_by([&](FileWriter& fw) { hcp->gen_procedure_blk_vb(0, m, fw); });
    hcp.put_back();
    return e;
}

std::string block_of(ModelArena& m, const HcpIdent& h) { return emit_all(m, h).block; }

UpdateEventIdent basic(ModelArena& m, const HcpIdent& src, int32_t ds, int32_t de, int32_t ss,
                       int32_t se, ClockMode mode = ClockMode::ClkFree,
                       std::optional<HcpIdent> clk = std::nullopt) {
    return make_ue_basic(m, src, Slice{ds, de}, Slice{ss, se}, 10, mode, false, std::move(clk));
}

}  // namespace

TEST(HcpEmitterTest, CountsDriveTheLayoutAndARefusalPutsTheComponentBack) {
    TracedModel t;
    const HcpIdent r = make_reg(t.m, true, "r", 2);
    const HcpIdent v = make_val(t.m, true, "v", 2, 1);
    const HcpIdent mem = make_mem_blk(t.m, true, "mem", 4, 2);
    const HcpIdent wr = make_mem_ele(t.m, true, "wr", mem, r, 4, false).value();
    auto counts = [&](const HcpIdent& h) {
        const Emitted e = emit_all(t.m, h);
        return std::vector<uint32_t>{e.io, e.init, e.blocks};
    };
    EXPECT_EQ(counts(r), (std::vector<uint32_t>{0, 1, 1}));
    EXPECT_EQ(counts(v), (std::vector<uint32_t>{0, 1, 0}));
    EXPECT_EQ(counts(mem), (std::vector<uint32_t>{0, 1, 0}));
    EXPECT_EQ(counts(wr), (std::vector<uint32_t>{0, 0, 1}));

    EXPECT_FATAL(written_by([&](FileWriter& fw) {
                     TakenHcpVb hcp = take_hcp_vb(t.m, v);
                     hcp->gen_procedure_blk_vb(0, t.m, fw);
                 }),
                 "gen_procedure_blk_vb not implemented for this HCP type");
    EXPECT_TRUE(none_taken<Val>(t.m));
    HcpIdent nest = r;
    nest.hw_type = HwComponentType::Nest;
    EXPECT_FATAL(take_hcp_vb(t.m, nest), "take_hcp_vb: Nest not yet ported to Verilog backend");
    EXPECT_TRUE(none_taken<Reg>(t.m));
}

TEST(HcpEmitterTest, MemoryDepthsAndTheirLimit) {
    TracedModel t;
    auto mem_with_index_width = [&](int32_t w) {
        MemBlk b(HcpIdent::make(HwComponentType::MemBlock, Sensitivity::Clocked, true, "m"), 8, w);
        return insert_and_stamp_hcp(t.m, std::move(b), true);
    };
    for (const auto& [w, depth] : std::vector<std::pair<int32_t, std::string>>{
             {0, "0"}, {8, "255"}, {63, "9223372036854775807"}}) {
        const HcpIdent h = mem_with_index_width(w);
        EXPECT_EQ(emit_all(t.m, h).decl, format("reg [7:0]  {} [0:{}];", h.abs_name(), depth));
    }
    for (int32_t w : {64, -1}) {
        const HcpIdent h = mem_with_index_width(w);
        EXPECT_FATAL(
            emit_all(t.m, h),
            format("MemBlk {}: index width {} gives no declarable depth (0 to 63 address bits)",
                   h.abs_name(), w));
    }
}

TEST(HcpEmitterTest, ExtensionFillAndMissingOperands) {
    TracedModel t;
    const HcpIdent a = make_reg(t.m, true, "a", 8);
    const HcpIdent b = make_reg(t.m, true, "b", 8);
    const HcpIdent bit = make_reg(t.m, true, "bit", 1);
    const std::string A(a.abs_name()), BIT(bit.abs_name());
    // The operator forms are checked by the Verilog tools from Python; here
    // a present second operand of an extension is its fill.
    const HcpIdent filled =
        make_expression_constant(t.m, true, "fill", LogicOp::ExtendBit, a, 6, Slice{0, 4});
    {
        auto x = t.m.take<Expression>(filled);
        x->operand_b = bit;
        x.put_back();
    }
    EXPECT_EQ(block_of(t.m, filled), "assign " + std::string(filled.abs_name()) + " = {{2{" + BIT +
                                         "}}, " + A + "[3:0]};\n");
    // Nothing to fill: the operand alone, never a replication of zero copies.
    for (const std::optional<Slice> range : {std::optional<Slice>(), std::optional(Slice{0, 8})}) {
        const HcpIdent same =
            make_expression_constant(t.m, true, "same", LogicOp::ExtendBit, a, 8, range);
        EXPECT_EQ(block_of(t.m, same),
                  "assign " + std::string(same.abs_name()) + " = " + A + "[7:0];\n");
    }

    // Written from the operands only, and not at all without them.
    const HcpIdent empty = make_expression_empty(t.m, true, "empty", 8);
    EXPECT_EQ(emit_all(t.m, empty).decl, format("wire [7:0]  {};", empty.abs_name()));
    EXPECT_EQ(block_of(t.m, empty), "");
    const HcpIdent half =
        make_expression(t.m, true, "e", LogicOp::BitwiseXor, a, b, std::nullopt, std::nullopt);
    {
        auto x = t.m.take<Expression>(half);
        x->operand_b.reset();
        x.put_back();
    }
    EXPECT_EQ(block_of(t.m, half), "");
}

TEST(AlwaysBlockTest, SensitivityFromTheFirstEventAndEveryStatement) {
    TracedModel t;
    const HcpIdent clk = make_wire(t.m, true, "clk", 1);
    const HcpIdent r = make_reg(t.m, true, "r", 8);
    const HcpIdent src = make_reg(t.m, true, "src", 8);
    const std::string R = std::string(r.abs_name()), S = std::string(src.abs_name());
    EXPECT_EQ(block_of(t.m, r), "");  // an empty pool writes nothing

    add_event(t.m, r, basic(t.m, src, 0, 8, 0, 8, ClockMode::PosEdge, clk));
    add_event(t.m, r, basic(t.m, src, 2, 6, 4, 8));    // clock-free, yet in the same block
    add_event(t.m, r, basic(t.m, r, -1, -1, -1, -1));  // itself, whole
    EXPECT_EQ(block_of(t.m, r), format("always @(posedge {}) begin\n", clk.abs_name()) + "    " +
                                    R + "[7:0] <= " + S + "[7:0];\n" + "    " + R + "[5:2] <= " +
                                    S + "[7:4];\n" + "    " + R + " <= " + R + ";\n" + "end\n");

    const HcpIdent w = make_wire(t.m, true, "w", 4);
    add_event(t.m, w, basic(t.m, src, 0, 4, 0, 4));
    EXPECT_EQ(block_of(t.m, w),
              format("always @(*) begin\n    {}[3:0] <= {}[3:0];\nend\n", w.abs_name(), S));

    const HcpIdent bad = make_reg(t.m, true, "bad", 1);
    add_event(t.m, bad, basic(t.m, src, 0, 1, 0, 1, ClockMode::PosEdge));
    EXPECT_FATAL(block_of(t.m, bad), "sensitivity_list: PosEdge with no clk source");
    EXPECT_TRUE(none_taken<Reg>(t.m));
    EXPECT_TRUE(none_taken<UeBasic>(t.m));
}

TEST(AlwaysBlockTest, ListsShorterThanTheirItemsAreRefused) {
    TracedModel t;
    const HcpIdent sel = make_reg(t.m, true, "sel", 2);
    const HcpIdent x = make_reg(t.m, true, "x", 1);
    const HcpIdent d = make_reg(t.m, true, "d", 1);
    const HcpIdent d2 = make_reg(t.m, true, "d2", 1);
    auto bx = [&] { return basic(t.m, x, 0, 1, 0, 1); };
    add_event(t.m, d, switch_event(t.m, sel, {0}, {bx(), bx()}));
    EXPECT_FATAL(block_of(t.m, d), "assertion failed: idx < self.sub_stmt_idxs.len()");
    add_event(t.m, d2, cond_event(t.m, {x, std::nullopt}, {bx()}));
    EXPECT_FATAL(block_of(t.m, d2),
                 "UeCond::transpile: branch 1 has no sub-event entry (2 conditions, 1 sub-events)");
    EXPECT_TRUE(none_taken<UeSwitch>(t.m));
    EXPECT_TRUE(none_taken<UeCond>(t.m));
    EXPECT_TRUE(none_taken<Reg>(t.m));
}

TEST(HcpEmitterTest, IoWires) {
    // Port lines, parent nets and instance connections are pinned with the
    // module layout; here: names, and what an IO wire writes itself.
    TracedModel t;
    const HcpIdent src = make_reg(t.m, true, "src", 8);
    auto io = [&](bool is_input, uint32_t width, std::optional<HcpIdent> agent,
                  std::optional<std::string> port = std::nullopt) {
        IoWire w = IoWire::new_opt_src(false, "w", is_input, width, agent, agent, t.m);
        w.port_name = std::move(port);
        return insert_and_stamp_hcp(t.m, std::move(w), false);
    };
    const HcpIdent in8 = io(true, 8, src);
    const HcpIdent out8 = io(false, 8, src);
    const HcpIdent out1 = io(false, 1, std::nullopt);
    const HcpIdent named_out = io(false, 8, src, "dout");
    EXPECT_EQ((std::tuple{emit_all(t.m, named_out).name, hcp_verilog_name(t.m, named_out)}),
              (std::tuple{"dout", "dout"}));

    // Outputs are assigned from their agent, a named one under its port
    // name; inputs have no block.
    EXPECT_EQ(emit_all(t.m, in8).blocks, 0u);
    EXPECT_EQ(block_of(t.m, out8), format("always @(*) begin\n    {}[7:0] <= {}[7:0];\nend\n",
                                          out8.abs_name(), src.abs_name()));
    EXPECT_EQ(block_of(t.m, named_out),
              format("always @(*) begin\n    dout[7:0] <= {}[7:0];\nend\n", src.abs_name()));
    EXPECT_EQ(block_of(t.m, out1), "");

    auto w = t.m.take<IoWire>(out8);
    EXPECT_FATAL(gen_agent_input_vb(*w, t.m), "gen_agent_input_vb called on output IoWire");
    w.put_back();
    EXPECT_TRUE(none_taken<IoWire>(t.m));
}
