#include "hcp_test_support.hpp"
#include "model/arena_insert.hpp"
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

Slice des_of(const UeBasic& b) { return Slice{b.des_start, b.des_stop}; }
Slice src_of(const UeBasic& b) { return Slice{b.src_start, b.src_stop}; }

}  // namespace

TEST(WidthRuleTest, FitsTheSourceToTheDestination) {
    using enum AsmResize;
    const Slice all = Slice::whole();
    const std::optional<Slice> none;
    // clang-format off
    const WidthCase cases[] = {
        {"equal",                   8, none,        8,  all,     None,     {0, 8},  8,  8},
        {"equal, sliced",           4, none,        16, {4, 8},  None,     {4, 8},  4,  4},
        {"narrower",                8, none,        3,  all,     Extended, {0, 8},  3,  8},
        {"wider",                   8, none,        16, {4, 16}, Cut,      {4, 12}, 12, 8},
        {"usable des slice",        8, Slice{2, 6}, 16, all,     Cut,      {0, 4},  16, 4},
        {"narrower than des slice", 8, Slice{0, 6}, 3,  all,     Extended, {0, 6},  3,  6},
        {"whole-signal des slice",  8, all,         8,  all,     None,     {0, 8},  8,  8},
        {"empty des slice",         8, Slice{5, 5}, 4,  all,     Extended, {0, 8},  4,  8},
        {"empty src slice",         8, none,        8,  {3, 3},  None,     {0, 8},  8,  8},
        {"negative src start",      8, none,        8,  {-1, 4}, None,     {0, 8},  8,  8},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TracedModel t;
        const HcpIdent des = make_reg(t.m, true, "d", uint32_t(c.des_width));
        const HcpIdent src = make_wire(t.m, true, "s", uint32_t(c.src_width));
        const uint64_t id = peek_global_id();
        const SanitizedAsmSrc fit = sanitize_asm_src(t.m, des, src, c.des_slice, c.src_slice);
        EXPECT_EQ((std::tuple{fit.kind, fit.src_range, fit.src_width, fit.des_width}),
                  (std::tuple{c.kind, c.fitted_range, c.s, c.d}));
        if (c.kind == Extended) {
            EXPECT_EQ(peek_global_id(), id + 1);
            EXPECT_EQ(fit.src.abs_name(), format("EXPR_{}_ext_{}", src.abs_name(), id));
            const Expression& e = t.m.arena<Expression>().get(fit.src.handle());
            EXPECT_EQ((std::tuple{e.op, *e.operand_a, e.width, *e.constant}),
                      (std::tuple{LogicOp::ExtendBit, src, uint32_t(c.d), uint32_t(c.d)}));
            EXPECT_EQ(t.module().system_hcps[size_t(HwComponentType::Expression)],
                      std::vector<HcpIdent>{fit.src});
        } else {
            EXPECT_EQ(peek_global_id(), id);
            EXPECT_EQ(fit.src, src);
        }
    }
}

TEST(GenBasicAssignTest, DestinationsThatRefuseAssignment) {
    TracedModel t;
    const HcpIdent src = make_wire(t.m, true, "s", 1);
    const struct {
        HcpIdent des;
        const char* message;
    } cases[] = {
        {make_val(t.m, true, "v", 1, 0), "Val::do_asm should not be called"},
        {insert_and_stamp_hcp(
             t.m, IoWire::new_opt_src(false, "io", true, 1, std::nullopt, std::nullopt, t.m),
             false),
         "the io wire cannot be do_asm"},
        {make_mem_blk(t.m, true, "mb", 1, 1), "MemBlk is not an assignment destination"},
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

TEST(AssignableTest, UpdateEventMakersCheckTheRange) {
    TracedModel t;
    const HcpIdent r = make_reg(t.m, true, "r", 8);
    const HcpIdent v = make_val(t.m, true, "v", 8, 1);
    const HcpIdent st = t.sp_reg<StateReg>(HwComponentType::StateReg, "st");
    const HcpIdent mb = make_mem_blk(t.m, true, "mb", 8, 2);
    const char* out_of_range = "assertion failed: self.is_size_in_range_rel(b.get_size())";

    auto reg = take_hcp(t.m, r);
    const UpdateEventIdent whole = reg->gen_update_event(v, std::nullopt, Slice{0, 8}, t.m);
    EXPECT_EQ(des_of(t.event<UeBasic>(whole)), (Slice{0, 8}));
    EXPECT_FATAL(reg->gen_update_event(v, std::nullopt, Slice{0, 7}, t.m), out_of_range);
    EXPECT_FATAL(reg->gen_asm_meta(v, Slice{0, 4}, 0, 5, t.m), out_of_range);
    reg.put_back();

    // A constant is never a destination, except through an explicit priority.
    auto val = take_hcp(t.m, v);
    EXPECT_FATAL(val->gen_update_event(r, std::nullopt, Slice{0, 8}, t.m),
                 "Val::gen_update_event should not be called");
    const UpdateEventIdent forced =
        val->gen_update_event_with_pri(r, std::nullopt, Slice{0, 8}, 7, ClockMode::ClkFree, t.m);
    EXPECT_EQ(t.event<UeBasic>(forced).common.priority, 7);
    val.put_back();

    // A state register is one bit wide whatever range it is given.
    auto state = take_hcp(t.m, st);
    const UeBasic& s = t.event<UeBasic>(state->gen_update_event(r, std::nullopt, Slice{3, 4}, t.m));
    EXPECT_EQ(des_of(s), (Slice{0, 1}));
    EXPECT_EQ((std::tuple{s.common.priority, s.common.clk_mode}),
              (std::tuple{50, ClockMode::PosEdge}));
    state.put_back();

    // A memory block refuses, but the clock-source check of bind_src comes first.
    auto mem = take_hcp(t.m, mb);
    const char* refusal = "MemBlk is not an assignment destination";
    EXPECT_FATAL(mem->gen_update_event(r, Slice{0, 8}, Slice{0, 8}, t.m), refusal);
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
    EXPECT_EQ(t.event<UeBasic>(pool.events[0]).common,
              (UeCommon{std::nullopt, 0, 50, UeType::Basic, ClockMode::ClkFree}));
    const UeBasic& second = t.event<UeBasic>(pool.events[1]);
    EXPECT_EQ(second.common, (UeCommon{clk, 0, 3, UeType::Basic, ClockMode::PosEdge}));
    EXPECT_EQ(des_of(second), (Slice{1, 3}));
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
}
