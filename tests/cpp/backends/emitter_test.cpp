// What each component kind writes: declarations, port lines, continuous
// assignments and always blocks, and the statements of every event kind.
#include "backends/verilog/hw_component/common/procedure_blk_vb.hpp"
#include "backends/verilog/arena_ext_vb.hpp"
#include "backends/vb_test_support.hpp"
#include "hw_component/hcp_test_support.hpp"

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

void add_event(ModelArena& m, const HcpIdent& des, UpdateEventIdent ue) {
    get_hcp_assign_mut(m, des).add_update_event(std::move(ue));
}

UpdateEventIdent basic(ModelArena& m, const HcpIdent& src, int32_t ds, int32_t de, int32_t ss,
                       int32_t se, ClockMode mode = ClockMode::ClkFree,
                       std::optional<HcpIdent> clk = std::nullopt) {
    return make_ue_basic(m, src, ds, de, ss, se, 10, mode, false, std::move(clk));
}

template <class T>
bool none_taken(const ModelArena& m) {
    for (size_t i = 0; i < m.arena<T>().size(); ++i)
        if (m.arena<T>().is_taken(i)) return false;
    return true;
}

}  // namespace

TEST(HcpEmitterTest, DeclarationsOfEveryKind) {
    TracedModel t;
    auto decl = [&](const HcpIdent& h) { return emit_all(t.m, h).decl; };
    const HcpIdent r1 = make_reg(t.m, true, "r1", 1);
    const HcpIdent r8 = make_reg(t.m, true, "r8", 8);
    const HcpIdent w4 = make_wire(t.m, true, "w4", 4);
    EXPECT_EQ(decl(r1), format("reg   {};", r1.abs_name()));
    EXPECT_EQ(decl(r8), format("reg  [7:0]  {};", r8.abs_name()));
    EXPECT_EQ(decl(w4), format("reg  [3:0]  {};", w4.abs_name()));

    const HcpIdent v1 = make_val(t.m, true, "v1", 1, 1);
    const HcpIdent v64 = make_val(t.m, true, "v64", 64, 255);
    const HcpIdent v65 = make_val_vv(t.m, true, "v65", 65, VaryVal::from_limbs({0, 1}, 65));
    EXPECT_EQ(decl(v1), format("wire  {} = 1'b1;", v1.abs_name()));
    EXPECT_EQ(decl(v64), format("wire [63:0]  {} = 64'hff;", v64.abs_name()));
    EXPECT_EQ(decl(v65), format("wire [64:0]  {} = 65'h10000000000000000;", v65.abs_name()));

    const HcpIdent mem = make_mem_blk(t.m, true, "mem", 16, 10);
    EXPECT_EQ(decl(mem), format("reg [15:0]  {} [0:1023];", mem.abs_name()));
    const HcpIdent rd = make_mem_ele(t.m, true, "rd", mem, w4, 16, true);
    EXPECT_EQ(decl(rd), format("wire [15:0]  {};", rd.abs_name()));
    const HcpIdent ex = make_expression(t.m, true, "ex", LogicOp::BitwiseAnd, r8, r8, std::nullopt,
                                        std::nullopt);
    EXPECT_EQ(decl(ex), format("wire [7:0]  {};", ex.abs_name()));

    const HcpIdent st = t.sp_reg<StateReg>(HwComponentType::StateReg, "st");
    const HcpIdent cw = t.sp_reg<CondWaitStateReg>(HwComponentType::CondWaitStateReg, "cw");
    const HcpIdent cy = t.sp_reg<CycleWaitStateReg>(HwComponentType::CycleWaitStateReg, "cy", 3, 2);
    const HcpIdent cn = t.sp_reg<CntReg>(HwComponentType::CntReg, "cn", 5, 1, 20);
    const HcpIdent sy = t.sp_reg<SyncReg>(HwComponentType::SyncReg, "sy", 2);
    EXPECT_EQ(decl(st), format("reg   {};", st.abs_name()));
    EXPECT_EQ(decl(cw), format("reg   {};", cw.abs_name()));
    EXPECT_EQ(decl(cy), format("reg  [2:0]  {};", cy.abs_name()));
    EXPECT_EQ(decl(cn), format("reg  [4:0]  {};", cn.abs_name()));
    EXPECT_EQ(decl(sy), format("reg  [1:0]  {};", sy.abs_name()));
    EXPECT_EQ(emit_all(t.m, st).type, "reg  ");
    EXPECT_EQ(emit_all(t.m, v64).type, "wire [63:0] ");
    EXPECT_EQ(emit_all(t.m, mem).type, "reg [15:0] ");
}

