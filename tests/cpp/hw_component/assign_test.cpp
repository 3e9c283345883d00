#include "hcp_test_support.hpp"
#include "model/controller/asm_mode.hpp"
#include "model/hw_component/arena_impl_asm.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

struct WidthCase {
    const char* what;
    int32_t des_width;
    std::optional<Slice> des_slice;
    int32_t src_width;
    Slice src_slice;
    AsmResize kind;
    Slice fitted_range;  // of the source, or of the "_ext" expression
    int32_t s, d;
};

}  // namespace

TEST(WidthRuleTest, FitsTheSourceToTheDestination) {
    const WidthCase cases[] = {
        {"equal, whole source", 8, std::nullopt, 8, Slice::whole(), AsmResize::None, {0, 8}, 8, 8},
        {"equal, sliced source", 4, std::nullopt, 16, {4, 8}, AsmResize::None, {4, 8}, 4, 4},
        {"narrower source", 8, std::nullopt, 3, Slice::whole(), AsmResize::Extended, {0, 8}, 3, 8},
        {"wider source", 8, std::nullopt, 16, {4, 16}, AsmResize::Cut, {4, 12}, 12, 8},
        {"usable destination slice", 8, Slice{2, 6}, 16, Slice::whole(), AsmResize::Cut, {0, 4}, 16, 4},
        {"narrower than the destination slice", 8, Slice{0, 6}, 3, Slice::whole(), AsmResize::Extended,
         {0, 6}, 3, 6},
        {"whole-signal destination slice", 8, Slice::whole(), 8, Slice::whole(), AsmResize::None, {0, 8}, 8, 8},
        {"empty destination slice", 8, Slice{5, 5}, 4, Slice::whole(), AsmResize::Extended, {0, 8}, 4, 8},
        {"empty source slice", 8, std::nullopt, 8, {3, 3}, AsmResize::None, {0, 8}, 8, 8},
        {"negative source start", 8, std::nullopt, 8, {-1, 4}, AsmResize::None, {0, 8}, 8, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TracedModel t;
        const HcpIdent des = make_reg(t.m, true, "d", uint32_t(c.des_width));
        const HcpIdent src = make_wire(t.m, true, "s", uint32_t(c.src_width));
        const uint64_t id = peek_global_id();
        const SanitizedAsmSrc fit = sanitize_asm_src(t.m, des, src, c.des_slice, c.src_slice);
        EXPECT_EQ(fit.kind, c.kind);
        EXPECT_EQ(fit.src_range, c.fitted_range);
        EXPECT_EQ(fit.src_width, c.s);
        EXPECT_EQ(fit.des_width, c.d);
        if (c.kind == AsmResize::Extended) {
            EXPECT_EQ(peek_global_id(), id + 1);
            EXPECT_EQ(fit.src.abs_name(), format("EXPR_{}_ext_{}", src.abs_name(), id));
            const Expression& e = t.m.arena<Expression>().get(fit.src.handle());
            EXPECT_EQ(e.op, LogicOp::ExtendBit);
            EXPECT_EQ(e.operand_a, src);
            EXPECT_EQ(e.width, uint32_t(c.d));
            EXPECT_EQ(e.constant, uint32_t(c.d));
            EXPECT_FALSE(fit.src.ident_base.is_user_com());
            EXPECT_EQ(t.module().system_hcps[size_t(HwComponentType::Expression)],
                      std::vector<HcpIdent>{fit.src});
        } else {
            EXPECT_EQ(peek_global_id(), id);
            EXPECT_EQ(fit.src, src);
        }
    }
}

TEST(GenBasicAssignTest, NarrowerSourceDrawsExtensionThenEventThenNode) {
    TracedModel t;
    const HcpIdent r = make_reg(t.m, true, "r", 8);
    const HcpIdent w = make_wire(t.m, true, "w", 3);
    const uint64_t id = peek_global_id();
    const AsmReport rep = gen_basic_assign(t.m, r, w, std::nullopt, Slice::whole());
    EXPECT_EQ(rep.kind, AsmResize::Extended);
    EXPECT_EQ(rep.src_width, 3);
    EXPECT_EQ(rep.des_width, 8);
    EXPECT_EQ(peek_global_id(), id + 3);

    const std::vector<NcpIdent>& nodes = t.module().basic_nodes;
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(nodes[0].abs_name(), format("ASM_NODE_{}_asm_{}", r.abs_name(), id + 2));
    EXPECT_FALSE(nodes[0].ident_base.is_user_com());
    const AsmNode& node = t.m.arena<AsmNode>().get(nodes[0].handle());
    ASSERT_EQ(node.asm_metas.size(), 1u);
    const AssignMeta& meta = node.asm_metas[0];
    EXPECT_EQ(meta.des, r);
    EXPECT_EQ(meta.cur_ue, meta.origin_ue);
    EXPECT_EQ(meta.cur_ue.abs_name(), format("UE_BASIC_{}", id + 1));
    EXPECT_EQ(meta.clk_mode, ClockMode::PosEdge);
    EXPECT_FALSE(meta.pending_pre_cond.has_value());
    EXPECT_TRUE(node.triggers.depend_nodes.empty());

    const UeBasic& ue = t.event<UeBasic>(meta.cur_ue);
    EXPECT_EQ(ue.src.abs_name(), format("EXPR_{}_ext_{}", w.abs_name(), id));
    EXPECT_EQ((Slice{ue.des_start, ue.des_stop}), (Slice{0, 8}));
    EXPECT_EQ((Slice{ue.src_start, ue.src_stop}), (Slice{0, 8}));
    EXPECT_EQ(ue.common.priority, DEFAULT_UE_PRI_USER);
    EXPECT_EQ(ue.common.clk_mode, ClockMode::PosEdge);
    EXPECT_FALSE(ue.common.clk_src_i.has_value());
    // The event reaches the pool only when the node is assigned.
    EXPECT_TRUE(t.pool(r).events.empty());
    EXPECT_FALSE(t.m.arena<Reg>().is_taken(r.handle().index));
}

TEST(GenBasicAssignTest, DestinationSlicesAndWiderSources) {
    TracedModel t;
    const HcpIdent r = make_reg(t.m, true, "r", 8);
    const HcpIdent w = make_wire(t.m, true, "w", 16);
    auto last_event = [&]() -> const UeBasic& {
        const AsmNode& n = t.m.arena<AsmNode>().get(t.module().basic_nodes.back().handle());
        return t.event<UeBasic>(n.asm_metas[0].cur_ue);
    };

    AsmReport rep = gen_basic_assign(t.m, r, w, std::nullopt, Slice{4, 16});
    EXPECT_EQ(rep.kind, AsmResize::Cut);
    EXPECT_EQ((std::pair{rep.src_width, rep.des_width}), (std::pair{12, 8}));
    EXPECT_EQ((Slice{last_event().src_start, last_event().src_stop}), (Slice{4, 12}));

    rep = gen_basic_assign(t.m, r, w, Slice{2, 6}, Slice{8, 12});
    EXPECT_EQ(rep.kind, AsmResize::None);
    EXPECT_EQ((Slice{last_event().des_start, last_event().des_stop}), (Slice{2, 6}));
    EXPECT_EQ((Slice{last_event().src_start, last_event().src_stop}), (Slice{8, 12}));

    // A slice that names no range means the whole destination.
    const HcpIdent w8 = make_wire(t.m, true, "w8", 8);
    for (const Slice unusable : {Slice::whole(), Slice{3, 3}, Slice{-2, 5}}) {
        rep = gen_basic_assign(t.m, r, w8, unusable, Slice::whole());
        EXPECT_EQ(rep.kind, AsmResize::None);
        EXPECT_EQ((Slice{last_event().des_start, last_event().des_stop}), (Slice{0, 8}));
        EXPECT_EQ((Slice{last_event().src_start, last_event().src_stop}), (Slice{0, 8}));
    }
    EXPECT_EQ(t.module().basic_nodes.size(), 5u);
}

TEST(GenBasicAssignTest, PriorityAndClockFollowTheDestinationKind) {
    TracedModel t;
    const HcpIdent one = make_wire(t.m, true, "one", 4);
    const HcpIdent mb = make_mem_blk(t.m, true, "mb", 4, 2);
    const HcpIdent me = make_mem_ele(t.m, true, "me", mb, one, 4, false);
    const HcpIdent w = make_wire(t.m, true, "w", 4);
    const HcpIdent cnt = t.sp_reg<CntReg>(HwComponentType::CntReg, "c", 4, 1, 9);
    auto event_of_last_node = [&]() -> const UeBasic& {
        const AsmNode& n = t.m.arena<AsmNode>().get(t.module().basic_nodes.back().handle());
        return t.event<UeBasic>(n.asm_metas[0].cur_ue);
    };

    set_asm_pri_to_manual(3);
    gen_basic_assign(t.m, me, one, std::nullopt, Slice::whole());
    EXPECT_EQ(event_of_last_node().common.priority, 3);
    EXPECT_EQ(event_of_last_node().common.clk_mode, ClockMode::PosEdge);
    gen_basic_assign(t.m, w, one, std::nullopt, Slice::whole());
    EXPECT_EQ(event_of_last_node().common.priority, 3);
    EXPECT_EQ(event_of_last_node().common.clk_mode, ClockMode::ClkFree);
    // A counter register takes ordinary assignments, at its fixed priority.
    gen_basic_assign(t.m, cnt, one, std::nullopt, Slice::whole());
    EXPECT_EQ(event_of_last_node().common.priority, 50);
    EXPECT_EQ(event_of_last_node().common.clk_mode, ClockMode::PosEdge);
    set_asm_pri_to_auto();
}

TEST(GenBasicAssignTest, DestinationsThatRefuseAssignment) {
    TracedModel t;
    const HcpIdent src = make_wire(t.m, true, "s", 1);
    const HcpIdent mb = make_mem_blk(t.m, true, "mb", 1, 1);
    const struct {
        HcpIdent des;
        const char* message;
    } cases[] = {
        {make_val(t.m, true, "v", 1, 0), "Val::do_asm should not be called"},
        {make_expression_single(t.m, true, "e", LogicOp::BitwiseInvr, src, std::nullopt),
         "Expression::do_asm \u2014 not implemented"},
        {insert_and_stamp_hcp(t.m, IoWire::new_opt_src(false, "io", true, 1, std::nullopt, std::nullopt, t.m),
                              false),
         "the io wire cannot be do_asm"},
        {mb, "MemBlk is not an assignment destination"},
        {t.sp_reg<StateReg>(HwComponentType::StateReg, "st"),
         "StateReg::do_asm() is not supported; use build_update_event()"},
        {t.sp_reg<CondWaitStateReg>(HwComponentType::CondWaitStateReg, "cw"),
         "CondWaitStateReg::do_asm() is not supported; use build_update_event()"},
        {t.sp_reg<CycleWaitStateReg>(HwComponentType::CycleWaitStateReg, "cy", 1, 0),
         "CycleWaitStateReg::do_asm() is not supported; use build_update_event()"},
        {t.sp_reg<SyncReg>(HwComponentType::SyncReg, "sy", 1),
         "SyncReg::do_asm() is not supported; use build_update_event()"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_FATAL(gen_basic_assign(t.m, c.des, src, std::nullopt, Slice::whole()), c.message);
        // The destination went back into its slot.
        EXPECT_EQ(get_hcp_assign(t.m, c.des).get_ident(), c.des);
    }
    EXPECT_TRUE(t.module().basic_nodes.empty());
}

TEST(GenBasicAssignTest, LooseAssignmentsNeedTheTopModule) {
    ModelArena m;
    const ModuleIdent mod = mk_module(m, "sub");
    track_module_at_flow_init(m, mod);
    const HcpIdent r = make_reg(m, true, "r", 1);
    const uint64_t id = peek_global_id();
    EXPECT_FATAL(gen_basic_assign(m, r, r, std::nullopt, Slice::whole()),
                 "add_basic_node_to_top_module: no top module set");
    EXPECT_EQ(peek_global_id(), id + 2);  // the event and the node were made

    // A traced sub-module's loose assignment lands in the top module.
    const ModuleIdent top = mk_module(m, "top");
    set_top_module(m, top);
    gen_basic_assign(m, r, r, std::nullopt, Slice::whole());
    EXPECT_EQ(m.arena<Module>().get(top.handle()).basic_nodes.size(), 1u);
    EXPECT_TRUE(m.arena<Module>().get(mod.handle()).basic_nodes.empty());
}

TEST(AssignableTest, UpdateEventMakersCheckTheRange) {
    TracedModel t;
    const HcpIdent r = make_reg(t.m, true, "r", 8);
    const HcpIdent v = make_val(t.m, true, "v", 8, 1);
    const HcpIdent st = t.sp_reg<StateReg>(HwComponentType::StateReg, "st");
    const HcpIdent mb = make_mem_blk(t.m, true, "mb", 8, 2);

    auto reg = take_hcp(t.m, r);
    const UpdateEventIdent whole = reg->gen_update_event(v, std::nullopt, Slice{0, 8}, t.m);
    EXPECT_EQ((Slice{t.event<UeBasic>(whole).des_start, t.event<UeBasic>(whole).des_stop}), (Slice{0, 8}));
    EXPECT_EQ(t.event<UeBasic>(whole).common.priority, DEFAULT_UE_PRI_USER);
    EXPECT_FATAL(reg->gen_update_event(v, std::nullopt, Slice{0, 7}, t.m),
                 "assertion failed: self.is_size_in_range_rel(b.get_size())");
    EXPECT_FATAL(reg->gen_asm_meta(v, Slice{0, 4}, 0, 5, t.m),
                 "assertion failed: self.is_size_in_range_rel(b.get_size())");
    reg.put_back();

    auto val = take_hcp(t.m, v);
    EXPECT_FATAL(val->gen_update_event(r, std::nullopt, Slice{0, 8}, t.m),
                 "Val::gen_update_event should not be called");
    EXPECT_FATAL(val->gen_asm_meta(r, std::nullopt, 0, 8, t.m), "Val::gen_asm_meta should not be called");
    const UpdateEventIdent forced =
        val->gen_update_event_with_pri(r, std::nullopt, Slice{0, 8}, 7, ClockMode::ClkFree, t.m);
    EXPECT_EQ(t.event<UeBasic>(forced).common.priority, 7);
    val.put_back();

    auto state = take_hcp(t.m, st);
    const UpdateEventIdent s = state->gen_update_event(r, std::nullopt, Slice{3, 4}, t.m);
    EXPECT_EQ((Slice{t.event<UeBasic>(s).des_start, t.event<UeBasic>(s).des_stop}), (Slice{0, 1}));
    EXPECT_EQ(t.event<UeBasic>(s).common.priority, 50);
    EXPECT_EQ(t.event<UeBasic>(s).common.clk_mode, ClockMode::PosEdge);
    state.put_back();

    auto mem = take_hcp(t.m, mb);
    const char* refusal = "MemBlk is not an assignment destination";
    EXPECT_FATAL(mem->retrieve_clk_mode(), refusal);
    EXPECT_FATAL(mem->get_des_slice(), refusal);
    EXPECT_FATAL(mem->get_priority(), refusal);
    EXPECT_FATAL(mem->gen_update_event(r, Slice{0, 8}, Slice{0, 8}, t.m), refusal);
    EXPECT_FATAL(mem->gen_update_event_with_pri(r, Slice{0, 8}, Slice{0, 8}, 1, ClockMode::ClkFree, t.m), refusal);
    EXPECT_FATAL(mem->gen_asm_node(r, Slice{0, 8}, 0, 8, t.m), refusal);
    EXPECT_FATAL(mem->bind_src(r, Slice{0, 8}, 0, 8, 1, ClockMode::NegEdge, std::nullopt, t.m),
                 "no clk_src specified for binded source with posedge or negedge clk");
    EXPECT_FATAL(mem->bind_src(r, Slice{0, 8}, 0, 8, 1, std::nullopt, std::nullopt, t.m), refusal);
    mem.put_back();
}

TEST(AssignableTest, BindSrcPoolsTheEventDirectly) {
    TracedModel t;
    const HcpIdent w = make_wire(t.m, true, "w", 4);
    const HcpIdent s = make_reg(t.m, true, "s", 4);
    const HcpIdent clk = make_wire(t.m, false, "clk", 1);

    auto wire = take_hcp(t.m, w);
    wire->bind_src(s, std::nullopt, 0, 4, std::nullopt, std::nullopt, std::nullopt, t.m);
    EXPECT_FATAL(wire->bind_src(s, std::nullopt, 0, 4, 3, ClockMode::NegEdge, std::nullopt, t.m),
                 "no clk_src specified for binded source with posedge or negedge clk");
    wire->bind_src(s, Slice{1, 3}, 2, 4, 3, ClockMode::PosEdge, clk, t.m);
    EXPECT_FATAL(wire->bind_src(s, std::nullopt, 0, 3, 3, std::nullopt, std::nullopt, t.m),
                 "assertion failed: self.is_size_in_range_rel(b.get_size())");
    wire.put_back();

    const UpdatePool& pool = t.pool(w);
    ASSERT_EQ(pool.events.size(), 2u);
    const UeBasic& first = t.event<UeBasic>(pool.events[0]);
    EXPECT_EQ(first.common.priority, 50);
    EXPECT_EQ(first.common.clk_mode, ClockMode::ClkFree);
    EXPECT_FALSE(first.common.clk_src_i.has_value());
    const UeBasic& second = t.event<UeBasic>(pool.events[1]);
    EXPECT_EQ(second.common.priority, 3);
    EXPECT_EQ(second.common.clk_src_i, clk);
    EXPECT_EQ((Slice{second.des_start, second.des_stop}), (Slice{1, 3}));
}

TEST(AssignableTest, IoMarkAndDispatch) {
    TracedModel t;
    const HcpIdent r = make_reg(t.m, true, "r", 4);
    EXPECT_FALSE(get_hcp_assign(t.m, r).is_marked_as_io());
    mark_as_io(t.m, r, true, "a");
    mark_as_io(t.m, r, false, "b");
    EXPECT_TRUE(get_hcp_assign(t.m, r).is_marked_as_io());
    EXPECT_EQ(get_hcp_assign(t.m, r).get_io_mark(), (IoMark{"b", false}));

    HcpIdent nest = r;
    nest.hw_type = HwComponentType::Nest;
    EXPECT_FATAL(get_hcp_assign(t.m, nest), "HwComponentType Nest is not HCP-assignable");
    EXPECT_FATAL(take_hcp(t.m, nest), "HwComponentType Nest is not HcpBase");

    // While a component is out, its slot answers with the zeroed default.
    auto taken = take_hcp(t.m, r);
    EXPECT_EQ(get_hcp_assign(t.m, r).get_global_id(), 0u);
    EXPECT_EQ(get_hcp_assign(t.m, r).get_des_slice(), (Slice{0, 0}));
    EXPECT_EQ(taken->get_global_name(), r.abs_name());
    taken.put_back();
    EXPECT_EQ(get_hcp_assign(t.m, r).get_ident(), r);
}
