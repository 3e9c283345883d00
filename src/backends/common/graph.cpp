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

const ModuleIdent& module_ident_of(const ModelArena& model, const HcpIdent& hcp_i) {
    return model.arena<Module>().get(hcp_i.module_handle()).ident;
}

ModuleTree::ModuleTree(ModelArena& model, const ModuleIdent& top) {
    DfsModuleIter it(top);
    while (auto module = it.next_module(model)) {
        position_.emplace(module->handle().index, modules_.size());
        modules_.push_back(std::move(*module));
    }
    // A parent comes before its children in pre-order, so its depth is known
    // when they are placed; the walk has refused a module listed twice.
    places_.resize(modules_.size(), Place{0, 0});
    for (size_t i = 0; i < modules_.size(); ++i)
        for (const ModuleIdent& child : model.get<Module>(modules_[i]).sub_modules)
            places_[position(child.handle())] = Place{i, places_[i].depth + 1};
}

size_t ModuleTree::position(ArenaHandle module) const {
    const auto it = position_.find(module.index);
    if (it == position_.end()) [[unlikely]]
        fatal(format("ModuleTree: the module of slot {} is not in the top module's tree",
                     module.index));
    return it->second;
}

const ModuleIdent& ModuleTree::parent(const ModuleIdent& m) const {
    const Place& place = places_[position(m.handle())];
    if (place.depth == 0) [[unlikely]]
        fatal(format("ModuleTree: module \"{}\" (id {}) is the top module and has no parent",
                     m.abs_name(), m.global_id()));
    return modules_[place.parent];
}

std::vector<ModuleIdent> ModuleTree::path_to_top(const ModuleIdent& m) const {
    size_t at = position(m.handle());
    std::vector<ModuleIdent> path{modules_[at]};
    path.reserve(places_[at].depth + 1);
    for (; places_[at].depth != 0; at = places_[at].parent)
        path.push_back(modules_[places_[at].parent]);
    return path;
}

}  // namespace vorlent
