// Walks over the module tree as the modules record it: each Module lists its
// sub-modules. Routing and file emission use these to visit every module and
// to find where a signal has to cross module boundaries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/hw_component/common/hcp_ident.hpp"
#include "model/module/module_ident.hpp"

namespace vorlent {

class ModelArena;

// Depth-first pre-order walk from one module: a module before its children,
// children in the order of its sub-module list.
class DfsModuleIter {
public:
    explicit DfsModuleIter(ModuleIdent start) : stack_{std::move(start)} {}

    // The next module, or none when the walk is over. A module's children are
    // read (in place, with the checks of a take) when the module is yielded.
    // A module reached a second time (listed under itself, below itself, or
    // under two parents) stops the walk with a fatal error naming it, since
    // such a walk would never end or would visit a module twice.
    std::optional<ModuleIdent> next_module(ModelArena& model);

private:
    std::vector<ModuleIdent> stack_;     // top at the end
    std::unordered_set<uint64_t> seen_;  // global ids of the modules yielded
};

// The identity of the component's module, read in place from its slot.
const ModuleIdent& module_ident_of(const ModelArena& model, const HcpIdent& hcp_i);

// The top module's tree as the sub-module lists make it, which is what emit
// writes: each module's file instantiates the modules it lists. The parent
// handle and depth a module records are those of the module trace stack
// when it was made, and differ from its place here when it was made while
// its parent was tracked alone (its depth then counts from that parent) or
// was listed under another module than the one it was made under; routing
// follows this tree, so that every wire it makes sits where an instance
// connects it.
class ModuleTree {
public:
    // Walks the tree from the top module (DfsModuleIter, with its checks).
    ModuleTree(ModelArena& model, const ModuleIdent& top);

    // Depth-first pre-order, the top module first, each as its parent lists it.
    const std::vector<ModuleIdent>& modules() const { return modules_; }
    bool contains(ArenaHandle module) const { return position_.contains(module.index); }
    // The tree's copy of a module of the tree (fatal error for another).
    const ModuleIdent& at(ArenaHandle module) const { return modules_[position(module)]; }
    // 0 for the top module, one more at each level below it.
    uint32_t depth(const ModuleIdent& m) const { return places_[position(m.handle())].depth; }
    // The module that lists `m`; `m` is not the top module.
    const ModuleIdent& parent(const ModuleIdent& m) const;
    // The modules from `m` up to the top module, both included.
    std::vector<ModuleIdent> path_to_top(const ModuleIdent& m) const;

private:
    struct Place {
        size_t parent;  // position in modules_; the top module's own
        uint32_t depth;
    };
    size_t position(ArenaHandle module) const;

    std::vector<ModuleIdent> modules_;
    std::vector<Place> places_;                    // by position
    std::unordered_map<size_t, size_t> position_;  // by module slot
};

}  // namespace vorlent
