#include "backends/verilog/arena_ext_vb.hpp"

#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

std::string module_sim_name_vb(ModelArena& model, const ModuleIdent& module_i) {
    auto m = model.take<Module>(module_i);
    std::string name = m->ident.ident_base.get_abs_name();
    m.put_back();
    return name;
}

std::string hcp_verilog_name(ModelArena& model, const HcpIdent& hcp_i) {
    // Read in place when the component is in its slot: the name is all that
    // is needed, and readers ask for it once per read.
    if (const HcpAssignable* in_slot = hcp_in_slot(model, hcp_i)) {
        if (hcp_i.hw_type == HwComponentType::IoWire)
            return io_wire_var_name_vb(static_cast<const IoWire&>(*in_slot));
        return std::string(in_slot->get_global_name());
    }
    TakenHcpVb hcp = take_hcp_vb(model, hcp_i);
    std::string name = hcp->gen_var_name_vb();
    hcp.put_back();
    return name;
}

}  // namespace vorlent
