#include "ccp_test_support.hpp"
#include "hw_component/event_view.hpp"
#include "model/complex_hardware/arb/arena_factory_arb.hpp"
#include "model/complex_hardware/arb/arena_impl_arb.hpp"
#include "model/complex_hardware/common/ccp_hw_build.hpp"
#include "model/controller/asm_mode.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/module/build_flow.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

// A top module traced at its component stage.
struct ArbDesign {
    ModelArena m;
    ModuleIdent top = make_module(m, "top");
    ArbDesign() { track_module_at_com_init(m, top); }

    const Module& module() const { return m.arena<Module>().get(top.handle()); }
    const Arb& arb(const CcpIdent& a) const { return m.arena<Arb>().get(a.handle()); }
    // Ends the description and builds the design, which builds its arbiters.
    void build() {
        untrack_module_at_com_init(m, top);
        set_top_module(m, top);
        build_flow(m);
    }
};

}  // namespace

TEST(ArbTest, MakingAndLeavesDrawIdsInOrder) {
    ArbDesign d;
    const uint64_t b = peek_global_id();
    const CcpIdent a = make_arb(d.m, true, "a", ArbSamePriPolicy::NotAck);
    // The wire, the arbiter, the placeholder of the stamping take.
    EXPECT_EQ(d.arb(a).master_req.abs_name(), format("WIRE_a_MREQ_{}", b));
    EXPECT_EQ(a.abs_name(), format("ARB_a_{}", b + 1));
    // The arbiter's own signals are the system's, the arbiter the caller's.
    EXPECT_EQ(d.module().system_hcps[size_t(HwComponentType::Wire)],
              (std::vector<HcpIdent>{d.arb(a).master_req}));
    EXPECT_EQ(d.module().ccps, (std::vector<CcpIdent>{a}));

    // Per leaf: the placeholder, the request, the acknowledge; a locked
    // channel is a constant 1.
    const uint64_t l = peek_global_id();
    EXPECT_EQ(l, b + 3);
    EXPECT_EQ(arb_add_leaf(d.m, a, 3), 0u);
    EXPECT_EQ(arb_add_leaf_locked(d.m, a, -1, ArbLockedChannel::Req), 1u);
    EXPECT_EQ(arb_add_leaf_locked(d.m, a, 7, ArbLockedChannel::Ack), 2u);
    const std::vector<ArbLeaf>& leaves = d.arb(a).leaves;
    std::vector<std::string> names;
    for (const ArbLeaf& leaf : leaves)
        names.push_back(format("{} {} {} {}", leaf.priority, leaf.ack_locked, leaf.req.abs_name(),
                               leaf.ack.abs_name()));
    EXPECT_EQ(names, (std::vector<std::string>{
                         format("3 false WIRE_a_REQ0_{} WIRE_a_ACK0_{}", l + 1, l + 2),
                         format("-1 false VAL_a_REQ1_{} WIRE_a_ACK1_{}", l + 4, l + 5),
                         format("7 true WIRE_a_REQ2_{} VAL_a_ACK2_{}", l + 7, l + 8)}));
    EXPECT_EQ(d.m.arena<Val>().get(leaves[1].req.handle()).value, VaryVal::from_u64(1, 1));
}

TEST(ArbTest, SettersResolveTheirSliceAndTakeEachInputOnce) {
    ArbDesign d;
    const CcpIdent a = make_arb(d.m, true, "a1", ArbSamePriPolicy::AckOne);
    const HcpIdent bus = make_wire(d.m, true, "bus", 8);
    const HcpIdent bit = make_wire(d.m, true, "bit", 1);

    // A proper part of a wider signal becomes a slice expression, made
    // before the arbiter is taken out.
    const uint64_t b = peek_global_id();
    arb_set_user_hold(d.m, a, bus, Slice::range(2, 3));
    const HcpIdent hold = *d.arb(a).user_hold;
    EXPECT_EQ(hold.abs_name(), format("EXPR_a1_hold_CONDSLICE_{}", b));
    EXPECT_EQ(peek_global_id(), b + 2);
    // A slice over the whole signal leaves it as it is.
    arb_set_user_reset(d.m, a, bit, Slice::range(0, 1));
    EXPECT_EQ(d.arb(a).user_reset, bit);
    arb_set_master_ack(d.m, a, bus, Slice::range(7, 8));
    EXPECT_EQ(d.arb(a).master_ack->ident_base.rel_name(), "a1_mack_CONDSLICE");

    // A second call has made its slice expression before it is refused.
    const size_t exprs = d.module().system_hcps[size_t(HwComponentType::Expression)].size();
    EXPECT_FATAL(arb_set_user_hold(d.m, a, bus, Slice::range(0, 1)),
                 "Arb::set_user_hold: user hold already set");
    EXPECT_EQ(d.module().system_hcps[size_t(HwComponentType::Expression)].size(), exprs + 1);
    EXPECT_EQ(d.arb(a).user_hold, hold);

    // Every input is one bit wide, the selected part counted.
    const CcpIdent c = make_arb(d.m, true, "c", ArbSamePriPolicy::AckOne);
    EXPECT_FATAL(
        arb_set_user_reset(d.m, c, bus, Slice::range(1, 3)),
        "assertion `left == right` failed: Arb::set_user_reset: reset signal must be 1 bit\n"
        "  left: 2\n right: 1");
    EXPECT_FALSE(d.arb(c).user_reset);

    // Locking ties the master acknowledge to a new constant 1.
    arb_lock_master_ack(d.m, c);
    EXPECT_EQ(d.arb(c).master_ack->abs_name(),
              format("VAL_c_MACK_{}", d.arb(c).master_ack->global_id()));
}

