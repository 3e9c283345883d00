// ModelArena methods that tell the names the Verilog output will use, asked
// of a model that is still being described.
#include "applications/py/model/arena_method_families.hpp"
#include "applications/py/model/model_arena_py.hpp"
#include "backends/verilog/arena_ext_vb.hpp"

namespace vorlent::py {

std::vector<PyMethodDef> verilog_name_methods() {
    return {
        arena_method<"hcp_verilog_name($self, hcp_i)", &hcp_verilog_name>(),
        arena_method<"module_verilog_name($self, module_i)", &module_sim_name_vb>(),
    };
}

}  // namespace vorlent::py
