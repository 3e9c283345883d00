#include "model/complex_hardware/common/ccp_ident.hpp"

#include "model/common/enum_name.hpp"

namespace vorlent {

std::string_view ccp_type_display(CcpType t) {
    static constexpr std::string_view NAMES[] = {VORLENT_CCP_KINDS(VORLENT_KIND_TEXT)};
    return enum_name(t, NAMES);
}

std::string debug_repr(CcpType t) {
    static constexpr std::string_view NAMES[] = {VORLENT_CCP_KINDS(VORLENT_KIND_DEBUG)};
    return std::string(enum_name(t, NAMES));
}

CcpIdent CcpIdent::make(CcpType ccp_type, bool is_user_com, std::string_view rel_name) {
    CcpIdent c;
    c.ccp_type = ccp_type;
    c.ident_base = make_ident(is_user_com, ccp_type_display(ccp_type), rel_name);
    return c;
}

std::string debug_repr(const CcpIdent& c) {
    return format("CcpIdent { module_ident: {}, ident_base: {}, ccp_type: {} }",
                  debug_repr(c.module_ident), debug_repr(c.ident_base), debug_repr(c.ccp_type));
}

}  // namespace vorlent
