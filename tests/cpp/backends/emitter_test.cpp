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
    Emitted e{hcp->gen_type_vb(), hcp->gen_var_name_vb(), "", "", hcp->amt_io_line_vb(),
              hcp->amt_init_line_vb(), hcp->amt_precedure_blk_vb()};
    if (e.init) e.decl = written_by([&](FileWriter& fw) { hcp->gen_init_line_vb(0, m, fw); });
    if (e.blocks) e.block = written_by([&](FileWriter& fw) { hcp->gen_procedure_blk_vb(0, m, fw); });
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

TEST(HcpEmitterTest, DeclarationsOfEveryKind) {
    TracedModel t;
    const HcpIdent r8 = make_reg(t.m, true, "r8", 8);
    const HcpIdent w4 = make_wire(t.m, true, "w4", 4);
    const HcpIdent mem = make_mem_blk(t.m, true, "mem", 16, 10);
    // "{}" stands for the component's own name. A wire is declared as a reg
    // (it is written from an always block); the special registers take
    // their width from their own fields.
    const std::vector<std::pair<HcpIdent, std::string>> cases{
        {r8, "reg  [7:0]  {};"},
        {w4, "reg  [3:0]  {};"},
        {make_val(t.m, true, "v1", 1, 1), "wire  {} = 1'b1;"},
        {make_val(t.m, true, "v64", 64, 255), "wire [63:0]  {} = 64'hff;"},
        {mem, "reg [15:0]  {} [0:1023];"},
        {make_mem_ele(t.m, true, "rd", mem, w4, 16, true), "wire [15:0]  {};"},
        {make_expression(t.m, true, "ex", LogicOp::BitwiseAnd, r8, r8, std::nullopt, std::nullopt),
         "wire [7:0]  {};"},
        {t.sp_reg<StateReg>(HwComponentType::StateReg, "st"), "reg   {};"},
        {t.sp_reg<CycleWaitStateReg>(HwComponentType::CycleWaitStateReg, "cy", 3, 2), "reg  [2:0]  {};"},
        {t.sp_reg<CntReg>(HwComponentType::CntReg, "cn", 5, 1, 20), "reg  [4:0]  {};"},
        {t.sp_reg<SyncReg>(HwComponentType::SyncReg, "sy", 2), "reg  [1:0]  {};"},
    };
    for (const auto& [h, text] : cases)
        EXPECT_EQ(emit_all(t.m, h).decl, format(text, h.abs_name())) << h.abs_name();
    EXPECT_EQ(emit_all(t.m, mem).type, "reg [15:0] ");
}

TEST(HcpEmitterTest, CountsDriveTheLayoutAndARefusalPutsTheComponentBack) {
    TracedModel t;
    const HcpIdent r = make_reg(t.m, true, "r", 2);
    const HcpIdent v = make_val(t.m, true, "v", 2, 1);
    const HcpIdent mem = make_mem_blk(t.m, true, "mem", 4, 2);
    const HcpIdent wr = make_mem_ele(t.m, true, "wr", mem, r, 4, false);
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
        EXPECT_FATAL(emit_all(t.m, h),
                     format("MemBlk {}: index width {} gives no declarable depth (0 to 63 address bits)",
                            h.abs_name(), w));
    }
}

TEST(HcpEmitterTest, ExpressionForms) {
    TracedModel t;
    const HcpIdent a = make_reg(t.m, true, "a", 8);
    const HcpIdent b = make_reg(t.m, true, "b", 8);
    const HcpIdent bit = make_reg(t.m, true, "bit", 1);
    const std::string A(a.abs_name()), B(b.abs_name()), BIT(bit.abs_name());
    auto expr2 = [&](LogicOp op, std::optional<Slice> sa = std::nullopt, std::optional<Slice> sb = std::nullopt) {
        return make_expression(t.m, true, "e", op, a, b, sa, sb);
    };
    // A padded to 8 bits: four zero bits above its four, no padding when the
    // widths agree, and a present second operand is the fill.
    const HcpIdent filled = make_expression_constant(t.m, true, "fill", LogicOp::ExtendBit, a, 6, Slice{0, 4});
    {
        auto x = t.m.take<Expression>(filled);
        x->operand_b = bit;
        x.put_back();
    }
    const std::vector<std::pair<HcpIdent, std::string>> cases{
        {expr2(LogicOp::BitwiseAnd), A + "[7:0] & " + B + "[7:0]"},
        {expr2(LogicOp::ArithPlus, Slice{0, 4}, Slice{4, 8}), A + "[3:0] + " + B + "[7:4]"},
        {expr2(LogicOp::RelationSlt), "$signed(" + A + "[7:0]) < $signed(" + B + "[7:0])"},
        {make_expression_single(t.m, true, "inv", LogicOp::BitwiseInvr, a, std::nullopt), "~" + A + "[7:0]"},
        {make_expression_single(t.m, true, "not", LogicOp::LogicalNot, bit, std::nullopt), "!" + BIT},
        {make_expression_single(t.m, true, "sl", LogicOp::SliceBit, a, Slice{2, 6}), A + "[5:2]"},
        {make_expression_constant(t.m, true, "ext", LogicOp::ExtendBit, a, 8, Slice{0, 4}),
         "{{4{1'b0}}, " + A + "[3:0]}"},
        {make_expression_constant(t.m, true, "same", LogicOp::ExtendBit, a, 4, Slice{0, 4}), A + "[3:0]"},
        {filled, "{{2{" + BIT + "}}, " + A + "[3:0]}"},
    };
    for (const auto& [e, rhs] : cases) EXPECT_EQ(block_of(t.m, e), format("assign {} = {};\n", e.abs_name(), rhs));

    // Written from the operands only, and not at all without them.
    const HcpIdent empty = make_expression_empty(t.m, true, "empty", 8);
    EXPECT_EQ(emit_all(t.m, empty).decl, format("wire [7:0]  {};", empty.abs_name()));
    EXPECT_EQ(block_of(t.m, empty), "");
    const HcpIdent half = expr2(LogicOp::BitwiseXor);
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
    add_event(t.m, r, basic(t.m, src, 2, 6, 4, 8));  // clock-free, yet in the same block
    add_event(t.m, r, basic(t.m, r, -1, -1, -1, -1));  // itself, whole
    EXPECT_EQ(block_of(t.m, r), format("always @(posedge {}) begin\n", clk.abs_name()) +
                                    "    " + R + "[7:0] <= " + S + "[7:0];\n" +
                                    "    " + R + "[5:2] <= " + S + "[7:4];\n" +
                                    "    " + R + " <= " + R + ";\n" + "end\n");

    const HcpIdent w = make_wire(t.m, true, "w", 4);
    add_event(t.m, w, basic(t.m, src, 0, 4, 0, 4));
    EXPECT_EQ(block_of(t.m, w), format("always @(*) begin\n    {}[3:0] <= {}[3:0];\nend\n",
                                       w.abs_name(), S));

    const HcpIdent bad = make_reg(t.m, true, "bad", 1);
    add_event(t.m, bad, basic(t.m, src, 0, 1, 0, 1, ClockMode::PosEdge));
    EXPECT_FATAL(block_of(t.m, bad), "sensitivity_list: PosEdge with no clk source");
    EXPECT_TRUE(none_taken<Reg>(t.m));
    EXPECT_TRUE(none_taken<UeBasic>(t.m));
}

