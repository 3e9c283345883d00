#include "model/module/module_ident.hpp"

#include "model/common/enum_name.hpp"

namespace vorlent {

ModuleIdent ModuleIdent::make(bool is_user_com, std::string_view rel_name) {
    ModuleIdent m;
    m.ident_base = make_ident(is_user_com, MODULE_DISPLAY, rel_name);
    return m;
}

std::string debug_repr(const ModuleIdent& m) {
    return format("ModuleIdent { ident_base: {}, master_module_handle: {}, depth_level: {} }",
                  debug_repr(m.ident_base), debug_repr(m.master_module_handle), m.depth_level);
}

std::string debug_repr(ModuleInitStage s) {
    return std::string(enum_name(s, {"CompInit", "FlowBlockInit", "FlowBlockBuild"}));
}

}  // namespace vorlent
