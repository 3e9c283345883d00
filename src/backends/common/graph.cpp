#include "backends/common/graph.hpp"

#include "common/interrupt.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

std::optional<ModuleIdent> DfsModuleIter::next_module(ModelArena& model) {
    if (stack_.empty()) return std::nullopt;
    // Every walk of emit goes through here: a long one stops on Ctrl-C.
    check_interrupt();
    ModuleIdent current = std::move(stack_.back());
    stack_.pop_back();
    if (!seen_.insert(current.global_id()).second) [[unlikely]]
        fatal(
            format("DfsModuleIter: module \"{}\" (id {}) is reached twice \u2014 the module tree "
                   "has a cycle or lists the module under two parents",
                   current.abs_name(), current.global_id()));
    // Read in place; reverse order puts the first child on top.
    const auto& children = model.get<Module>(current).sub_modules;
    stack_.insert(stack_.end(), children.rbegin(), children.rend());
    return current;
}

ModuleIdent get_parent_module_ident(const ModelArena& model, const ModuleIdent& m) {
    // The assertion of assert_ne, with the message built only on failure:
    // routing asks for parents on every hop.
    if (m.master_module_handle == ArenaHandle::null()) [[unlikely]]
        fatal_assert_cmp(
            "!=",
            format("get_parent_module_ident: module \"{}\" (id {}) is a top module and "
                   "has no parent \u2014 module tree / depth_level is inconsistent",
                   m.abs_name(), m.global_id()),
            debug_repr(m.master_module_handle), debug_repr(ArenaHandle::null()));
    return model.arena<Module>().get(m.master_module_handle).ident;
}

const ModuleIdent& module_ident_of(const ModelArena& model, const HcpIdent& hcp_i) {
    return model.arena<Module>().get(hcp_i.module_handle()).ident;
}

namespace {

// A path longer than the number of modules repeats a module: the parent links
// form a cycle, and climbing them would never end.
void check_climb_bounded(const ModelArena& model, const std::vector<ModuleIdent>& path) {
    if (path.size() > model.arena<Module>().size()) [[unlikely]]
        fatal(format("module tree: the parent links above module \"{}\" (id {}) form a cycle",
                     path.front().abs_name(), path.front().global_id()));
}

}  // namespace

std::string no_common_ancestor(const ModuleIdent& a, const ModuleIdent& b) {
    return format(
        "find_common_ancestor_module_paths: modules \"{}\" (id {}) and \"{}\" (id {}) share no "
        "common ancestor \u2014 they are in different module trees",
        a.abs_name(), a.global_id(), b.abs_name(), b.global_id());
}

std::vector<ModuleIdent> find_module_path_to_top_from_hcp(const ModelArena& model,
                                                          const HcpIdent& hcp_i) {
    std::vector<ModuleIdent> path{module_ident_of(model, hcp_i)};
    // The top module's ports are the design's, also where it has a parent.
    const auto is_top = [&](const ModuleIdent& m) {
        return model.top_module && m.handle() == model.top_module->handle();
    };
    // Ends on depth 0, not on a null parent: a module whose depth and parent
    // disagree stops in get_parent_module_ident.
    while (!is_top(path.back()) && path.back().depth_level != 0) {
        path.push_back(get_parent_module_ident(model, path.back()));
        check_climb_bounded(model, path);
    }
    return path;
}

CommonAncestorPaths find_common_ancestor_module_paths(const ModelArena& model, const ModuleIdent& a,
                                                      const ModuleIdent& b) {
    CommonAncestorPaths paths{{a}, {b}};
    // The current module of each side is the last entry of its path.
    auto climb = [&model](std::vector<ModuleIdent>& path) {
        path.push_back(get_parent_module_ident(model, path.back()));
        check_climb_bounded(model, path);
    };
    while (paths.path_a.back().depth_level > paths.path_b.back().depth_level) climb(paths.path_a);
    while (paths.path_b.back().depth_level > paths.path_a.back().depth_level) climb(paths.path_b);
    while (true) {
        if (paths.path_a.back() == paths.path_b.back()) return paths;
        if (paths.path_a.back().depth_level == 0)
            fatal(no_common_ancestor(a, b));
        climb(paths.path_a);
        climb(paths.path_b);
    }
}

}  // namespace vorlent
