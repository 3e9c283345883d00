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
// model/hw_component/arena_factory_hwc_py.cpp
std::vector<PyMethodDef> hw_component_factory_methods();
// model/hw_component/arena_factory_hwc_expr_py.cpp
std::vector<PyMethodDef> expression_methods();
// model/hw_component/arena_impl_hwc_py.cpp
std::vector<PyMethodDef> hw_component_impl_methods();
// model/flow_block/arena_factory_flow_block_py.cpp
std::vector<PyMethodDef> flow_block_factory_methods();
// model/flow_block/flow_block_stack_py.cpp
std::vector<PyMethodDef> flow_block_stack_methods();
// model/flow_block/arena_factory_flow_block_arb_py.cpp
std::vector<PyMethodDef> flow_block_arb_factory_methods();
// model/complex_hardware/arena_impl_arb_py.cpp
std::vector<PyMethodDef> arb_methods();
// model/complex_hardware/arena_impl_dyn_counter_py.cpp
std::vector<PyMethodDef> dyn_counter_methods();
std::vector<PyMethodDef> verilog_name_methods();
std::vector<PyMethodDef> comb_generator_methods();  // model/arena_impl_comb_py.cpp
std::vector<PyMethodDef> karray_methods();  // complex_hardware/karray/arena_impl_ccp_karray_py.cpp

}  // namespace vorlent::py
