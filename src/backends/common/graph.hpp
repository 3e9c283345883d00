// Walks over the module tree as the modules record it: each Module lists its
// sub-modules, each ModuleIdent names its parent (null for a root) and its
// depth (0 for a root). Routing and file emission use these to visit every
// module and to find where a signal has to cross module boundaries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
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

// The identity stored in `m`'s parent module, read in place. Stops with a
// failed inequality assertion when `m` has the null parent handle.
ModuleIdent get_parent_module_ident(const ModelArena& model, const ModuleIdent& m);

// The identity of the component's module, read in place from its slot.
const ModuleIdent& module_ident_of(const ModelArena& model, const HcpIdent& hcp_i);

// The modules from the component's own module up to the top module, or to
// the root of its tree (the first module of depth 0 met through the parent
// links) when the top module is not on the way. Parent links that climb more
// steps than there are modules form a cycle: fatal error.
std::vector<ModuleIdent> find_module_path_to_top_from_hcp(const ModelArena& model,
                                                          const HcpIdent& hcp_i);

// "... share no common ancestor ...", naming `a`, then `b`.
std::string no_common_ancestor(const ModuleIdent& a, const ModuleIdent& b);

// Paths from two modules up to their lowest common ancestor; both begin with
// the module given and end with the ancestor.
struct CommonAncestorPaths {
    std::vector<ModuleIdent> path_a;
    std::vector<ModuleIdent> path_b;
};

// Stops with no_common_ancestor(a, b) when the modules are in different
// trees.
CommonAncestorPaths find_common_ancestor_module_paths(const ModelArena& model, const ModuleIdent& a,
                                                      const ModuleIdent& b);

}  // namespace vorlent