TEST(HcpEmitterTest, CountsAndTheRefusedDefaults) {
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

    auto io_line = [&](const HcpIdent& h) {
        TakenHcpVb hcp = take_hcp_vb(t.m, h);
        written_by([&](FileWriter& fw) { hcp->gen_io_line_vb(0, t.m, fw); });
    };
    auto block = [&](const HcpIdent& h) {
        TakenHcpVb hcp = take_hcp_vb(t.m, h);
        written_by([&](FileWriter& fw) { hcp->gen_procedure_blk_vb(0, t.m, fw); });
    };
    EXPECT_FATAL(io_line(r), "gen_io_line_vb not implemented for this HCP type");
    EXPECT_FATAL(block(v), "gen_procedure_blk_vb not implemented for this HCP type");
    EXPECT_FATAL(block(mem), "gen_procedure_blk_vb not implemented for this HCP type");
    HcpIdent nest = r;
    nest.hw_type = HwComponentType::Nest;
    EXPECT_FATAL(take_hcp_vb(t.m, nest), "take_hcp_vb: Nest not yet ported to Verilog backend");
    UpdateEventIdent untyped;
    EXPECT_FATAL(take_ue_vb(t.m, untyped), "take_ue_vb: UeType::Untype");
    // Whatever stopped, every component is back in its slot.
    EXPECT_TRUE(none_taken<Reg>(t.m));
    EXPECT_TRUE(none_taken<Val>(t.m));
    EXPECT_TRUE(none_taken<MemBlk>(t.m));
}

TEST(HcpEmitterTest, MemoryDepthsAndTheirLimit) {
    TracedModel t;
    auto mem_with_index_width = [&](int32_t w) {
        MemBlk b(HcpIdent::make(HwComponentType::MemBlock, SENS_CLOCKED, true, "m"), 8, w);
        return insert_and_stamp_hcp(t.m, std::move(b), true);
    };
    const HcpIdent m0 = mem_with_index_width(0);
    const HcpIdent m8 = mem_with_index_width(8);
    const HcpIdent m63 = mem_with_index_width(63);
    EXPECT_EQ(emit_all(t.m, m0).decl, format("reg [7:0]  {} [0:0];", m0.abs_name()));
    EXPECT_EQ(emit_all(t.m, m8).decl, format("reg [7:0]  {} [0:255];", m8.abs_name()));
    EXPECT_EQ(emit_all(t.m, m63).decl,
              format("reg [7:0]  {} [0:9223372036854775807];", m63.abs_name()));
    const HcpIdent m64 = mem_with_index_width(64);
    EXPECT_FATAL(emit_all(t.m, m64),
                 format("MemBlk {}: index width 64 gives no declarable depth (0 to 63 address bits)",
                        m64.abs_name()));
    const HcpIdent neg = mem_with_index_width(-1);
    EXPECT_FATAL(emit_all(t.m, neg),
                 format("MemBlk {}: index width -1 gives no declarable depth (0 to 63 address bits)",
                        neg.abs_name()));
}

