// The method families of the ModelArena class. Each returns the table
// entries of one file; the class lists the families in model_arena_py.cpp.
#pragma once

#include <vector>

#include "applications/py/runtime/py_ref.hpp"

namespace vorlent::py {

// model/module/arena_impl_module_py.cpp
std::vector<PyMethodDef> module_methods();
// model/controller/asm_mode_py.cpp
std::vector<PyMethodDef> asm_priority_methods();

}  // namespace vorlent::py
