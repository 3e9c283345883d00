// Global routing: every component the caller marked as a port of the design
// is connected through a chain of IO wires, one in each module from its own
// up to the top module (whichever module that is, also one with a parent),
// whose wire there becomes the port under the caller's name.
#pragma once

#include "model/hw_component/common/hcp_ident.hpp"

namespace vorlent {

class ModelArena;

// Routes the marked components of every module of the top module's tree, in
// depth-first pre-order and, within a module, in kind and list order. Stops
// with "route_glob_io_model: no top module set" without one.
void route_glob_io_model(ModelArena& model);

// Routes one marked component: an output is carried up from its module to
// the top module, an input down from it, where the component is then bound
// to the wire of its own module. Outside the top module's tree, to the root.
void route_glob_io_hw_comp(ModelArena& model, const HcpIdent& hcp_i);

}  // namespace vorlent