TEST(HcpEmitterTest, ExpressionForms) {
    TracedModel t;
    const HcpIdent a = make_reg(t.m, true, "a", 8);
    const HcpIdent b = make_reg(t.m, true, "b", 8);
    const HcpIdent bit = make_reg(t.m, true, "bit", 1);
    const std::string A(a.abs_name()), B(b.abs_name()), BIT(bit.abs_name());
    auto assign = [&](const HcpIdent& e, const std::string& rhs) {
        return format("assign {} = {};\n", e.abs_name(), rhs);
    };
    auto expr2 = [&](LogicOp op, std::optional<Slice> sa = std::nullopt,
                     std::optional<Slice> sb = std::nullopt) {
        return make_expression(t.m, true, "e", op, a, b, sa, sb);
    };

    HcpIdent e = expr2(LogicOp::BitwiseAnd);
    EXPECT_EQ(block_of(t.m, e), assign(e, A + "[7:0] & " + B + "[7:0]"));
    e = expr2(LogicOp::ArithPlus, Slice{0, 4}, Slice{4, 8});
    EXPECT_EQ(block_of(t.m, e), assign(e, A + "[3:0] + " + B + "[7:4]"));
    e = expr2(LogicOp::RelationLe);
    EXPECT_EQ(block_of(t.m, e), assign(e, A + "[7:0] < " + B + "[7:0]"));
    e = expr2(LogicOp::RelationSlt);
    EXPECT_EQ(block_of(t.m, e), assign(e, "$signed(" + A + "[7:0]) < $signed(" + B + "[7:0])"));
    e = expr2(LogicOp::RelationSgt);
    EXPECT_EQ(block_of(t.m, e), assign(e, "$signed(" + A + "[7:0]) > $signed(" + B + "[7:0])"));

    e = make_expression_single(t.m, true, "inv", LogicOp::BitwiseInvr, a, std::nullopt);
    EXPECT_EQ(block_of(t.m, e), assign(e, "~" + A + "[7:0]"));
    e = make_expression_single(t.m, true, "not", LogicOp::LogicalNot, bit, std::nullopt);
    EXPECT_EQ(block_of(t.m, e), assign(e, "!" + BIT));
    e = make_expression_single(t.m, true, "sl", LogicOp::SliceBit, a, Slice{2, 6});
    EXPECT_EQ(block_of(t.m, e), assign(e, A + "[5:2]"));

    // Four zero bits above the operand's four bits; no padding when the
    // widths agree.
    e = make_expression_constant(t.m, true, "ext", LogicOp::ExtendBit, a, 8, Slice{0, 4});
    EXPECT_EQ(block_of(t.m, e), assign(e, "{{4{1'b0}}, " + A + "[3:0]}"));
    e = make_expression_constant(t.m, true, "same", LogicOp::ExtendBit, a, 4, Slice{0, 4});
    EXPECT_EQ(block_of(t.m, e), assign(e, A + "[3:0]"));
    // A present second operand is the fill.
    {
        auto x = t.m.take<Expression>(e);
        x->width = 6;
        x->operand_b = bit;
        x.put_back();
    }
    EXPECT_EQ(block_of(t.m, e), assign(e, "{{2{" + BIT + "}}, " + A + "[3:0]}"));

    // Written from the operands only, and not at all without them.
    const HcpIdent empty = make_expression_empty(t.m, true, "empty", 8);
    EXPECT_EQ(emit_all(t.m, empty).decl, format("wire [7:0]  {};", empty.abs_name()));
    EXPECT_EQ(block_of(t.m, empty), "");
    e = expr2(LogicOp::BitwiseXor);
    {
        auto x = t.m.take<Expression>(e);
        x->operand_b.reset();
        x.put_back();
    }
    EXPECT_EQ(block_of(t.m, e), "");
    {
        auto x = t.m.take<Expression>(e);
        x->operand_a.reset();
        x->operand_b = b;
        x->op = LogicOp::BitwiseInvr;
        x.put_back();
    }
    EXPECT_EQ(block_of(t.m, e), "");
    e = expr2(LogicOp::BitwiseOr);
    {
        auto x = t.m.take<Expression>(e);
        x->op = LogicOp::Dummy;
        x.put_back();
    }
    EXPECT_FATAL(block_of(t.m, e), "logic_op_to_verilog: Dummy op must not reach the Verilog backend");
    EXPECT_TRUE(none_taken<Expression>(t.m));
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

    const HcpIdent one = make_reg(t.m, true, "one", 1);
    const HcpIdent b = make_reg(t.m, true, "b", 1);
    add_event(t.m, one, basic(t.m, b, 0, 1, 0, 1, ClockMode::NegEdge, clk));
    EXPECT_EQ(block_of(t.m, one), format("always @(negedge {}) begin\n    {} <= {};\nend\n",
                                         clk.abs_name(), one.abs_name(), b.abs_name()));

    const HcpIdent w = make_wire(t.m, true, "w", 4);
    add_event(t.m, w, basic(t.m, src, 0, 4, 0, 4));
    EXPECT_EQ(block_of(t.m, w), format("always @(*) begin\n    {}[3:0] <= {}[3:0];\nend\n",
                                       w.abs_name(), S));

    const HcpIdent bad = make_reg(t.m, true, "bad", 1);
    add_event(t.m, bad, basic(t.m, b, 0, 1, 0, 1, ClockMode::PosEdge));
    EXPECT_FATAL(block_of(t.m, bad), "sensitivity_list: PosEdge with no clk source");
    EXPECT_TRUE(none_taken<Reg>(t.m));
    EXPECT_TRUE(none_taken<UeBasic>(t.m));
}

