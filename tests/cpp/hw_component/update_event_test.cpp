#include "event_view.hpp"
#include "model/arena_insert.hpp"
#include "model/controller/asm_mode.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

struct EventModel : TracedModel {
    HcpIdent src = make_wire(m, true, "src", 4);
    HcpIdent clk = make_wire(m, false, "clk", 1);
    HcpIdent en = make_wire(m, true, "en", 1);
    HcpIdent dis = make_wire(m, true, "dis", 1);

    UpdateEventIdent basic(int32_t priority, ClockMode mode = ClockMode::ClkUnused,
                           std::optional<HcpIdent> clk_src = std::nullopt) {
        return make_ue_basic(m, src, Slice{0, 4}, Slice{0, 4}, priority, mode, false,
                             std::move(clk_src));
    }
};

}  // namespace

TEST(UeFactoryTest, BasicEventsAreNamedAndFilled) {
    EventModel t;
    const uint64_t id = peek_global_id();
    const UpdateEventIdent ue = make_ue_basic(t.m, t.src, Slice{1, 3}, Slice{2, 4}, 77,
                                              ClockMode::NegEdge, false, std::nullopt);
    EXPECT_EQ(ue.abs_name(), format("UE_BASIC_{}", id));
    EXPECT_EQ(view_event(t.m, ue), (Ev{77, {}, t.src, {1, 3}, {2, 4}}));
    // An edge-clocked event may wait for its clock source.
    EXPECT_EQ(t.event<UeBasic>(ue).common,
              (UeCommon{std::nullopt, 0, 77, UeType::Basic, ClockMode::NegEdge}));

    set_asm_pri_to_manual(-4);
    const UpdateEventIdent cur =
        make_ue_basic(t.m, t.src, Slice{0, 4}, Slice{0, 4}, 77, ClockMode::PosEdge, true, t.clk);
    EXPECT_EQ(get_ue_common(t.m, cur).priority, -4);
    set_asm_pri_to_auto();

    const uint64_t before = peek_global_id();
    EXPECT_FATAL(
        make_ue_basic(t.m, t.src, Slice{0, 4}, Slice{0, 4}, 1, ClockMode::ClkFree, false, t.clk),
        "make_ue_*: clk_src must be None when clk_mode is ClkFree");
    EXPECT_EQ(peek_global_id(), before);
}

TEST(UeFactoryTest, FullEventsWrapOnlyWhenAConditionIsGiven) {
    EventModel t;
    const UpdateEventIdent plain =
        make_ue_full(t.m, std::nullopt, std::nullopt, t.src, Slice{0, 4}, Slice{0, 4}, 5,
                     ClockMode::ClkFree, false, std::nullopt);
    EXPECT_EQ(plain.kind, UeType::Basic);

    uint64_t id = peek_global_id();
    const UpdateEventIdent one = make_ue_full(t.m, std::nullopt, t.dis, t.src, Slice{0, 4},
                                              Slice{0, 4}, 5, ClockMode::PosEdge, false, t.clk);
    EXPECT_EQ(one.abs_name(), format("UE_COND_{}", id + 1));
    const UeCond& c = t.event<UeCond>(one);
    EXPECT_EQ(c.sub_stmts.at(0)->abs_name(), format("UE_BASIC_{}", id));
    EXPECT_EQ(view_event(t.m, one).conds, std::vector<HcpIdent>{t.dis});
    EXPECT_FALSE(c.is_last_occure);
    EXPECT_EQ(c.common, (UeCommon{t.clk, 0, 5, UeType::Cond, ClockMode::PosEdge}));

    id = peek_global_id();
    const UpdateEventIdent both = make_ue_full(t.m, t.en, t.dis, t.src, Slice{0, 4}, Slice{0, 4}, 5,
                                               ClockMode::ClkFree, false, std::nullopt);
    // With both conditions: the basic event, their AND, then the wrapper.
    EXPECT_EQ(both.abs_name(), format("UE_COND_{}", id + 2));
    const HcpIdent cond = *t.event<UeCond>(both).conds[0];
    EXPECT_EQ(cond.abs_name(), format("EXPR_cond_dis_expr_{}", id + 1));
    const Expression& e = t.m.arena<Expression>().get(cond.handle());
    EXPECT_EQ((std::tuple{e.op, *e.operand_a, *e.range_a, *e.operand_b, *e.range_b}),
              (std::tuple{LogicOp::BitwiseAnd, t.en, Slice{0, 1}, t.dis, Slice{0, 1}}));

    EXPECT_FATAL(make_ue_add_dis(t.m, std::nullopt, std::nullopt, plain),
                 "internal error: entered unreachable code");
}