TEST(AlwaysBlockTest, ConditionalsSwitchesAndGroupsNest) {
    TracedModel t;
    const HcpIdent c1 = make_reg(t.m, true, "c1", 1);
    const HcpIdent c2 = make_reg(t.m, true, "c2", 1);
    const HcpIdent sel = make_reg(t.m, true, "sel", 2);
    const HcpIdent x = make_reg(t.m, true, "x", 1);
    const HcpIdent y = make_reg(t.m, true, "y", 1);
    const std::string X(x.abs_name()), Y(y.abs_name());
    const std::string C1(c1.abs_name()), C2(c2.abs_name()), SEL(sel.abs_name());
    auto bx = [&] { return basic(t.m, x, 0, 1, 0, 1); };
    auto by = [&] { return basic(t.m, y, 0, 1, 0, 1); };
    auto sw = [&](std::vector<int32_t> labels, std::vector<std::optional<UpdateEventIdent>> subs) {
        return switch_event(t.m, sel, std::move(labels), std::move(subs));
    };
    // The block of a new register with `ue` as its only event, without the
    // "always" line and the final "end", the register's name shown as "D".
    auto body = [&](UpdateEventIdent ue) {
        const HcpIdent d = make_reg(t.m, true, "d", 1);
        add_event(t.m, d, std::move(ue));
        std::string text = block_of(t.m, d);
        const size_t first = text.find('\n') + 1;
        text = text.substr(first, text.size() - first - 4);
        for (size_t pos; (pos = text.find(d.abs_name())) != std::string::npos;)
            text.replace(pos, d.abs_name().size(), "D");
        return text;
    };
    auto stmt = [](const std::string& src) { return "D <= " + src + ";\n"; };

    // if / else if / else at indent 4.
    EXPECT_EQ(body(cond_event(t.m, {c1, c2, std::nullopt}, {bx(), by(), bx()})),
              "    if (" + C1 + ") begin\n        " + stmt(X) + "    end else if (" + C2 +
                  ") begin\n        " + stmt(Y) + "    end else begin\n        " + stmt(X) + "    end\n");
    // A first branch without condition, and a branch without a sub-event.
    EXPECT_EQ(body(cond_event(t.m, {std::nullopt}, {bx()})), "    begin\n        " + stmt(X) + "    end\n");
    EXPECT_EQ(body(cond_event(t.m, {c1, std::nullopt}, {std::nullopt, by()})),
              "    if (" + C1 + ") begin\n    end else begin\n        " + stmt(Y) + "    end\n");

    // A case at the block's indent, items 4 deeper, their bodies 8 deeper.
    EXPECT_EQ(body(sw({0, 3, -2}, {bx(), std::nullopt, by()})),
              "    case (" + SEL + ")\n        0: begin\n            " + stmt(X) +
                  "        end\n        3: begin\n        end\n        -2: begin\n"
                  "            " + stmt(Y) + "        end\n    endcase\n");
    EXPECT_EQ(body(sw({}, {})), "    case (" + SEL + ")\n    endcase\n");

    // A group writes its members at its own indent; nesting adds 4 per
    // conditional level and 8 per case level.
    EXPECT_EQ(body(grp_event(t.m, {bx(), by()})), "    " + stmt(X) + "    " + stmt(Y));
    EXPECT_EQ(body(cond_event(t.m, {c1}, {sw({1}, {grp_event(t.m, {bx(), cond_event(t.m, {c2}, {by()})})})})),
              "    if (" + C1 + ") begin\n"
              "        case (" + SEL + ")\n"
              "            1: begin\n"
              "                " + stmt(X) +
              "                if (" + C2 + ") begin\n"
              "                    " + stmt(Y) +
              "                end\n"
              "            end\n"
              "        endcase\n"
              "    end\n");
    EXPECT_TRUE(none_taken<UeCond>(t.m));
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