TEST(AlwaysBlockTest, OperandsAreNamedFromTheirComponents) {
    TracedModel t;
    const HcpIdent r = make_reg(t.m, true, "r", 4);
    const HcpIdent st = t.sp_reg<StateReg>(HwComponentType::StateReg, "st");
    const HcpIdent mem = make_mem_blk(t.m, true, "mem", 4, 2);
    const VbDes des{r, "DES", 4};
    EXPECT_EQ(fmt_operand(st, Slice{0, 1}, t.m, des), st.abs_name());  // 1 bit: never a range
    EXPECT_EQ(fmt_operand(r, Slice{1, 3}, t.m, des), "DES[2:1]");     // the destination itself
    const HcpIdent other = make_reg(t.m, true, "o", 4);
    EXPECT_EQ(fmt_operand(other, Slice{-1, -1}, t.m, des), other.abs_name());
    EXPECT_EQ(fmt_operand(other, std::nullopt, t.m, des), other.abs_name());
    EXPECT_EQ(fmt_operand(other, Slice{0, 4}, t.m, des), std::string(other.abs_name()) + "[3:0]");
    EXPECT_FATAL(fmt_operand(mem, std::nullopt, t.m, des), "MemBlk is not an assignment destination");
}

TEST(AlwaysBlockTest, ConditionalsSwitchesAndGroupsNest) {
    TracedModel t;
    const HcpIdent r = make_reg(t.m, true, "r", 1);
    const HcpIdent c1 = make_reg(t.m, true, "c1", 1);
    const HcpIdent c2 = make_reg(t.m, true, "c2", 1);
    const HcpIdent sel = make_reg(t.m, true, "sel", 2);
    const HcpIdent x = make_reg(t.m, true, "x", 1);
    const HcpIdent y = make_reg(t.m, true, "y", 1);
    const std::string R(r.abs_name()), X(x.abs_name()), Y(y.abs_name());
    const std::string C1(c1.abs_name()), C2(c2.abs_name()), SEL(sel.abs_name());

    auto cond_event = [&](std::vector<std::optional<HcpIdent>> conds,
                          std::vector<std::optional<UpdateEventIdent>> subs) {
        UeCond c;
        c.ident = UpdateEventIdent::make(UeType::Cond);
        c.common = UeCommon{std::nullopt, 0, 10, UeType::Cond, ClockMode::ClkFree};
        c.conds = std::move(conds);
        c.sub_stmts = std::move(subs);
        const ArenaHandle h = t.m.arena<UeCond>().insert(std::move(c));
        return t.m.arena<UeCond>().get(h).ident;
    };
    auto switch_event = [&](std::vector<int32_t> labels,
                            std::vector<std::optional<UpdateEventIdent>> subs) {
        UeSwitch s;
        s.ident = UpdateEventIdent::make(UeType::Switch);
        s.common = UeCommon{std::nullopt, 0, 10, UeType::Switch, ClockMode::ClkFree};
        s.selector = sel;
        s.sub_stmt_idxs = std::move(labels);
        s.sub_stmts = std::move(subs);
        const ArenaHandle h = t.m.arena<UeSwitch>().insert(std::move(s));
        return t.m.arena<UeSwitch>().get(h).ident;
    };
    auto grp_event = [&](std::vector<UpdateEventIdent> members) {
        UeGrp g;
        g.ident = UpdateEventIdent::make(UeType::Grp);
        g.common = UeCommon{std::nullopt, 0, 10, UeType::Grp, ClockMode::ClkFree};
        g.events = std::move(members);
        const ArenaHandle h = t.m.arena<UeGrp>().insert(std::move(g));
        return t.m.arena<UeGrp>().get(h).ident;
    };
    auto bx = [&] { return basic(t.m, x, 0, 1, 0, 1); };
    auto by = [&] { return basic(t.m, y, 0, 1, 0, 1); };
    auto only = [&](UpdateEventIdent ue) {
        const HcpIdent d = make_reg(t.m, true, "d", 1);
        add_event(t.m, d, std::move(ue));
        return d;
    };
    auto body = [&](const HcpIdent& d) {
        const std::string text = block_of(t.m, d);
        // Drop the "always" line and the final "end".
        const size_t first = text.find('\n') + 1;
        return text.substr(first, text.size() - first - 4);
    };
    auto stmt = [&](const HcpIdent& d, const std::string& src) {
        return format("{} <= {};\n", d.abs_name(), src);
    };

    // if / else if / else at indent 4: seven lines.
    HcpIdent d = only(cond_event({c1, c2, std::nullopt}, {bx(), by(), bx()}));
    EXPECT_EQ(body(d), "    if (" + C1 + ") begin\n        " + stmt(d, X) + "    end else if (" + C2 +
                           ") begin\n        " + stmt(d, Y) + "    end else begin\n        " +
                           stmt(d, X) + "    end\n");
    // A first branch without condition, and a branch without a sub-event.
    d = only(cond_event({std::nullopt}, {bx()}));
    EXPECT_EQ(body(d), "    begin\n        " + stmt(d, X) + "    end\n");
    d = only(cond_event({c1, std::nullopt}, {std::nullopt, by()}));
    EXPECT_EQ(body(d), "    if (" + C1 + ") begin\n    end else begin\n        " + stmt(d, Y) +
                           "    end\n");
    EXPECT_EQ(body(only(cond_event({}, {}))), "");

    // A case at the block's indent, items 4 deeper, their bodies 8 deeper.
    d = only(switch_event({0, 3, -2}, {bx(), std::nullopt, by()}));
    EXPECT_EQ(body(d), "    case (" + SEL + ")\n        0: begin\n            " + stmt(d, X) +
                           "        end\n        3: begin\n        end\n        -2: begin\n"
                           "            " +
                           stmt(d, Y) + "        end\n    endcase\n");
    EXPECT_EQ(body(only(switch_event({}, {}))), "    case (" + SEL + ")\n    endcase\n");

    // A group writes its members at its own indent; nesting adds 4 per
    // conditional level and 8 per case level.
    d = only(grp_event({bx(), by()}));
    EXPECT_EQ(body(d), "    " + stmt(d, X) + "    " + stmt(d, Y));
    d = only(cond_event({c1}, {switch_event({1}, {grp_event({bx(), cond_event({c2}, {by()})})})}));
    EXPECT_EQ(body(d), "    if (" + C1 + ") begin\n"
                       "        case (" + SEL + ")\n"
                       "            1: begin\n"
                       "                " + stmt(d, X) +
                       "                if (" + C2 + ") begin\n"
                       "                    " + stmt(d, Y) +
                       "                end\n"
                       "            end\n"
                       "        endcase\n"
                       "    end\n");
    for (size_t i = 0; i < t.m.arena<UeCond>().size(); ++i) EXPECT_FALSE(t.m.arena<UeCond>().is_taken(i));
}