TEST(UeFactoryTest, MuxChecksInOrderAndBuildsIfElse) {
    EventModel t;
    const UpdateEventIdent edge = t.basic(10, ClockMode::PosEdge, t.clk);
    const UpdateEventIdent l = t.basic(10);
    const UpdateEventIdent r = t.basic(10);
    const UpdateEventIdent other = t.basic(11);

    EXPECT_FATAL(make_ue_mux(t.m, edge, t.basic(10), t.en),
                 "assertion `left == right` failed: make_ue_mux: left  operand must be ClkUnused\n"
                 "  left: PosEdge\n right: ClkUnused");
    EXPECT_FATAL(
        make_ue_mux(t.m, l, other, t.en),
        "assertion `left == right` failed: make_ue_mux: left/right operands must share priority\n"
        "  left: 10\n right: 11");

    const UpdateEventIdent mux = make_ue_mux(t.m, l, r, t.en);
    const UeCond& c = t.event<UeCond>(mux);
    EXPECT_EQ(c.conds, (std::vector<std::optional<HcpIdent>>{t.en, std::nullopt}));
    EXPECT_EQ(c.sub_stmts, (std::vector<std::optional<UpdateEventIdent>>{l, r}));
    EXPECT_TRUE(c.is_last_occure);
    EXPECT_EQ(c.common, (UeCommon{std::nullopt, 0, 10, UeType::Cond, ClockMode::ClkUnused}));

    EXPECT_FATAL(make_ue_mux(t.m, l, r, std::nullopt), "assertion failed: !self.is_last_occure");
}

TEST(UeTest, JoinabilityComparesPriorityClockModeAndClockSource) {
    EventModel t;
    const HcpIdent clk2 = make_wire(t.m, false, "clk2", 1);
    auto joinable = [&](const UpdateEventIdent& a, const UpdateEventIdent& b) {
        auto ta = take_ue(t.m, a);
        auto tb = take_ue(t.m, b);
        const bool j = ta->is_joinable(*tb);
        tb.put_back();
        ta.put_back();
        return j;
    };
    const UpdateEventIdent a = t.basic(10, ClockMode::PosEdge, t.clk);
    const UpdateEventIdent sub = t.basic(10, ClockMode::PosEdge, t.clk);
    t.event<UeBasic>(sub).common.sub_priority = 9;
    EXPECT_TRUE(joinable(a, sub));
    // Kinds do not matter: a conditional wrapper keeps the common part.
    EXPECT_TRUE(joinable(a, make_ue_add_dis(t.m, t.en, std::nullopt, a)));
    EXPECT_FALSE(joinable(a, t.basic(10, ClockMode::PosEdge)));
    EXPECT_FALSE(joinable(a, t.basic(10, ClockMode::PosEdge, clk2)));
    EXPECT_FALSE(joinable(a, t.basic(11, ClockMode::PosEdge, t.clk)));
    EXPECT_FALSE(joinable(a, t.basic(10, ClockMode::NegEdge, t.clk)));
    EXPECT_TRUE(joinable(t.basic(3), t.basic(3)));
}

