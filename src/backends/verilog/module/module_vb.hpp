// A module in the Verilog backend: the preparation of its update pools and
// the text of its file.
#pragma once

#include <string>

#include "model/model_arena.hpp"
#include "util/file/file_writer.hpp"

namespace vorlent {

// Sorts the module's pools, then those of its sub-modules, depth first in
// list order; each sub-module is out of its slot while its subtree is
// handled. `module` is taken out by the caller.
void init_module_vb(const Module& module, ModelArena& model);

// Writes the whole text of one module: header and ports, declarations by
// kind, sub-module output wires, always blocks and assignments, sub-module
// instances, endmodule. `module` is taken out by the caller.
void gen_module_vb(const Module& module, ModelArena& model, FileWriter& fw);

}  // namespace vorlent