TEST(AlwaysBlockTest, ListsShorterThanTheirItemsAreRefused) {
    TracedModel t;
    const HcpIdent sel = make_reg(t.m, true, "sel", 2);
    const HcpIdent x = make_reg(t.m, true, "x", 1);
    const HcpIdent d = make_reg(t.m, true, "d", 1);
    UeSwitch s;
    s.ident = UpdateEventIdent::make(UeType::Switch);
    s.common = UeCommon{std::nullopt, 0, 10, UeType::Switch, ClockMode::ClkFree};
    s.selector = sel;
    s.sub_stmt_idxs = {0};
    s.sub_stmts = {basic(t.m, x, 0, 1, 0, 1), basic(t.m, x, 0, 1, 0, 1)};
    ArenaHandle h = t.m.arena<UeSwitch>().insert(std::move(s));
    add_event(t.m, d, t.m.arena<UeSwitch>().get(h).ident);
    EXPECT_FATAL(block_of(t.m, d), "assertion failed: idx < self.sub_stmt_idxs.len()");

    const HcpIdent d2 = make_reg(t.m, true, "d2", 1);
    UeCond c;
    c.ident = UpdateEventIdent::make(UeType::Cond);
    c.common = UeCommon{std::nullopt, 0, 10, UeType::Cond, ClockMode::ClkFree};
    c.conds = {x, std::nullopt};
    c.sub_stmts = {basic(t.m, x, 0, 1, 0, 1)};
    h = t.m.arena<UeCond>().insert(std::move(c));
    add_event(t.m, d2, t.m.arena<UeCond>().get(h).ident);
    EXPECT_FATAL(block_of(t.m, d2),
                 "UeCond::transpile: branch 1 has no sub-event entry (2 conditions, 1 sub-events)");
    EXPECT_TRUE(none_taken<UeSwitch>(t.m));
    EXPECT_TRUE(none_taken<UeCond>(t.m));
    EXPECT_TRUE(none_taken<Reg>(t.m));
}

