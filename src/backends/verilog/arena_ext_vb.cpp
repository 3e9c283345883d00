#include "backends/verilog/arena_ext_vb.hpp"

namespace vorlent {

std::string module_sim_name_vb(ModelArena& model, const ModuleIdent& module_i) {
    auto m = model.take<Module>(module_i);
    std::string name = m->ident.ident_base.get_abs_name();
    m.put_back();
    return name;
}

std::string hcp_verilog_name(ModelArena& model, const HcpIdent& hcp_i) {
    TakenHcpVb hcp = take_hcp_vb(model, hcp_i);
    std::string name = hcp->gen_var_name_vb();
    hcp.put_back();
    return name;
}

}  // namespace vorlent
