#include "model/complex_hardware/arb/arena_impl_arb.hpp"

#include "model/common/draw_id_by_take.hpp"
#include "model/flow_block/common/arena_factory_flow_block.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

namespace {

// Runs `step` on the arbiter taken out of its arena and returns its result;
// every call draws an id, the reads too.
template <class Step>
auto with_arb(ModelArena& model, const CcpIdent& arb_i, Step step) {
    return draw_id_by_take(model.take<Arb>(arb_i), step);
}

// The signal a sliced setter stores; resolved before the arbiter is taken.
HcpIdent resolve_for(ModelArena& model, const CcpIdent& arb_i, const char* role,
                     const HcpIdent& sig, const std::optional<Slice>& slice) {
    const std::string name = format("{}_{}", model.get<Arb>(arb_i).name(), role);
    return resolve_cond_slice(model, name, sig, slice);
}

const ArbLeaf& leaf_at(const Arb& arb, size_t idx) {
    if (idx >= arb.leaves.size())
        fatal(format("index out of bounds: the len is {} but the index is {}", arb.leaves.size(),
                     idx));
    return arb.leaves[idx];
}

}  // namespace

size_t arb_add_leaf(ModelArena& model, const CcpIdent& arb_i, int32_t priority) {
    return with_arb(model, arb_i, [&](Arb& a) { return a.add_leaf(priority, model); });
}

size_t arb_add_leaf_locked(ModelArena& model, const CcpIdent& arb_i, int32_t priority,
                           ArbLockedChannel channel) {
    return with_arb(model, arb_i,
                    [&](Arb& a) { return a.add_leaf_locked(priority, channel, model); });
}

void arb_lock_master_ack(ModelArena& model, const CcpIdent& arb_i) {
    with_arb(model, arb_i, [&](Arb& a) { a.set_master_ack_locked(model); });
}

void arb_set_master_ack_src(ModelArena& model, const CcpIdent& arb_i, const HcpIdent& src_i) {
    with_arb(model, arb_i, [&](Arb& a) { a.set_master_ack_src(src_i, model); });
}

void arb_set_master_ack(ModelArena& model, const CcpIdent& arb_i, const HcpIdent& src_i,
                        const std::optional<Slice>& src_slice) {
    arb_set_master_ack_src(model, arb_i, resolve_for(model, arb_i, "mack", src_i, src_slice));
}

void arb_set_user_hold(ModelArena& model, const CcpIdent& arb_i, const HcpIdent& cond_i,
                       const std::optional<Slice>& cond_slice) {
    const HcpIdent cond = resolve_for(model, arb_i, "hold", cond_i, cond_slice);
    with_arb(model, arb_i, [&](Arb& a) { a.set_user_hold(cond, model); });
}

void arb_set_user_reset(ModelArena& model, const CcpIdent& arb_i, const HcpIdent& cond_i,
                        const std::optional<Slice>& cond_slice) {
    const HcpIdent cond = resolve_for(model, arb_i, "reset", cond_i, cond_slice);
    with_arb(model, arb_i, [&](Arb& a) { a.set_user_reset(cond, model); });
}

size_t arb_leaf_count(ModelArena& model, const CcpIdent& arb_i) {
    return with_arb(model, arb_i, [](Arb& a) { return a.leaves.size(); });
}

HcpIdent arb_leaf_req(ModelArena& model, const CcpIdent& arb_i, size_t idx) {
    return with_arb(model, arb_i, [&](Arb& a) { return leaf_at(a, idx).req; });
}

HcpIdent arb_leaf_ack(ModelArena& model, const CcpIdent& arb_i, size_t idx) {
    return with_arb(model, arb_i, [&](Arb& a) { return leaf_at(a, idx).ack; });
}

HcpIdent arb_master_req(ModelArena& model, const CcpIdent& arb_i) {
    return with_arb(model, arb_i, [](Arb& a) { return a.master_req; });
}

}  // namespace vorlent