TEST(HcpEmitterTest, MemoryElements) {
    TracedModel t;
    const HcpIdent clk = make_wire(t.m, true, "clk", 1);
    const HcpIdent idx = make_reg(t.m, true, "idx", 3);
    const HcpIdent src = make_reg(t.m, true, "src", 8);
    const HcpIdent mem = make_mem_blk(t.m, true, "mem", 8, 3);
    const HcpIdent wr = make_mem_ele(t.m, true, "wr", mem, idx, 8, false);
    const HcpIdent rd = make_mem_ele(t.m, true, "rd", mem, idx, 8, true);
    const std::string M(mem.abs_name()), I(idx.abs_name());
    EXPECT_EQ(block_of(t.m, wr), "");  // empty pool
    add_event(t.m, wr, basic(t.m, src, 0, 8, 0, 8, ClockMode::PosEdge, clk));
    add_event(t.m, wr, basic(t.m, src, 4, 8, 0, 4, ClockMode::PosEdge, clk));
    EXPECT_EQ(block_of(t.m, wr), format("always @(posedge {}) begin\n", clk.abs_name()) + "    " + M +
                                     "[" + I + "][7:0] <= " + std::string(src.abs_name()) +
                                     "[7:0];\n    " + M + "[" + I + "][7:4] <= " +
                                     std::string(src.abs_name()) + "[3:0];\nend\n");
    // A read element ignores its pool.
    add_event(t.m, rd, basic(t.m, src, 0, 8, 0, 8));
    EXPECT_EQ(block_of(t.m, rd), format("assign {} = {}[{}];\n", rd.abs_name(), M, I));
}

