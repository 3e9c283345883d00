#include "model/nodes/arena_impl_node.hpp"

#include <algorithm>
#include <unordered_set>

#include "model/common/draw_id_by_take.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

namespace {

// Calls `f` with the record class behind `t`.
template <class F>
decltype(auto) with_node_kind(NodeType t, F&& f) {
    return visit_kind(t, f, [&]() -> decltype(f(std::type_identity<AsmNode>{})) {
        fatal(format("invalid NodeType {}", int(t)));
    });
}

// Takes the assignment node out, runs `step` on it and puts it back.
template <class Step>
void with_asm_node(ModelArena& model, const NcpIdent& node, std::string_view op, Step&& step) {
    if (node.node_type != NodeType::Asm) [[unlikely]]
        fatal_assert_cmp("==", format("{}: node must be an AsmNode", op),
                         debug_repr(node.node_type), debug_repr(NodeType::Asm));
    draw_id_by_take(model.take<AsmNode>(node), step);
}

}  // namespace

TakenNode take_ncp_node(ModelArena& model, const NcpIdent& ident) {
    return with_node_kind(ident.node_type, [&]<class T>(std::type_identity<T>) -> TakenNode {
        return model.take<T>(ident);
    });
}

const NcpNode& get_ncp_node(const ModelArena& model, const NcpIdent& ident) {
    return with_node_kind(ident.node_type, [&]<class T>(std::type_identity<T>) -> const NcpNode& {
        return model.get<T>(ident);
    });
}

NcpNode& get_ncp_node_mut(ModelArena& model, const NcpIdent& ident) {
    return with_node_kind(ident.node_type, [&]<class T>(std::type_identity<T>) -> NcpNode& {
        return model.get_mut<T>(ident);
    });
}

void assign_ncp_node(ModelArena& model, const NcpIdent& ident, bool prelim, bool final) {
    draw_id_by_take(take_ncp_node(model, ident), [&](NcpNode& node) {
        if (prelim) node.assign_prelim(model);
        if (final) node.assign_final(model);
    });
}

void dry_assign_asm_node(ModelArena& model, const NcpIdent& node) {
    with_asm_node(model, node, "dry_assign_asm_node", [&](AsmNode& n) { n.dry_assign(model); });
}

void init_asm_node_clk_src(ModelArena& model, const NcpIdent& node) {
    with_asm_node(model, node, "init_asm_node_clk_src", [&](AsmNode& n) { n.set_clk_src(model); });
}

void assign_asm_from_state_node(ModelArena& model, const NcpIdent& node) {
    with_asm_node(model, node, "assign_asm_from_state_node",
                  [&](AsmNode& n) { n.assign_from_state_node(model); });
}

void set_asm_node_clk_src_direct(ModelArena& model, const NcpIdent& node, const HcpIdent& clk) {
    with_asm_node(model, node, "set_asm_node_clk_src_direct",
                  [&](AsmNode& n) { n.set_clk_src(model, clk); });
}

void apply_asm_node_pending_pre_cond(ModelArena& model, const NcpIdent& node) {
    with_asm_node(model, node, "apply_asm_node_pending_pre_cond",
                  [&](AsmNode& n) { n.apply_pending_pre_cond(model); });
}

namespace {

// A walk back from a node through the nodes that pass a firing on at once,
// each reached once. Within `span` (empty: everywhere) it follows only the
// predecessors made there. A built block's exit that an earlier walk has been
// through (an AtOnceRegion) is left through the ways out recorded for it, so
// no walk goes through the inside of a block twice: nested blocks cost their
// nodes once, not once per level above them.
class AtOnceWalk {
public:
    AtOnceWalk(const ModelArena& model, IdSpan span) : model_(model), span_(span) {}

    // Runs from `start` until `reached(node, leaves)` holds for a node
    // reached (`leaves`: the node has a predecessor outside the span); says
    // whether it did.
    template <class Reached>
    bool run(const NcpIdent& start, Reached reached) {
        todo_.push_back(start);
        while (!todo_.empty()) {
            const NcpIdent id = todo_.back();
            todo_.pop_back();
            if (!seen_.insert(id.global_id()).second) continue;
            const auto region = model_.at_once_regions.find(id.global_id());
            if (region == model_.at_once_regions.end()) {
                if (visit(id, IdSpan{}, reached)) return true;
                continue;
            }
            const AtOnceRegion& r = region->second;
            if (visit(id, r.made, reached)) return true;
            for (const NcpIdent& out : r.ways_out)
                if (seen_.insert(out.global_id()).second && visit(out, r.made, reached))
                    return true;
        }
        return false;
    }

private:
    // Reports a node reached and queues its predecessors but those made in
    // `skip`; a node that does not pass a firing on at once ends the way.
    template <class Reached>
    bool visit(const NcpIdent& id, IdSpan skip, Reached& reached) {
        const NcpNode& node = get_ncp_node(model_, id);
        if (!node.exit_follows_depends_at_once()) return false;
        bool leaves = false;
        for (const DependEdge& e : node.get_node_triggers().depend_nodes) {
            const uint64_t pred = e.node.global_id();
            if (!span_.empty() && !span_.contains(pred)) {
                leaves = true;
                continue;
            }
            if (!skip.contains(pred)) todo_.push_back(e.node);
        }
        return reached(id, leaves);
    }

    const ModelArena& model_;
    IdSpan span_;
    std::unordered_set<uint64_t> seen_;
    std::vector<NcpIdent> todo_;
};

}  // namespace

bool exit_follows_entries_at_once(ModelArena& model, const NcpIdent& exit,
                                  const EntryList& entries, IdSpan made) {
    // Only an entry that passes a firing on at once can end such a path (it
    // passes on the starting edge its consumer appends).
    std::vector<uint64_t> entry_ids;
    for (const NcpIdent& e : entries)
        if (get_ncp_node(model, e).exit_follows_depends_at_once())
            entry_ids.push_back(e.global_id());
    std::sort(entry_ids.begin(), entry_ids.end());
    const auto is_entry = [&](const NcpIdent& n) {
        return std::binary_search(entry_ids.begin(), entry_ids.end(), n.global_id());
    };

    // The block's inside is walked once, whatever is asked of it later.
    if (!made.empty() && !model.at_once_regions.contains(exit.global_id())) {
        AtOnceRegion region{made, {}};
        AtOnceWalk(model, made).run(exit, [&](const NcpIdent& n, bool leaves) {
            if (leaves || is_entry(n)) region.ways_out.push_back(n);
            return false;
        });
        model.at_once_regions.emplace(exit.global_id(), std::move(region));
    }
    if (entry_ids.empty()) return false;
    // Entries of the block walked reached from its exit are among its ways
    // out; a walk outside it could only come back in through its exit.
    const auto known = model.at_once_regions.find(exit.global_id());
    if (known != model.at_once_regions.end() &&
        std::all_of(entry_ids.begin(), entry_ids.end(),
                    [&](uint64_t id) { return known->second.made.contains(id); }))
        return std::any_of(known->second.ways_out.begin(), known->second.ways_out.end(), is_entry);
    return AtOnceWalk(model, IdSpan{}).run(exit, [&](const NcpIdent& n, bool) {
        return is_entry(n);
    });
}

}  // namespace vorlent
