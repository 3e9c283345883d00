#include "hw_component/hcp_test_support.hpp"
#include "model/controller/asm_mode.hpp"
#include "model/hw_component/common/asm_meta_helper/assign_meta_pools.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

using OptUes = std::vector<std::optional<UpdateEventIdent>>;
using OptHcps = std::vector<std::optional<HcpIdent>>;

struct PoolFixture : ::testing::Test {
    TracedModel t;
    HcpIdent x = make_reg(t.m, true, "x", 4);
    HcpIdent y = make_reg(t.m, true, "y", 4);
    HcpIdent v = make_val(t.m, true, "v", 4, 3);
    HcpIdent c1 = make_wire(t.m, true, "c1", 1);
    HcpIdent c2 = make_wire(t.m, true, "c2", 1);
    HcpIdent en2 = make_wire(t.m, true, "en2", 1);
    HcpIdent en3 = make_wire(t.m, true, "en3", 1);

    AssignMeta meta(const HcpIdent& des) {
        return get_hcp_assign_mut(t.m, des).gen_asm_meta(v, std::nullopt, 0, 4, t.m);
    }
    ~PoolFixture() override { set_asm_pri_to_auto(); }
};

}  // namespace

TEST_F(PoolFixture, IfChainFoldsOneDestinationIntoOneConditionalEvent) {
    AssignMetaIfPool pool;
    const AssignMeta a = meta(x), b = meta(x), c = meta(x);
    pool.insert_asms(t.m, c1, c1, {a});
    pool.insert_asms(t.m, c2, en2, {b});
    pool.insert_asms(t.m, std::nullopt, en3, {c});
    ASSERT_EQ(pool.groups().size(), 1u);
    const auto& g = pool.groups()[0];
    EXPECT_EQ(g.update_events, (OptUes{a.cur_ue, b.cur_ue, c.cur_ue}));
    EXPECT_EQ(g.cond_rel_vecs, (OptHcps{c1, c2}));
    EXPECT_EQ(g.branch_conds, (std::vector<HcpIdent>{c1, en2, en3}));

    const uint64_t id = peek_global_id();
    const std::vector<AssignMeta> folded = pool.gen_assign_metas(t.m);
    ASSERT_EQ(folded.size(), 1u);
    EXPECT_EQ(folded[0].cur_ue.abs_name(), format("UE_COND_{}", id));
    EXPECT_EQ((std::tuple{folded[0].des, folded[0].origin_ue, folded[0].clk_mode}),
              (std::tuple{x, folded[0].cur_ue, ClockMode::ClkUnused}));
    const UeCond& ue = t.event<UeCond>(folded[0].cur_ue);
    EXPECT_EQ(ue.conds, (OptHcps{c1, c2, std::nullopt}));
    EXPECT_TRUE(ue.is_last_occure);
    // Priority and clock come from the first member.
    EXPECT_EQ((std::tuple{ue.common.priority, ue.common.clk_mode}),
              (std::tuple{10, ClockMode::PosEdge}));
    AssignMetaIfGroup bad{x, {}, {}, {std::nullopt, std::nullopt}};
    EXPECT_FATAL(bad.gen_assign_meta(t.m),
                 "update_events length (2) must equal cond_rel_vecs length (0) or be exactly 1 "
                 "more (else branch)");
}

TEST_F(PoolFixture, SwitchCasesShareAGroupAndKeepTheirValues) {
    AssignMetaSwitchPool pool;
    const AssignMeta a = meta(x), b = meta(x);
    pool.insert_asms(t.m, c1, 1, {a});
    pool.insert_asms(t.m, c2, 2, {b});  // a later selector is neither kept nor compared
    pool.insert_asms(t.m, c1, 5, {});
    ASSERT_EQ(pool.groups().size(), 1u);
    EXPECT_EQ(pool.groups()[0].match_vals, (std::vector<int32_t>{1, 2, 5}));
    const UeSwitch& ue = t.event<UeSwitch>(pool.gen_assign_metas(t.m)[0].cur_ue);
    EXPECT_EQ(ue.selector, c1);
    EXPECT_EQ(ue.sub_stmt_idxs, (std::vector<int32_t>{1, 2, 5}));
    EXPECT_EQ(ue.sub_stmts, (OptUes{a.cur_ue, b.cur_ue, std::nullopt}));
    EXPECT_TRUE(ue.common_set);
    EXPECT_EQ(ue.common.clk_mode, ClockMode::PosEdge);
}

TEST_F(PoolFixture, GroupPoolKeepsTwoAssignmentsOfOneBodyApart) {
    AssignMetaGrpPool pool;
    const AssignMeta a = meta(x), b = meta(x), c = meta(x);
    pool.insert_asms(t.m, {a, b});
    pool.insert_asms(t.m, {});
    pool.insert_asms(t.m, {c});
    ASSERT_EQ(pool.groups().size(), 2u);
    EXPECT_EQ(pool.groups()[1].update_events, (std::vector<UpdateEventIdent>{b.cur_ue}));
    const std::vector<AssignMeta> folded = pool.gen_assign_metas(t.m);
    const UeGrp& g = t.event<UeGrp>(folded[0].cur_ue);
    EXPECT_EQ(g.events, (std::vector<UpdateEventIdent>{a.cur_ue, c.cur_ue}));
    EXPECT_EQ(g.common.priority, 10);
    EXPECT_EQ(folded[1].cur_ue.global_id(), folded[0].cur_ue.global_id() + 1);
}
