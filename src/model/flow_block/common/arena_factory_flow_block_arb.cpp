#include "model/flow_block/common/arena_factory_flow_block_arb.hpp"

#include <algorithm>
#include <optional>
#include <utility>

#include "model/arena_insert.hpp"
#include "model/complex_hardware/arb/arb.hpp"
#include "model/complex_hardware/arb/arena_impl_arb.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/hw_component/val.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

namespace {
void require_pip_arb(const CcpIdent& arb_i) {
    assert_eq(arb_i.ccp_type, CcpType::Arb, "PipSchematic::new: ccp must be an Arb");
}
void require_zync_arb(const CcpIdent& arb_i) {
    assert_eq(arb_i.ccp_type, CcpType::Arb, "ZyncArbBind::new: ccp must be an Arb");
}

// What a bind's condition says of its requests. A constant 0 never lets the
// bind request, nor its grant term hold; a 1-bit constant 1 lets it request
// whenever the block waits, as no condition does. Any other condition (a
// wider constant of another value included) is left to the design.
enum class BindRequests : uint8_t { Never, Always, Sometimes };

BindRequests bind_requests(const ModelArena& model, const ZyncBindArgs& bind) {
    if (!bind.cond_i) return BindRequests::Always;
    if (bind.cond_i->hw_type != HwComponentType::Val) return BindRequests::Sometimes;
    const Val& cond = model.get<Val>(*bind.cond_i);
    const auto& limbs = cond.value.limbs;
    if (std::all_of(limbs.begin(), limbs.end(), [](uint64_t limb) { return limb == 0; }))
        return BindRequests::Never;
    return cond.bit_width == 1 ? BindRequests::Always : BindRequests::Sometimes;
}

// Two binds of one arbiter are two of its leaves, in bind order: a leaf whose
// acknowledge is not tied to 1 is never granted while a leaf of higher
// priority, or one of equal priority that the arbiter's policy lets mask it,
// requests. The bind of `binds` that keeps bind `i` from ever being granted
// while both request, if one does; `always` counts only binds that request
// whenever the block waits.
std::optional<size_t> bind_masking(const ModelArena& model, const std::vector<ZyncBindArgs>& binds,
                                   const std::vector<BindRequests>& requests, size_t i,
                                   bool always) {
    if (binds[i].auto_ack) return std::nullopt;
    for (size_t j = 0; j < binds.size(); ++j) {
        if (j == i || !(binds[j].arb_i == binds[i].arb_i) ||
            (always && requests[j] != BindRequests::Always))
            continue;
        const ArbSamePriPolicy policy = model.get<Arb>(binds[i].arb_i).policy;
        const int32_t pi = binds[i].priority, pj = binds[j].priority;
        if (pj > pi || (pj == pi && same_priority_masks(policy, i, j))) return j;
    }
    return std::nullopt;
}

// A block that could never be granted would wait for ever. A match-all grant
// needs every bind acknowledged in one cycle, in which every bind requests,
// so one bind that never requests or is masked is enough; any other block
// waits for ever only when each of its binds never requests or is masked by
// a bind that always requests.
CheckResult check_grantable(const ModelArena& model, std::string_view name,
                            const std::vector<ZyncBindArgs>& binds, bool match_all) {
    std::vector<BindRequests> requests;
    requests.reserve(binds.size());
    for (const ZyncBindArgs& bind : binds) requests.push_back(bind_requests(model, bind));
    const std::string_view needs =
        match_all ? "with match_all it needs every bind granted in one cycle"
                  : "it needs one bind granted";
    const auto silent = std::find(requests.begin(), requests.end(), BindRequests::Never);
    const auto never_requests = [&] {
        const size_t i = size_t(silent - requests.begin());
        return ErrorText::value(format(
            "mk_flow_block_zync_multi: zync block '{}' would wait for ever: {}, but the condition "
            "of binds[{}] (\"{}\") is the constant 0, so that bind never requests{}; give it a "
            "condition that can be 1, or drop the bind",
            name, needs, i, binds[i].cond_i->abs_name(),
            match_all || binds.size() == 1
                ? ""
                : ", and no other bind is ever granted either (each has the constant 0 as its "
                  "condition or waits on a bind of its arbiter that always requests)"));
    };
    if (match_all && silent != requests.end()) return never_requests();
    std::optional<std::pair<size_t, size_t>> masked;
    for (size_t i = 0; i < binds.size(); ++i) {
        if (requests[i] == BindRequests::Never) continue;
        const std::optional<size_t> j = bind_masking(model, binds, requests, i, !match_all);
        if (!j) {
            if (match_all) continue;
            return std::nullopt;
        }
        if (!masked) masked = {i, *j};
        if (match_all) break;
    }
    // Without match_all, every bind is one that never requests or is masked.
    if (silent != requests.end()) return never_requests();
    if (!masked) return std::nullopt;
    const auto [i, j] = *masked;
    const CcpIdent& arb_i = binds[i].arb_i;
    return ErrorText::value(format(
        "mk_flow_block_zync_multi: zync block '{}' would wait for ever: {}, but arbiter \"{}\" "
        "(policy {}) never grants binds[{}] (priority {}) while binds[{}] (priority {}) requests; "
        "bind that arbiter once",
        name,
        match_all ? needs
                  : "it needs one bind granted, and each bind waits on another that always requests",
        arb_i.abs_name(), debug_repr(model.get<Arb>(arb_i).policy), i, binds[i].priority, j,
        binds[j].priority));
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
    if (auto err = check_grantable(model, name, bind_args, match_all)) return *err;
    return insert_zync(model, name, bind_args, match_all);
}

FlowBlockIdent make_flow_block_zync(ModelArena& model, std::string_view name, const CcpIdent& arb_i,
                                    int32_t priority, bool auto_ack) {
    require_zync_arb(arb_i);
    return insert_zync(model, name, {ZyncBindArgs{arb_i, priority, auto_ack, std::nullopt}}, false);
}

}  // namespace vorlent
