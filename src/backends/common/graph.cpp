#include "backends/common/graph.hpp"

namespace vorlent {

std::optional<ModuleIdent> DfsModuleIter::next_module(ModelArena& model) {
    if (stack_.empty()) return std::nullopt;
    ModuleIdent current = std::move(stack_.back());
    stack_.pop_back();
    auto module = model.take<Module>(current);
    // Reverse order puts the first child on top.
    const auto& children = module->sub_modules;
    stack_.insert(stack_.end(), children.rbegin(), children.rend());
    module.put_back();
    return current;
}

ModuleIdent get_parent_module_ident(const ModelArena& model, const ModuleIdent& m) {
    // The assertion of assert_ne, with the message built only on failure:
    // routing asks for parents on every hop.
    if (m.master_module_handle == ArenaHandle::null()) [[unlikely]]
        fatal_assert_cmp("!=",
                         format("get_parent_module_ident: module \"{}\" (id {}) is a top module and "
                                "has no parent \u2014 module tree / depth_level is inconsistent",
                                m.abs_name(), m.global_id()),
                         debug_repr(m.master_module_handle), debug_repr(ArenaHandle::null()));
    return model.arena<Module>().get(m.master_module_handle).ident;
}

std::vector<ModuleIdent> find_module_path_to_top_from_hcp(const ModelArena& model,
                                                          const HcpIdent& hcp_i) {
    std::vector<ModuleIdent> path{hcp_i.module_ident};
    // Ends on depth 0, not on a null parent: a module whose depth and parent
    // disagree stops in get_parent_module_ident.
    while (path.back().depth_level != 0) path.push_back(get_parent_module_ident(model, path.back()));
    return path;
}

CommonAncestorPaths find_common_ancestor_module_paths(const ModelArena& model, const ModuleIdent& a,
                                                      const ModuleIdent& b) {
    CommonAncestorPaths paths{{a}, {b}};
    // The current module of each side is the last entry of its path.
    auto climb = [&model](std::vector<ModuleIdent>& path) {
        path.push_back(get_parent_module_ident(model, path.back()));
    };
    while (paths.path_a.back().depth_level > paths.path_b.back().depth_level) climb(paths.path_a);
    while (paths.path_b.back().depth_level > paths.path_a.back().depth_level) climb(paths.path_b);
    while (true) {
        if (paths.path_a.back() == paths.path_b.back()) return paths;
        if (paths.path_a.back().depth_level == 0)
            fatal(format("find_common_ancestor_module_paths: modules \"{}\" (id {}) and \"{}\" (id {}) "
                         "share no common ancestor \u2014 they are in different module trees",
                         a.abs_name(), a.global_id(), b.abs_name(), b.global_id()));
        climb(paths.path_a);
        climb(paths.path_b);
    }
}

}  // namespace vorlent
