#include "backends/common/internal_routing.hpp"

#include <algorithm>
#include <optional>
#include <unordered_set>

#include "backends/common/graph.hpp"
#include "backends/common/io_op.hpp"
#include "common/interrupt.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

namespace {

// The kinds whose reads are routed: REG up to EXPR. IO wires are what
// routing makes, and a memory block is only reached through its elements.
constexpr HwComponentType LAST_ROUTED_KIND = HwComponentType::Expression;

std::vector<HcpIdent> routed_components(const Module& m) {
    std::vector<HcpIdent> out;
    size_t n = 0;
    for (size_t k = 0; k <= size_t(LAST_ROUTED_KIND); ++k)
        n += m.hcps_of(HwComponentType(k)).size();
    out.reserve(n);
    for (size_t k = 0; k <= size_t(LAST_ROUTED_KIND); ++k) {
        const HcpsOfKind of_kind = m.hcps_of(HwComponentType(k));
        out.insert(out.end(), of_kind.begin(), of_kind.end());
    }
    return out;
}

// One hop of a chain: the wire of `module` that already carries `dep` in
// this direction, or a new one fed by `cur`.
HcpIdent hop(ModelArena& model, const ModuleIdent& module, const HcpIdent& dep, const HcpIdent& cur,
             std::string_view dir, bool is_input) {
    if (auto reused = find_reusable_io_wire(model, module, dep, is_input)) return *reused;
    return make_io_wire(model, module, dir, dep.abs_name(), is_input, signal_width(model, cur), cur,
                        dep);
}

}  // namespace

ModuleReads gather_module_reads(ModelArena& model, const ModuleIdent& module) {
    // Reads of the module's own components need no wire: the set leaves them out.
    ModuleReads reads{module, HcpSet::outside_of(module.handle())};
    auto m = model.take<Module>(module);
    InterruptPoll poll;
    for (size_t k = 0; k <= size_t(LAST_ROUTED_KIND); ++k) {
        for (const HcpIdent& r : m->hcps_of(HwComponentType(k))) {
            poll.tick();
            auto hcp = take_hcp(model, r);
            hcp->gather_dep_hcps(reads.deps, model);
            hcp.put_back();
        }
    }
    m.put_back();
    return reads;
}

std::vector<ModuleReads> gather_tree_reads(ModelArena& model) {
    if (!model.top_module) fatal("route_and_remap_io_model: no top module set");
    std::vector<ModuleReads> out;
    DfsModuleIter it(*model.top_module);
    while (auto module = it.next_module(model)) out.push_back(gather_module_reads(model, *module));
    return out;
}

CheckResult check_reads_within_tree(const ModelArena& model, const std::vector<ModuleReads>& tree) {
    std::unordered_set<size_t> in_tree;  // module slots
    for (const ModuleReads& m : tree) in_tree.insert(m.module.handle().index);
    for (const ModuleReads& reader : tree) {
        // The lowest id first, so the text does not depend on the hash order.
        std::optional<HcpIdent> outside;
        for (const HcpIdent& dep : reader.deps)
            if (!in_tree.contains(dep.module_handle().index) &&
                (!outside || dep.global_id() < outside->global_id()))
                outside = dep;
        if (!outside) continue;
        const ModuleIdent& owner = module_ident_of(model, *outside);
        return ErrorText::value(format(
            "BackendVerilog::emit: module \"{}\" (id {}) reads \"{}\" of module \"{}\" (id {}), "
            "which is not in the top module's tree and gets no file; make that module with "
            "mk_module while its parent module is tracked (track_module_at_com_init)",
            reader.module.abs_name(), reader.module.global_id(), outside->abs_name(),
            owner.abs_name(), owner.global_id()));
    }
    return std::nullopt;
}

void route_and_remap_io_model(ModelArena& model) {
    route_and_remap_io_model(model, gather_tree_reads(model));
}

void route_and_remap_io_model(ModelArena& model, std::vector<ModuleReads> tree) {
    if (!model.top_module) fatal("route_and_remap_io_model: no top module set");
    for (ModuleReads& reads : tree) route_module_reads(model, std::move(reads));
}

void route_and_remap_io_module(ModelArena& model, const ModuleIdent& module) {
    route_module_reads(model, gather_module_reads(model, module));
}

void route_module_reads(ModelArena& model, ModuleReads reads) {
    const ModuleIdent& module = reads.module;
    // Sorted by global id: the hash order must not decide which wire is made
    // first, since each wire's id is part of its name.
    std::vector<HcpIdent> sorted(reads.deps.begin(), reads.deps.end());
    std::sort(sorted.begin(), sorted.end(),
              [](const HcpIdent& a, const HcpIdent& b) { return a.global_id() < b.global_id(); });
    HcpMap remap;
    InterruptPoll poll;
    for (const HcpIdent& dep : sorted) {
        poll.tick();
        remap.emplace(dep, route_io_base(model, module, dep));
    }
    // Nothing read here lives in another module: there is nothing to rename.
    if (remap.empty()) return;

    // Routing added IO wires only, so these are the readers gathered above.
    auto again = model.take<Module>(module);
    for (const HcpIdent& r : routed_components(*again)) {
        poll.tick();
        auto hcp = take_hcp(model, r);
        hcp->remap_dep_hcps(remap, model);
        hcp.put_back();
    }
    again.put_back();
}

HcpIdent route_io_base(ModelArena& model, const ModuleIdent& module, const HcpIdent& dep) {
    const CommonAncestorPaths paths =
        find_common_ancestor_module_paths(model, module, module_ident_of(model, dep));
    const auto& path_a = paths.path_a;  // reader up to the ancestor
    const auto& path_b = paths.path_b;  // source's module up to the ancestor
    if (path_a.empty() || path_b.empty()) fatal("route_io_base: path vectors must not be empty");
    if (path_a.size() == 1 && path_b.size() == 1) {
        assert_eq(path_a.front(), path_b.front(),
                  "route_io_base: single-element paths must refer to the same module (LCA)");
        return dep;
    }
    HcpIdent cur = dep;
    // Out of the source's module and every module above it below the ancestor.
    for (size_t i = 0; i + 1 < path_b.size(); ++i)
        cur = hop(model, path_b[i], dep, cur, IO_DIR_OUT, false);
    // Into the ancestor's child and down to the reader.
    for (size_t i = path_a.size() - 1; i-- > 0;)
        cur = hop(model, path_a[i], dep, cur, IO_DIR_IN, true);
    return cur;
}

}  // namespace vorlent