TEST(UpdatePoolTest, SortIsStableByPriorityThenSubPriority) {
    EventModel t;
    UpdatePool pool;
    const UpdateEventIdent a = t.basic(10);
    const UpdateEventIdent rst = t.basic(2147483647);
    const UpdateEventIdent fallback = t.basic(1);
    const UpdateEventIdent b = t.basic(10);
    for (const auto& ue : {a, rst, fallback, b}) pool.add_update_event(ue);
    pool.sort_events(t.m);
    EXPECT_EQ(pool.events, (std::vector<UpdateEventIdent>{fallback, a, b, rst}));

    UpdatePool broken;
    UpdateEventIdent untyped = a;
    untyped.kind = UeType::Untype;
    broken.add_update_event(untyped);
    EXPECT_FATAL(broken.sort_events(t.m), "UpdateEventIdent has UeType::Untype");
}

TEST(UeDependencyTest, GatherAndRemapFollowEveryKind) {
    EventModel t;
    const HcpIdent sel = make_wire(t.m, true, "sel", 2);
    const HcpIdent other = make_reg(t.m, true, "other", 4);
    const UpdateEventIdent leaf = t.basic(10, ClockMode::PosEdge, t.clk);
    const UpdateEventIdent leaf2 = make_ue_basic(t.m, other, Slice{0, 4}, Slice{0, 4}, 10,
                                                 ClockMode::ClkUnused, false, std::nullopt);

    // Compound events carry a copy of a member's clock source, which they do
    // not report themselves but do rename.
    UeCond bare;
    bare.ident = UpdateEventIdent::make(UeType::Cond);
    bare.add_branch(t.en, std::nullopt, bare.common);
    bare.add_branch(std::nullopt, std::nullopt, bare.common);
    bare.common.clk_src_i = t.clk;
    const UpdateEventIdent bare_i = insert_ue(t.m, std::move(bare));
    UeSwitch sw;
    sw.ident = UpdateEventIdent::make(UeType::Switch);
    sw.selector = sel;
    sw.common.clk_src_i = t.clk;
    sw.sub_stmt_idxs = {0, 3};
    sw.sub_stmts = {leaf2, std::nullopt};
    const UpdateEventIdent sw_i = insert_ue(t.m, std::move(sw));
    UeGrp grp;
    grp.ident = UpdateEventIdent::make(UeType::Grp);
    grp.events = {leaf, sw_i};
    const UpdateEventIdent grp_i = insert_ue(t.m, std::move(grp));

    auto gather = [&](const UpdateEventIdent& ue) {
        HcpSet set;
        gather_dep_hcps_of(t.m, ue, set);
        return set;
    };
    EXPECT_EQ(gather(leaf), (HcpSet{t.src, t.clk}));
    // Branches without events add only their conditions.
    EXPECT_EQ(gather(bare_i), (HcpSet{t.en}));
    EXPECT_EQ(gather(sw_i), (HcpSet{sel, other}));
    EXPECT_EQ(gather(grp_i), (HcpSet{t.src, t.clk, sel, other}));
    EXPECT_EQ(gather(make_ue_add_dis(t.m, t.dis, std::nullopt, grp_i)),
              (HcpSet{t.dis, t.src, t.clk, sel, other}));

    // A component gathers through its pool; every event is back afterwards.
    const HcpIdent w = make_wire(t.m, true, "w", 4);
    get_hcp_assign_mut(t.m, w).add_update_event(grp_i);
    get_hcp_assign_mut(t.m, w).add_update_event(bare_i);
    EXPECT_EQ(t.deps(w), (HcpSet{t.src, t.clk, sel, other, t.en}));
    EXPECT_FALSE(t.m.arena<UeGrp>().is_taken(grp_i.handle().index));
    EXPECT_FALSE(t.m.arena<UeSwitch>().is_taken(sw_i.handle().index));

    const HcpIdent io_src = make_wire(t.m, false, "io_src", 4);
    const HcpIdent io_clk = make_wire(t.m, false, "io_clk", 1);
    const HcpIdent io_en = make_wire(t.m, false, "io_en", 1);
    const HcpIdent io_sel = make_wire(t.m, false, "io_sel", 2);
    t.remap(w, HcpMap{{t.src, io_src}, {t.clk, io_clk}, {t.en, io_en}, {sel, io_sel}});
    EXPECT_EQ(
        (std::tuple{t.event<UeBasic>(leaf).src, t.event<UeBasic>(leaf).common.clk_src_i,
                    *t.event<UeCond>(bare_i).conds[0], t.event<UeCond>(bare_i).common.clk_src_i,
                    t.event<UeSwitch>(sw_i).selector, t.event<UeSwitch>(sw_i).common.clk_src_i}),
        (std::tuple{io_src, io_clk, io_en, io_clk, io_sel, io_clk}));
    // A key must match the whole identity, not only the global id.
    HcpIdent unstamped = io_src;
    unstamped.set_module_handle(ArenaHandle::null());
    t.remap(w, HcpMap{{unstamped, t.src}});
    EXPECT_EQ(t.event<UeBasic>(leaf).src, io_src);
}

