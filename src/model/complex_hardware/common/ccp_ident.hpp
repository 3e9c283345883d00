#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/module/module_ident.hpp"

namespace vorlent {

enum class CcpType : uint8_t { Arb = 0, Karray = 1, DynCounter = 2 };

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
