// The identity of a complex component and the complex-component kinds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/common/kind_list.hpp"
#include "model/module/module_ident.hpp"

namespace vorlent {

// The complex-component kinds, in tag order: X(tag, record class, text in
// absolute names).
#define VORLENT_CCP_KINDS(X)    \
    X(Arb, Arb, "ARB")          \
    X(Karray, Karray, "KARRAY") \
    X(DynCounter, DynCounter, "DCNT")

VORLENT_KIND_ENUM(CcpType, VORLENT_CCP_KINDS)

// "ARB", "KARRAY", "DCNT" as used in absolute names.
std::string_view ccp_type_display(CcpType t);
std::string debug_repr(CcpType t);

// A complex component's identity.
struct CcpIdent {
    ModuleIdent module_ident;  // blank until stamped
    IdentBase ident_base;
    CcpType ccp_type = CcpType::Arb;

    // Takes the next global id; absolute name "{display}_{name}_{id}".
    static CcpIdent make(CcpType ccp_type, bool is_user_com, std::string_view rel_name);

    uint64_t global_id() const { return ident_base.global_id(); }
    std::string_view abs_name() const { return ident_base.abs_name(); }
    ArenaHandle handle() const { return ident_base.arena_handle(); }

    friend bool operator==(const CcpIdent&, const CcpIdent&) = default;
};

std::string debug_repr(const CcpIdent& c);

}  // namespace vorlent
