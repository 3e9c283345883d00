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

// The arbiter and the zync block drive their one-bit grant and request wires
// through drive_wire; a wider wire is a slip of theirs, stopped before any
// event is pooled.
TEST(CcpHwBuildTest, DrivenWiresMustBeOneBit) {
    ArbDesign d;
    const HcpIdent wide = make_wire(d.m, true, "wide", 2);
    const HcpIdent one = make_wire(d.m, true, "one", 1);
    EXPECT_FATAL(drive_wire(d.m, wide, one),
                 "assertion failed: self.is_size_in_range_rel(b.get_size())");
    EXPECT_TRUE(get_hcp_assign(d.m, wide).get_update_pool().events.empty());
}