namespace {

struct LeafShape {
    int32_t priority;
    std::optional<ArbLockedChannel> locked;
};

// What each acknowledge must be for the given requests.
std::vector<bool> expected_acks(const std::vector<LeafShape>& leaves, ArbSamePriPolicy policy,
                                const std::vector<bool>& req, bool mack) {
    std::vector<bool> out;
    for (size_t i = 0; i < leaves.size(); ++i) {
        if (leaves[i].locked == ArbLockedChannel::Ack) {
            out.push_back(true);
            continue;
        }
        bool ack = req[i] && mack;
        for (size_t j = 0; j < leaves.size(); ++j) {
            if (leaves[j].priority > leaves[i].priority && req[j]) ack = false;
            if (leaves[j].priority != leaves[i].priority || !req[j]) continue;
            if ((policy == ArbSamePriPolicy::AckOne && j < i) ||
                (policy == ArbSamePriPolicy::NotAck && j != i))
                ack = false;
        }
        out.push_back(ack);
    }
    return out;
}

// Builds an arbiter over `leaves` and checks the master request and every
// acknowledge against the rule for each combination of requests (and of
// the master acknowledge, when `with_mack`).
void check_grants(const std::vector<LeafShape>& leaves, ArbSamePriPolicy policy, bool with_mack) {
    SCOPED_TRACE(format("policy {} mack {}", debug_repr(policy), with_mack));
    ArbDesign d;
    const CcpIdent a = make_arb(d.m, true, "a", policy);
    for (const LeafShape& l : leaves)
        l.locked ? arb_add_leaf_locked(d.m, a, l.priority, *l.locked)
                 : arb_add_leaf(d.m, a, l.priority);
    const HcpIdent mack = make_wire(d.m, true, "mack", 1);
    if (with_mack) arb_set_master_ack_src(d.m, a, mack);
    d.build();

    const Arb& arb = d.arb(a);
    for (uint32_t bits = 0; bits < (2u << leaves.size()); ++bits) {
        const bool mack_on = !with_mack || (bits >> leaves.size()) & 1;
        std::vector<bool> req;
        std::map<uint64_t, bool> inputs{{mack.global_id(), mack_on}};
        for (size_t i = 0; i < leaves.size(); ++i) {
            req.push_back(leaves[i].locked == ArbLockedChannel::Req || ((bits >> i) & 1));
            if (arb.leaves[i].req.hw_type == HwComponentType::Wire)
                inputs[arb.leaves[i].req.global_id()] = req[i];
        }
        const LogicEval eval(d.m, inputs);
        std::vector<bool> acks;
        for (const ArbLeaf& l : arb.leaves) acks.push_back(eval(l.ack));
        EXPECT_EQ(acks, expected_acks(leaves, policy, req, mack_on)) << "requests " << bits;
        EXPECT_EQ(eval(arb.master_req), std::find(req.begin(), req.end(), true) != req.end());
    }
}

}  // namespace

TEST(ArbTest, AcknowledgesFollowPriorityThenThePolicy) {
    // Two priority levels (one negative) with three leaves on one of them,
    // a leaf locked on Req that always requests, and one locked on Ack.
    const std::vector<LeafShape> leaves{{0, std::nullopt}, {-1, std::nullopt},
                                        {0, std::nullopt}, {2, std::nullopt},
                                        {0, std::nullopt}, {-1, ArbLockedChannel::Ack}};
    for (auto policy :
         {ArbSamePriPolicy::AckOne, ArbSamePriPolicy::AckAll, ArbSamePriPolicy::NotAck})
        for (bool with_mack : {false, true}) check_grants(leaves, policy, with_mack);
    check_grants({{1, std::nullopt}, {5, ArbLockedChannel::Req}, {5, std::nullopt}},
                 ArbSamePriPolicy::NotAck, true);
}

