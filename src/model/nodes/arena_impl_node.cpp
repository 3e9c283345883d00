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

bool exit_follows_entries_at_once(const ModelArena& model, const NcpIdent& exit,
                                  const EntryList& entries) {
    // Only an entry that passes a firing on at once can end such a path (it
    // passes on the starting edge its consumer appends): with none, there is
    // nothing to walk for. Those are looked up at every step, by sorted id.
    std::vector<uint64_t> entry_ids;
    for (const NcpIdent& e : entries)
        if (get_ncp_node(model, e).exit_follows_depends_at_once())
            entry_ids.push_back(e.global_id());
    if (entry_ids.empty()) return false;
    std::sort(entry_ids.begin(), entry_ids.end());
    const auto is_entry = [&](const NcpIdent& n) {
        return std::binary_search(entry_ids.begin(), entry_ids.end(), n.global_id());
    };

    std::unordered_set<uint64_t> seen;
    std::vector<NcpIdent> todo{exit};
    while (!todo.empty()) {
        const NcpIdent id = todo.back();
        todo.pop_back();
        if (!seen.insert(id.global_id()).second) continue;
        const NcpNode& node = get_ncp_node(model, id);
        if (!node.exit_follows_depends_at_once()) continue;
        if (is_entry(id)) return true;
        // An entry among the predecessors answers before the walk goes
        // deeper, into blocks nested in the body.
        for (const DependEdge& e : node.get_node_triggers().depend_nodes) {
            if (is_entry(e.node)) return true;
            todo.push_back(e.node);
        }
    }
    return false;
}

}  // namespace vorlent
