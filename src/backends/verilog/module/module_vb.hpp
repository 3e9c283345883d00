// A module in the Verilog backend: the preparation of its update pools and
// the text of its file.
#pragma once

#include <string>

#include "model/module/module.hpp"
#include "model/module/module_ident.hpp"
#include "util/file/file_writer.hpp"

namespace vorlent {

class ModelArena;

// Sorts the pools of the module and of every module below it, parents before
// children, depth first in list order. Each module is out of its slot while
// its own pools are sorted.
void init_module_vb(ModelArena& model, const ModuleIdent& module_i);

// Writes the whole text of one module: header and ports, declarations by
// kind, sub-module output wires, always blocks and assignments, sub-module
// instances, endmodule. `module` is taken out by the caller.
void gen_module_vb(const Module& module, ModelArena& model, FileWriter& fw);

}  // namespace vorlent
