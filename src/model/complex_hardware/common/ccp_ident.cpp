#include "model/complex_hardware/common/ccp_ident.hpp"

namespace vorlent {

std::string_view ccp_type_display(CcpType t) {
    switch (t) {
        case CcpType::Arb: return "ARB";
        case CcpType::Karray: return "KARRAY";
        case CcpType::DynCounter: return "DCNT";
    }
    return "ARB";
}

std::string debug_repr(CcpType t) {
    switch (t) {
        case CcpType::Arb: return "Arb";
        case CcpType::Karray: return "Karray";
        case CcpType::DynCounter: return "DynCounter";
    }
    return "Arb";
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
