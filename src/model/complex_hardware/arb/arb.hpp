// A fixed-priority request/acknowledge arbiter over any number of leaves.
// Its signals are made with the arbiter and its leaves; the logic that drives
// the master request and the acknowledges is made by `build`, at build_flow.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "model/complex_hardware/arb/arb_leaf.hpp"
#include "model/complex_hardware/common/ccp_base.hpp"

namespace vorlent {

class Arb final : public CcpRecord {
public:
    HcpIdent master_req;            // "{name}_MREQ": the OR of every leaf's request
    OptIdent<HcpIdent> master_ack;  // gates every acknowledge when set
    // Stored for the pipeline block that serves this arbiter; the arbiter's
    // own logic never reads them.
    OptIdent<HcpIdent> user_hold;
    OptIdent<HcpIdent> user_reset;
    std::vector<ArbLeaf> leaves;  // a leaf's index is its position
    ArbSamePriPolicy policy = ArbSamePriPolicy::AckOne;

    // The master request wire first, then the identity, so the wire takes
    // the lower global id. Not inserted.
    static Arb make(ModelArena& model, bool is_user_com, std::string_view name,
                    ArbSamePriPolicy policy);

    // A leaf with two new 1-bit wires "{name}_REQ{i}" and "{name}_ACK{i}",
    // made in that order; returns its index i.
    size_t add_leaf(int32_t priority, ModelArena& model);
    // The same, with the given channel the 1-bit constant 1 instead.
    size_t add_leaf_locked(int32_t priority, ArbLockedChannel channel, ModelArena& model);

    // Ties the master acknowledge to a new constant 1 "{name}_MACK".
    void set_master_ack_locked(ModelArena& model);
    // Each input can be set once, to a 1-bit signal.
    void set_master_ack_src(const HcpIdent& src, const ModelArena& model);
    void set_user_hold(const HcpIdent& cond, const ModelArena& model);
    void set_user_reset(const HcpIdent& cond, const ModelArena& model);

    std::string_view name() const { return ident.ident_base.rel_name(); }

    // Drives the master request and the acknowledge of every leaf not locked
    // on Ack. Nothing without leaves.
    void build(ModelArena& model) override;

    static Arb arena_default() { return placeholder_of<Arb>(CcpType::Arb); }
};

}  // namespace vorlent
