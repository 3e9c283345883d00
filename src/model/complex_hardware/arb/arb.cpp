#include "model/complex_hardware/arb/arb.hpp"

#include "model/common/enum_name.hpp"
#include "model/complex_hardware/common/ccp_hw_build.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"

namespace vorlent {

std::string debug_repr(ArbSamePriPolicy p) {
    return std::string(enum_name(p, {"AckOne", "AckAll", "NotAck"}));
}

std::string debug_repr(ArbLockedChannel c) { return c == ArbLockedChannel::Ack ? "Ack" : "Req"; }

Arb Arb::make(ModelArena& model, bool is_user_com, std::string_view name, ArbSamePriPolicy policy) {
    Arb a;
    a.master_req = make_wire(model, false, format("{}_MREQ", name), 1);
    a.ident = CcpIdent::make(CcpType::Arb, is_user_com, name);
    a.policy = policy;
    return a;
}

namespace {
HcpIdent leaf_signal(ModelArena& model, std::string name, bool locked) {
    return locked ? make_val(model, false, name, 1, 1) : make_wire(model, false, name, 1);
}
}  // namespace

size_t Arb::add_leaf(int32_t priority, ModelArena& model) {
    const size_t i = leaves.size();
    HcpIdent req = make_wire(model, false, format("{}_REQ{}", name(), i), 1);
    HcpIdent ack = make_wire(model, false, format("{}_ACK{}", name(), i), 1);
    leaves.push_back(ArbLeaf{std::move(req), std::move(ack), priority, false});
    return i;
}

size_t Arb::add_leaf_locked(int32_t priority, ArbLockedChannel channel, ModelArena& model) {
    const size_t i = leaves.size();
    const bool on_ack = channel == ArbLockedChannel::Ack;
    HcpIdent req = leaf_signal(model, format("{}_REQ{}", name(), i), !on_ack);
    HcpIdent ack = leaf_signal(model, format("{}_ACK{}", name(), i), on_ack);
    leaves.push_back(ArbLeaf{std::move(req), std::move(ack), priority, on_ack});
    return i;
}

void Arb::set_master_ack_locked(ModelArena& model) {
    if (master_ack) fatal("Arb::set_master_ack_locked: master ack already set");
    master_ack = make_val(model, false, format("{}_MACK", name()), 1, 1);
}

namespace {
// Stores a 1-bit input that may be set once.
void set_once(OptIdent<HcpIdent>& slot, const HcpIdent& sig, const ModelArena& model,
              const char* already_set, const char* not_one_bit) {
    if (slot) fatal(already_set);
    const int32_t width = get_hcp_assign(model, sig).get_des_slice().size();
    assert_eq(width, 1, not_one_bit);
    slot = sig;
}
}  // namespace

void Arb::set_master_ack_src(const HcpIdent& src, const ModelArena& model) {
    set_once(master_ack, src, model, "Arb::set_master_ack_src: master ack already set",
             "Arb::set_master_ack_src: master ack source must be 1 bit");
}

void Arb::set_user_hold(const HcpIdent& cond, const ModelArena& model) {
    set_once(user_hold, cond, model, "Arb::set_user_hold: user hold already set",
             "Arb::set_user_hold: hold signal must be 1 bit");
}

void Arb::set_user_reset(const HcpIdent& cond, const ModelArena& model) {
    set_once(user_reset, cond, model, "Arb::set_user_reset: user reset already set",
             "Arb::set_user_reset: reset signal must be 1 bit");
}

namespace {

// The left-leaning OR of the requests of the selected leaves, in leaf order;
// none when no leaf is selected.
template <class Pick>
std::optional<HcpIdent> or_of_requests(ModelArena& model, const std::vector<ArbLeaf>& leaves,
                                       Pick pick) {
    std::optional<HcpIdent> acc;
    for (size_t j = 0; j < leaves.size(); ++j) {
        if (!pick(j)) continue;
        acc = acc ? make_expression(model, false, "node_logic_expr", LogicOp::BitwiseOr, *acc,
                                    leaves[j].req, std::nullopt, std::nullopt)
                  : leaves[j].req;
    }
    return acc;
}

// term AND NOT mask, as "{inv_name}" and "{and_name}"; term itself without a mask.
HcpIdent and_not(ModelArena& model, const HcpIdent& term, const std::optional<HcpIdent>& mask,
                 const char* inv_name, const char* and_name) {
    if (!mask) return term;
    const HcpIdent inv =
        make_expression_single(model, false, inv_name, LogicOp::BitwiseInvr, *mask, std::nullopt);
    return make_expression(model, false, and_name, LogicOp::BitwiseAnd, term, inv, std::nullopt,
                           std::nullopt);
}

}  // namespace

bool same_priority_masks(ArbSamePriPolicy policy, size_t i, size_t j) {
    switch (policy) {
        case ArbSamePriPolicy::AckOne:
            return j < i;
        case ArbSamePriPolicy::AckAll:
            return false;
        case ArbSamePriPolicy::NotAck:
            return j != i;
    }
    return false;
}

void Arb::build(ModelArena& model) {
    if (leaves.empty()) return;
    const HcpIdent all = *or_of_requests(model, leaves, [](size_t) { return true; });
    drive_wire(model, master_req, all);

    for (size_t i = 0; i < leaves.size(); ++i) {
        const ArbLeaf& leaf = leaves[i];
        if (leaf.ack_locked) continue;
        const int32_t p = leaf.priority;
        HcpIdent term = leaf.req;
        if (master_ack)
            term = make_expression(model, false, "arb_ack_mack", LogicOp::BitwiseAnd, term,
                                   *master_ack, std::nullopt, std::nullopt);
        const auto higher =
            or_of_requests(model, leaves, [&](size_t j) { return leaves[j].priority > p; });
        term = and_not(model, term, higher, "arb_hi_inv", "arb_ack_hi");
        const auto same = or_of_requests(model, leaves, [&](size_t j) {
            return leaves[j].priority == p && same_priority_masks(policy, i, j);
        });
        term = and_not(model, term, same, "arb_same_inv", "arb_ack_same");
        drive_wire(model, leaf.ack, term);
    }
}

}  // namespace vorlent