TEST(AssignMetaTest, PreConditionsWrapTheCurrentEvent) {
    EventModel t;
    const HcpIdent r = make_reg(t.m, true, "r", 4);
    auto reg = take_hcp(t.m, r);
    AssignMeta meta = reg->gen_asm_meta(t.src, std::nullopt, 0, 4, t.m);
    reg.put_back();
    const UpdateEventIdent basic = meta.cur_ue;

    uint64_t id = peek_global_id();
    meta.apply_pending_pre_cond(t.m);
    EXPECT_EQ(meta.cur_ue, basic);
    EXPECT_EQ(peek_global_id(), id);

    // The register's event has no clock source yet.
    meta.pending_pre_cond = t.en;
    EXPECT_FATAL(meta.apply_pending_pre_cond(t.m),
                 "make_ue_*: clk_src must be assigned when clk_mode is Posedge or NegEdge");
    EXPECT_FALSE(meta.pending_pre_cond.has_value());
    EXPECT_EQ(meta.cur_ue, basic);

    t.event<UeBasic>(basic).common.clk_src_i = t.clk;
    meta.pending_pre_cond = t.en;
    meta.apply_pending_pre_cond(t.m);
    meta.add_specific_pre_condition(t.dis, t.m);
    EXPECT_FALSE(meta.pending_pre_cond.has_value());
    // The specific condition wraps the pending one, which wraps the event.
    EXPECT_EQ(view_event(t.m, meta.cur_ue).conds, (std::vector<HcpIdent>{t.dis, t.en}));
    EXPECT_EQ(t.event<UeCond>(*t.event<UeCond>(meta.cur_ue).sub_stmts[0]).sub_stmts[0], basic);
    EXPECT_EQ(meta.origin_ue, basic);
    EXPECT_EQ(get_ue_common(t.m, meta.cur_ue).clk_src_i, t.clk);

    // A folded meta is ClkUnused and needs no clock source.
    AssignMeta folded{t.src, t.en, t.basic(10), {}, ClockMode::ClkUnused};
    folded.apply_pending_pre_cond(t.m);
    EXPECT_EQ(folded.cur_ue.kind, UeType::Cond);

    // A clock-free event that somehow got a clock source is refused.
    const UpdateEventIdent clk_free = t.basic(10, ClockMode::ClkFree);
    t.event<UeBasic>(clk_free).common.clk_src_i = t.clk;
    AssignMeta bad{t.src, std::nullopt, clk_free, clk_free, ClockMode::ClkFree};
    id = peek_global_id();
    EXPECT_FATAL(bad.add_specific_pre_condition(t.en, t.m),
                 "make_ue_*: clk_src must be None when clk_mode is ClkFree");
    EXPECT_EQ(peek_global_id(), id);
}
