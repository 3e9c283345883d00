// Internal routing: every signal a module's components read from another
// module is carried up from its own module to the lowest common ancestor and
// down to the reader through IO wires, and the readers are rewired to the
// last wire of the chain.
#pragma once

#include <vector>

#include "backends/common/graph.hpp"
#include "common/error_text.hpp"
#include "model/hw_component/common/hcp_dep.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/module/module_ident.hpp"

namespace vorlent {

class ModelArena;

// What the routed components of one module (all kinds but IO_WIRE and
// MEM_BLOCK) read from other modules. Routing another module does not change
// it: routing adds IO wires and rewires the reads of the module it routes
// only.
struct ModuleReads {
    ModuleIdent module;
    HcpSet deps;
};

ModuleReads gather_module_reads(ModelArena& model, const ModuleIdent& module);

// The reads of every module of the tree, in its order.
std::vector<ModuleReads> gather_tree_reads(ModelArena& model, const ModuleTree& tree);

// Refuses what the top module's tree would lose to the modules outside it,
// which get no file and are never built: a read, from a module of the tree,
// of a signal of such a module (the wire read would be declared nowhere); a
// complex component of such a module that a block of the tree binds (a zync
// or pipeline block's arbiter, whose grants would be made nowhere); then, of
// the first such module in the order made that has any, its flow blocks, a
// port marked on one of its components, or an assignment into one.
CheckResult check_tree_self_contained(const ModelArena& model, const ModuleTree& tree,
                                      const std::vector<ModuleReads>& reads);

// Routes every module of the top module's tree, in depth-first pre-order,
// sources in ascending global-id order, then remaps each module's reads to
// the wires that carry them. The first form stops with
// "route_and_remap_io_model: no top module set" without a top module; the
// second routes the reads that gather_tree_reads gathered over `tree`.
void route_and_remap_io_model(ModelArena& model);
void route_and_remap_io_model(ModelArena& model, const ModuleTree& tree,
                              std::vector<ModuleReads> tree_reads);

}  // namespace vorlent