TEST(ArbTest, SmallArbitersBuildLittleOrNothing) {
    ArbDesign d;
    const CcpIdent none = make_arb(d.m, true, "none", ArbSamePriPolicy::AckOne);
    const CcpIdent one = make_arb(d.m, true, "one", ArbSamePriPolicy::NotAck);
    arb_add_leaf(d.m, one, 0);
    const CcpIdent gated = make_arb(d.m, true, "gated", ArbSamePriPolicy::AckAll);
    arb_add_leaf(d.m, gated, 0);
    arb_lock_master_ack(d.m, gated);
    d.build();
    const LogicEval eval(d.m, {});

    // No leaf: the master request keeps only the wire default.
    for (const UpdateEventIdent& ue :
         get_hcp_assign(d.m, d.arb(none).master_req).get_update_pool().events)
        EXPECT_NE(get_ue_common(d.m, ue).priority, 50);
    // One leaf: the request itself drives both wires.
    EXPECT_EQ(eval.driver(d.arb(one).master_req), d.arb(one).leaves[0].req);
    EXPECT_EQ(eval.driver(d.arb(one).leaves[0].ack), d.arb(one).leaves[0].req);
    // A master acknowledge gates the grant.
    const HcpIdent gated_ack = eval.driver(d.arb(gated).leaves[0].ack);
    EXPECT_EQ(gated_ack.ident_base.rel_name(), "arb_ack_mack");
    EXPECT_EQ(d.m.arena<Expression>().get(gated_ack.handle()).operand_b, d.arb(gated).master_ack);
}

TEST(ArbTest, ArbitersAreBuiltInStampingOrderAfterTheModulesBlocks) {
    ArbDesign d;
    const CcpIdent first = make_arb(d.m, true, "first", ArbSamePriPolicy::AckOne);
    const CcpIdent second = make_arb(d.m, true, "second", ArbSamePriPolicy::AckOne);
    arb_add_leaf(d.m, second, 0);
    arb_add_leaf(d.m, second, 0);
    arb_add_leaf(d.m, first, 0);
    arb_add_leaf(d.m, first, 0);
    d.build();
    const LogicEval eval(d.m, {});
    EXPECT_LT(eval.driver(d.arb(first).master_req).global_id(),
              eval.driver(d.arb(second).master_req).global_id());
}

TEST(CcpHwBuildTest, DrivenWiresMustBeOneBitAndMuxesPickTheirArm) {
    ArbDesign d;
    const HcpIdent wide = make_wire(d.m, true, "wide", 2);
    const HcpIdent one = make_wire(d.m, true, "one", 1);
    EXPECT_FATAL(drive_wire(d.m, wide, one),
                 "assertion failed: self.is_size_in_range_rel(b.get_size())");
    EXPECT_TRUE(get_hcp_assign(d.m, wide).get_update_pool().events.empty());

    // dst = sel ? a : b, one conditional event at dst's own priority.
    set_asm_pri_to_manual(33);
    const HcpIdent dst = make_wire(d.m, true, "dst", 4);
    const HcpIdent a = make_reg(d.m, true, "a", 4), b = make_reg(d.m, true, "b", 4);
    mux_into_wire(d.m, dst, a, b, one);
    set_asm_pri_to_auto();
    const auto& pool = get_hcp_assign(d.m, dst).get_update_pool().events;
    ASSERT_EQ(pool.size(), 1u);
    ASSERT_EQ(pool[0].kind, UeType::Cond);
    const UeCond& c = d.m.arena<UeCond>().get(pool[0].handle());
    EXPECT_EQ(c.conds.at(0), one);
    EXPECT_EQ(view_event(d.m, *c.sub_stmts.at(0)), (Ev{33, {}, a, {0, 4}, {0, 4}}));
    EXPECT_EQ(view_event(d.m, *c.sub_stmts.at(1)), (Ev{33, {}, b, {0, 4}, {0, 4}}));
    // Arms narrower than the destination are refused.
    const HcpIdent narrow = make_reg(d.m, true, "narrow", 3);
    EXPECT_FATAL(mux_into_wire(d.m, dst, narrow, b, one),
                 "assertion failed: self.is_size_in_range_rel(b.get_size())");
}
