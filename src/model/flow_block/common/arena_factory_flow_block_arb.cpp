#include "model/flow_block/common/arena_factory_flow_block_arb.hpp"

#include "model/arena_insert.hpp"
#include "model/complex_hardware/arb/arb.hpp"
#include "model/complex_hardware/arb/arena_impl_arb.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

namespace {
void require_pip_arb(const CcpIdent& arb_i) {
    assert_eq(arb_i.ccp_type, CcpType::Arb, "PipSchematic::new: ccp must be an Arb");
}
void require_zync_arb(const CcpIdent& arb_i) {
    assert_eq(arb_i.ccp_type, CcpType::Arb, "ZyncArbBind::new: ccp must be an Arb");
}

// A match-all grant needs the acknowledge of every bind in one cycle, and in
// that cycle every bind requests. Two binds of one arbiter are two of its
// leaves, in bind order: a leaf whose acknowledge is not tied to 1 is never
// granted while a leaf of higher priority, or one of equal priority that the
// arbiter's policy lets mask it, requests, so such a block waits for ever.
CheckResult check_match_all_grantable(const ModelArena& model, std::string_view name,
                                      const std::vector<ZyncBindArgs>& binds) {
    for (size_t i = 0; i < binds.size(); ++i) {
        if (binds[i].auto_ack) continue;
        for (size_t j = 0; j < binds.size(); ++j) {
            if (j == i || !(binds[j].arb_i == binds[i].arb_i)) continue;
            const ArbSamePriPolicy policy = model.get<Arb>(binds[i].arb_i).policy;
            const int32_t pi = binds[i].priority, pj = binds[j].priority;
            if (pj < pi || (pj == pi && !same_priority_masks(policy, i, j))) continue;
            return ErrorText::value(format(
                "mk_flow_block_zync_multi: zync block '{}' would wait for ever: with match_all "
                "it needs every bind granted in one cycle, but arbiter \"{}\" (policy {}) never "
                "grants binds[{}] (priority {}) while binds[{}] (priority {}) requests; bind that "
                "arbiter once",
                name, binds[i].arb_i.abs_name(), debug_repr(policy), i, pi, j, pj));
        }
    }
    return std::nullopt;
}

// One leaf per bind, in order, then the ZYNC block.
FlowBlockIdent insert_zync(ModelArena& model, std::string_view name,
                           const std::vector<ZyncBindArgs>& bind_args, bool match_all) {
    std::vector<ZyncArbBind> binds;
    binds.reserve(bind_args.size());
    for (const ZyncBindArgs& arg : bind_args)
        binds.push_back(add_zync_leaf(model, arg.arb_i, arg.priority, arg.auto_ack, arg.cond_i));
    return insert_flow_block(model, FlowBlockZync::make(name, std::move(binds), match_all));
}

}  // namespace

FlowBlockIdent make_flow_block_pip(ModelArena& model, std::string_view name, const CcpIdent& arb_i,
                                   int32_t priority, bool auto_req, bool auto_restart) {
    require_pip_arb(arb_i);
    if (auto_req)
        arb_add_leaf_locked(model, arb_i, priority, ArbLockedChannel::Req);
    else
        arb_add_leaf(model, arb_i, priority);
    return insert_flow_block(model, FlowBlockPip::make(name, arb_i, auto_restart));
}

ZyncArbBind add_zync_leaf(ModelArena& model, const CcpIdent& arb_i, int32_t priority, bool auto_ack,
                          const std::optional<HcpIdent>& cond_i) {
    require_zync_arb(arb_i);
    const size_t channel = auto_ack
                               ? arb_add_leaf_locked(model, arb_i, priority, ArbLockedChannel::Ack)
                               : arb_add_leaf(model, arb_i, priority);
    return ZyncArbBind{cond_i, arb_i, uint32_t(channel)};
}

Result<FlowBlockIdent> make_flow_block_zync_multi(ModelArena& model, std::string_view name,
                                                  const std::vector<ZyncBindArgs>& bind_args,
                                                  bool match_all) {
    if (bind_args.empty()) fatal("make_flow_block_zync_multi: at least one arb required");
    // Every bind is checked before the first leaf is registered, so a refused
    // block leaves no stray leaf behind.
    for (const ZyncBindArgs& arg : bind_args) require_zync_arb(arg.arb_i);
    if (match_all) {
        if (auto err = check_match_all_grantable(model, name, bind_args)) return *err;
    }
    return insert_zync(model, name, bind_args, match_all);
}

FlowBlockIdent make_flow_block_zync(ModelArena& model, std::string_view name, const CcpIdent& arb_i,
                                    int32_t priority, bool auto_ack) {
    require_zync_arb(arb_i);
    return insert_zync(model, name, {ZyncBindArgs{arb_i, priority, auto_ack, std::nullopt}}, false);
}

}  // namespace vorlent
