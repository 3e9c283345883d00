// Internal routing: every signal a module's components read from another
// module is carried up from its own module to the lowest common ancestor and
// down to the reader through IO wires, and the readers are rewired to the
// last wire of the chain.
#pragma once

#include "model/model_arena.hpp"

namespace vorlent {

// Routes every module of the top module's tree, in depth-first pre-order.
// Stops with "route_and_remap_io_model: no top module set" without one.
void route_and_remap_io_model(ModelArena& model);

// Routes the reads of the components of `module` (all kinds but IO_WIRE and
// MEM_BLOCK), sources in ascending global-id order, then remaps them.
void route_and_remap_io_module(ModelArena& model, const ModuleIdent& module);

// Makes or reuses the wires that carry `dep` into `module`; returns the
// signal that stands for `dep` there.
HcpIdent route_io_base(ModelArena& model, const ModuleIdent& module, const HcpIdent& dep);

}  // namespace vorlent
