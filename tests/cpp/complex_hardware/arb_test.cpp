#include "ccp_test_support.hpp"
#include "model/complex_hardware/arb/arena_factory_arb.hpp"
#include "model/complex_hardware/arb/arena_impl_arb.hpp"
#include "model/complex_hardware/common/ccp_hw_build.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/controller/asm_mode.hpp"
#include "model/module/build_flow.hpp"

using namespace vorlent;
using vorlent::testing::LogicEval;
using vorlent::testing::names_of;

namespace {

// A top module traced at its component stage.
struct ArbDesign {
    ModelArena m;
    ModuleIdent top = mk_module(m, "top");
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

std::string width_assertion(const char* msg, int width) {
    return format("assertion `left == right` failed: {}\n  left: {}\n right: 1", msg, width);
}

}  // namespace

TEST(ArbTest, MakingDrawsTheWireThenTheIdentityThenThePlaceholder) {
    ArbDesign d;
    const uint64_t b = peek_global_id();
    const CcpIdent a = make_arb(d.m, true, "a", ArbSamePriPolicy::NotAck);
    EXPECT_EQ(a.abs_name(), format("ARB_a_{}", b + 1));
    EXPECT_EQ(a.ccp_type, CcpType::Arb);
    EXPECT_EQ(peek_global_id(), b + 3);
    EXPECT_EQ(a.module_ident, d.top);
    EXPECT_EQ(d.arb(a).ident, a);
    EXPECT_EQ(d.arb(a).policy, ArbSamePriPolicy::NotAck);
    EXPECT_EQ(d.arb(a).master_req.abs_name(), format("WIRE_a_MREQ_{}", b));
    EXPECT_TRUE(d.arb(a).leaves.empty());
    EXPECT_FALSE(d.arb(a).master_ack || d.arb(a).user_hold || d.arb(a).user_reset);
    // The arbiter's own signals are the system's, the arbiter the caller's.
    EXPECT_EQ(names_of(d.module().system_hcps[size_t(HwComponentType::Wire)]),
              (std::vector<std::string>{format("WIRE_a_MREQ_{}", b)}));
    EXPECT_EQ(d.module().ccps, (std::vector<CcpIdent>{a}));

    // The wire is named first, and its names are the longer ones: a name
    // too long for the arbiter is refused there.
    const std::string long_name(251, 'n');
    const uint64_t id = peek_global_id();
    EXPECT_FATAL(make_arb(d.m, true, long_name, ArbSamePriPolicy::AckOne),
                 format("name exceeds MAX_NAME_LEN (256): \"WIRE_{}_MREQ_{}\"", long_name, id));
    EXPECT_FATAL(make_arb(d.m, true, std::string(253, 'n'), ArbSamePriPolicy::AckOne),
                 format("name exceeds MAX_NAME_LEN (256): \"{}_MREQ\"", std::string(253, 'n')));

    // Refused while flow is built, after the arbiter and its wire are made.
    push_module_trace(d.m, d.top, ModuleInitStage::FlowBlockBuild);
    const size_t arbs = d.m.arena<Arb>().size();
    EXPECT_FATAL(make_arb(d.m, true, "late", ArbSamePriPolicy::AckOne),
                 "stamp_ccp_to_parent_module: CCPs cannot be created during FlowBlockBuild");
    EXPECT_EQ(d.m.arena<Arb>().size(), arbs + 1);
    EXPECT_EQ(d.module().ccps.size(), 1u);
}

TEST(ArbTest, LeavesAreNumberedInOrderAndEveryCallTakesTheArbiterOnce) {
    ArbDesign d;
    const CcpIdent a = make_arb(d.m, true, "a", ArbSamePriPolicy::AckOne);
    const uint64_t b = peek_global_id();
    EXPECT_EQ(arb_add_leaf(d.m, a, 3), 0u);
    EXPECT_EQ(arb_add_leaf_locked(d.m, a, -1, ArbLockedChannel::Req), 1u);
    EXPECT_EQ(arb_add_leaf_locked(d.m, a, 7, ArbLockedChannel::Ack), 2u);
    EXPECT_EQ(peek_global_id(), b + 9);  // per leaf: the placeholder, the request, the acknowledge

    const std::vector<ArbLeaf>& leaves = d.arb(a).leaves;
    ASSERT_EQ(leaves.size(), 3u);
    EXPECT_EQ(leaves[0].req.abs_name(), format("WIRE_a_REQ0_{}", b + 1));
    EXPECT_EQ(leaves[0].ack.abs_name(), format("WIRE_a_ACK0_{}", b + 2));
    EXPECT_EQ(leaves[1].req.abs_name(), format("VAL_a_REQ1_{}", b + 4));
    EXPECT_EQ(leaves[1].ack.abs_name(), format("WIRE_a_ACK1_{}", b + 5));
    EXPECT_EQ(leaves[2].req.abs_name(), format("WIRE_a_REQ2_{}", b + 7));
    EXPECT_EQ(leaves[2].ack.abs_name(), format("VAL_a_ACK2_{}", b + 8));
    EXPECT_EQ((std::vector<int32_t>{leaves[0].priority, leaves[1].priority, leaves[2].priority}),
              (std::vector<int32_t>{3, -1, 7}));
    EXPECT_EQ((std::vector<bool>{leaves[0].ack_locked, leaves[1].ack_locked, leaves[2].ack_locked}),
              (std::vector<bool>{false, false, true}));
    const Val& locked = d.m.arena<Val>().get(leaves[1].req.handle());
    EXPECT_EQ(locked.bit_width, 1);
    EXPECT_EQ(locked.value.limbs, (std::vector<uint64_t>{1}));

    // Reads take the arbiter out too: one id each.
    const uint64_t r = peek_global_id();
    EXPECT_EQ(arb_leaf_count(d.m, a), 3u);
    EXPECT_EQ(arb_leaf_req(d.m, a, 2), leaves[2].req);
    EXPECT_EQ(arb_leaf_ack(d.m, a, 0), leaves[0].ack);
    EXPECT_EQ(arb_master_req(d.m, a), d.arb(a).master_req);
    EXPECT_EQ(peek_global_id(), r + 4);

    // An index past the leaves stops; the arbiter is back in its slot.
    EXPECT_FATAL(arb_leaf_req(d.m, a, 3), "index out of bounds: the len is 3 but the index is 3");
    EXPECT_FATAL(arb_leaf_ack(d.m, a, 9), "index out of bounds: the len is 3 but the index is 9");
    EXPECT_EQ(arb_leaf_count(d.m, a), 3u);
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
    EXPECT_FATAL(arb_set_user_hold(d.m, a, bus, Slice::range(0, 1)), "Arb::set_user_hold: user hold already set");
    EXPECT_EQ(d.module().system_hcps[size_t(HwComponentType::Expression)].size(), exprs + 1);
    EXPECT_EQ(d.arb(a).user_hold, hold);
    EXPECT_FATAL(arb_set_user_reset(d.m, a, bit, std::nullopt), "Arb::set_user_reset: user reset already set");
    EXPECT_FATAL(arb_set_master_ack_src(d.m, a, bit), "Arb::set_master_ack_src: master ack already set");
    EXPECT_FATAL(arb_lock_master_ack(d.m, a), "Arb::set_master_ack_locked: master ack already set");

    // Every input is one bit wide.
    const CcpIdent c = make_arb(d.m, true, "c", ArbSamePriPolicy::AckOne);
    EXPECT_FATAL(arb_set_user_hold(d.m, c, bus, std::nullopt),
                 width_assertion("Arb::set_user_hold: hold signal must be 1 bit", 8));
    EXPECT_FATAL(arb_set_user_reset(d.m, c, bus, Slice::range(1, 3)),
                 width_assertion("Arb::set_user_reset: reset signal must be 1 bit", 2));
    EXPECT_FATAL(arb_set_master_ack_src(d.m, c, bus),
                 width_assertion("Arb::set_master_ack_src: master ack source must be 1 bit", 8));
    HcpIdent nest = bit;
    nest.hw_type = HwComponentType::Nest;
    EXPECT_FATAL(arb_set_master_ack_src(d.m, c, nest), "HwComponentType Nest is not HCP-assignable");
    EXPECT_FALSE(d.arb(c).user_hold || d.arb(c).user_reset || d.arb(c).master_ack);

    // Locking ties the master acknowledge to a new constant 1, and then
    // refuses any other source.
    arb_lock_master_ack(d.m, c);
    EXPECT_EQ(d.arb(c).master_ack->abs_name(), format("VAL_c_MACK_{}", d.arb(c).master_ack->global_id()));
    EXPECT_FATAL(arb_set_master_ack(d.m, c, bit, std::nullopt), "Arb::set_master_ack_src: master ack already set");
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
            if ((policy == ArbSamePriPolicy::AckOne && j < i) || (policy == ArbSamePriPolicy::NotAck && j != i))
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
        l.locked ? arb_add_leaf_locked(d.m, a, l.priority, *l.locked) : arb_add_leaf(d.m, a, l.priority);
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
            if (arb.leaves[i].req.hw_type == HwComponentType::Wire) inputs[arb.leaves[i].req.global_id()] = req[i];
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
    const std::vector<LeafShape> leaves{{0, std::nullopt},  {-1, std::nullopt}, {0, std::nullopt},
                                       {2, std::nullopt},  {0, std::nullopt},  {-1, ArbLockedChannel::Ack}};
    for (auto policy : {ArbSamePriPolicy::AckOne, ArbSamePriPolicy::AckAll, ArbSamePriPolicy::NotAck})
        for (bool with_mack : {false, true}) check_grants(leaves, policy, with_mack);
    check_grants({{1, std::nullopt}, {5, ArbLockedChannel::Req}, {5, std::nullopt}}, ArbSamePriPolicy::NotAck, true);
}

TEST(ArbTest, BuildMakesOneMaskPerLevelInLeafOrder) {
    ArbDesign d;
    const CcpIdent a = make_arb(d.m, true, "a", ArbSamePriPolicy::AckOne);
    for (int i = 0; i < 3; ++i) arb_add_leaf(d.m, a, 4);
    d.build();
    const Arb& arb = d.arb(a);
    const LogicEval eval(d.m, {});

    // The master request: ((req0 | req1) | req2), driven at 50 with no clock.
    const HcpIdent mreq_src = eval.driver(arb.master_req);
    const Expression& top_or = d.m.arena<Expression>().get(mreq_src.handle());
    EXPECT_EQ(mreq_src.ident_base.rel_name(), "node_logic_expr");
    EXPECT_EQ(top_or.operand_b, arb.leaves[2].req);
    const Expression& inner_or = d.m.arena<Expression>().get(top_or.operand_a->handle());
    EXPECT_EQ(inner_or.operand_a, arb.leaves[0].req);
    EXPECT_EQ(inner_or.operand_b, arb.leaves[1].req);
    const UpdateEventIdent& drive = get_hcp_assign(d.m, arb.master_req).get_update_pool().events.at(0);
    EXPECT_EQ(get_ue_common(d.m, drive).clk_mode, ClockMode::ClkFree);
    EXPECT_FALSE(get_ue_common(d.m, drive).clk_src_i.has_value());

    // AckOne: leaf 0 takes its request as is, leaf 1 masks request 0, leaf 2
    // masks (request 0 | request 1).
    EXPECT_EQ(eval.driver(arb.leaves[0].ack), arb.leaves[0].req);
    const HcpIdent ack1 = eval.driver(arb.leaves[1].ack);
    EXPECT_EQ(ack1.ident_base.rel_name(), "arb_ack_same");
    const Expression& and1 = d.m.arena<Expression>().get(ack1.handle());
    EXPECT_EQ(and1.operand_a, arb.leaves[1].req);
    EXPECT_EQ(and1.operand_b->ident_base.rel_name(), "arb_same_inv");
    EXPECT_EQ(d.m.arena<Expression>().get(and1.operand_b->handle()).operand_a, arb.leaves[0].req);
    const Expression& and2 = d.m.arena<Expression>().get(eval.driver(arb.leaves[2].ack).handle());
    const Expression& inv2 = d.m.arena<Expression>().get(and2.operand_b->handle());
    EXPECT_EQ(inv2.operand_a->ident_base.rel_name(), "node_logic_expr");
    // Everything the build made was filed into the module, beside the
    // start node's expression.
    EXPECT_TRUE(d.m.pending_hcps.empty());
    EXPECT_EQ(d.module().system_hcps[size_t(HwComponentType::Expression)].size(), 1u + 7u);
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
    for (const UpdateEventIdent& ue : get_hcp_assign(d.m, d.arb(none).master_req).get_update_pool().events)
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
    EXPECT_LT(eval.driver(d.arb(first).master_req).global_id(), eval.driver(d.arb(second).master_req).global_id());
}

TEST(CcpHwBuildTest, DrivenWiresMustBeOneBitAndMuxesPickTheirArm) {
    ArbDesign d;
    const HcpIdent wide = make_wire(d.m, true, "wide", 2);
    const HcpIdent one = make_wire(d.m, true, "one", 1);
    EXPECT_FATAL(drive_wire(d.m, wide, one), "assertion failed: self.is_size_in_range_rel(b.get_size())");
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
    EXPECT_EQ(get_ue_common(d.m, pool[0]).priority, 33);
    const UeCond& c = d.m.arena<UeCond>().get(pool[0].handle());
    EXPECT_EQ(c.conds.at(0), one);
    const UeBasic& left = d.m.arena<UeBasic>().get(c.sub_stmts.at(0)->handle());
    const UeBasic& right = d.m.arena<UeBasic>().get(c.sub_stmts.at(1)->handle());
    EXPECT_EQ(left.src, a);
    EXPECT_EQ(right.src, b);
    EXPECT_EQ((std::vector<int32_t>{left.des_start, left.des_stop, left.src_start, left.src_stop}),
              (std::vector<int32_t>{0, 4, 0, 4}));
    // Arms narrower than the destination are refused.
    const HcpIdent narrow = make_reg(d.m, true, "narrow", 3);
    EXPECT_FATAL(mux_into_wire(d.m, dst, narrow, b, one), "assertion failed: self.is_size_in_range_rel(b.get_size())");
}
