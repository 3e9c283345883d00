// Global routing: every component the caller marked as a port of the design
// is connected through a chain of IO wires, one in each module from its own
// up to the top module (whichever module that is, also one with a parent),
// whose wire there becomes the port under the caller's name.
#pragma once

#include "backends/common/graph.hpp"
#include "model/hw_component/common/hcp_ident.hpp"

namespace vorlent {

class ModelArena;

// Routes the marked components of every module of the top module's tree, in
// depth-first pre-order and, within a module, in kind and list order. The
// first form stops with "route_glob_io_model: no top module set" without one.
void route_glob_io_model(ModelArena& model);
void route_glob_io_model(ModelArena& model, const ModuleTree& tree);

// Routes one marked component of a module of the tree: an output is carried
// up from its module to the top module, an input down from it, where the
// component is then bound to the wire of its own module.
void route_glob_io_hw_comp(ModelArena& model, const ModuleTree& tree, const HcpIdent& hcp_i);

}  // namespace vorlent
