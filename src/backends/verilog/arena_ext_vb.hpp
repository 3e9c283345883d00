// What the Verilog backend adds to the model: Verilog names of modules and
// components, which the Python layer also asks for, and the takes that hand
// components and update events out as Verilog writers.
#pragma once

#include <string>

#include "backends/verilog/hw_component/common/verilog_update_event.hpp"
#include "backends/verilog/hw_component/hcp_vb.hpp"

namespace vorlent {

// The module's Verilog name: the absolute name stored in the module the
// handle names (the identity given only locates the slot; the module is
// taken out and put back). Also the stem of its file, unless it is the top
// module. Fails only with the arena's handle errors.
std::string module_sim_name_vb(ModelArena& model, const ModuleIdent& module_i);

// The component's Verilog name: its absolute name, or an IO wire's port name
// (gen_var_name_vb), read in place. Readers of the component write this name.
// A component not in its slot is handed out by take_hcp_vb, which reports why.
std::string hcp_verilog_name(ModelArena& model, const HcpIdent& hcp_i);

}  // namespace vorlent