TEST(HcpEmitterTest, IoWires) {
    TracedModel t;
    const HcpIdent src = make_reg(t.m, true, "src", 8);
    auto io = [&](bool is_input, uint32_t width, std::optional<HcpIdent> agent,
                  std::optional<std::string> port = std::nullopt) {
        IoWire w = IoWire::new_opt_src(false, "w", is_input, width, agent, agent, t.m);
        w.port_name = std::move(port);
        return insert_and_stamp_hcp(t.m, std::move(w), false);
    };
    auto io_line = [&](const HcpIdent& h) {
        TakenHcpVb hcp = take_hcp_vb(t.m, h);
        std::string s = written_by([&](FileWriter& fw) { hcp->gen_io_line_vb(0, t.m, fw); });
        hcp.put_back();
        return s;
    };
    auto agent_input = [&](const HcpIdent& h) {
        auto w = t.m.take<IoWire>(h);
        return gen_agent_input_vb(*w, t.m);
    };
    const HcpIdent in8 = io(true, 8, src);
    const HcpIdent in1 = io(true, 1, std::nullopt);
    const HcpIdent out8 = io(false, 8, src);
    const HcpIdent out1 = io(false, 1, std::nullopt);
    const HcpIdent named_out = io(false, 8, src, "dout");
    EXPECT_EQ(io_line(in8), format("input wire [7:0] {}", in8.abs_name()));
    EXPECT_EQ(io_line(in1), format("input wire {}", in1.abs_name()));
    EXPECT_EQ(io_line(out8), format("output reg  [7:0] {}", out8.abs_name()));
    EXPECT_EQ(io_line(out1), format("output reg  {}", out1.abs_name()));
    EXPECT_EQ(io_line(named_out), "output reg  [7:0] dout");
    EXPECT_EQ(emit_all(t.m, named_out).name, "dout");
    EXPECT_EQ(hcp_verilog_name(t.m, named_out), "dout");
    EXPECT_EQ(hcp_verilog_name(t.m, src), src.abs_name());
    EXPECT_EQ(emit_all(t.m, out8).decl, format("reg  [7:0]  {};", out8.abs_name()));

    // Outputs are assigned from their agent, a named one under its port
    // name; inputs have no block.
    EXPECT_EQ(emit_all(t.m, in8).blocks, 0u);
    EXPECT_EQ(block_of(t.m, out8), format("always @(*) begin\n    {}[7:0] <= {}[7:0];\nend\n",
                                          out8.abs_name(), src.abs_name()));
    EXPECT_EQ(block_of(t.m, named_out),
              format("always @(*) begin\n    dout[7:0] <= {}[7:0];\nend\n", src.abs_name()));
    EXPECT_EQ(block_of(t.m, out1), "");

    EXPECT_EQ(agent_input(in8), src.abs_name());
    const HcpIdent named_in = io(true, 8, std::nullopt, "din");
    const HcpIdent fed = io(true, 8, named_in);
    EXPECT_EQ(agent_input(fed), "din");
    EXPECT_FATAL(agent_input(out8), "gen_agent_input_vb called on output IoWire");
    EXPECT_FATAL(agent_input(in1), "IoWire: agent_src_signal_i is None");
    {
        auto w = t.m.take<IoWire>(named_out);
        EXPECT_EQ(written_by([&](FileWriter& fw) { gen_parent_net_line_vb(*w, fw); }), "wire [7:0] dout;");
        w.put_back();
        auto w1 = t.m.take<IoWire>(out1);
        EXPECT_EQ(written_by([&](FileWriter& fw) { gen_parent_net_line_vb(*w1, fw); }),
                  format("wire {};", out1.abs_name()));
    }
    EXPECT_TRUE(none_taken<IoWire>(t.m));
}
