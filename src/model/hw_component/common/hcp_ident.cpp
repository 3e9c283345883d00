#include "model/hw_component/common/hcp_ident.hpp"

#include <array>

namespace vorlent {

namespace {
constexpr std::array<std::string_view, HW_COMPONENT_TYPE_COUNT> DISPLAY = {
    VORLENT_HCP_KINDS(VORLENT_KIND_TEXT)};
constexpr std::array<std::string_view, HW_COMPONENT_TYPE_COUNT> DEBUG = {
    VORLENT_HCP_KINDS(VORLENT_KIND_DEBUG)};
}  // namespace

std::string_view hw_type_display(HwComponentType t) { return DISPLAY.at(size_t(t)); }
std::string_view hw_type_debug(HwComponentType t) { return DEBUG.at(size_t(t)); }

std::string_view sensitivity_name(Sensitivity s) {
    switch (s) {
        case Sensitivity::Clocked:
            return "clocked";
        case Sensitivity::Combinational:
            return "combinational";
        case Sensitivity::ReadOnly:
            break;
    }
    return "read_only";
}

HcpIdent HcpIdent::make(HwComponentType hw_type, Sensitivity sensitive_type, bool is_user_com,
                        std::string_view name) {
    HcpIdent h;
    h.hw_type = hw_type;
    h.sensitive_type = sensitive_type;
    h.ident_base = make_ident(is_user_com, hw_type_display(hw_type), name);
    return h;
}

void HcpIdent::set_module_handle(ArenaHandle module) {
    if (module.is_null()) {
        module_slot_ = 0;
        return;
    }
    assert_eq(module.generation, uint32_t(0),
              "HcpIdent::set_module_handle: module handle of a later generation");
    module_slot_ = module.index + 1;
}

std::string debug_repr(const HcpIdent& h) {
    return format("HcpIdent { hw_type: {}, ident_base: {}, module_handle: {}, sensitive_type: {} }",
                  hw_type_debug(h.hw_type), debug_repr(h.ident_base), debug_repr(h.module_handle()),
                  unsigned(h.sensitive_type));
}

}  // namespace vorlent
