#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/common/identifier.hpp"

namespace vorlent {

// The kind of an update event. Untype has no record.
enum class UeType : uint8_t { Basic = 0, Grp = 1, Cond = 2, Switch = 3, Untype = 4 };

// "UE_BASIC", "UE_GRP", "UE_COND", "UE_SWITCH", "UE_UNTYPE".
std::string_view ue_type_display(UeType t);

struct UpdateEventIdent {
    IdentBase ident_base;  // holds no text: the name follows from kind and id
    UeType kind = UeType::Untype;
    bool named = false;  // made by `make`; the zeroed identity has no name

    // Takes the next global id and names the event "{display}_{id}": relative
    // name empty, not user-made, null handle. Events are the most numerous
    // elements, so the name is not stored but formed when asked for.
    static UpdateEventIdent make(UeType kind);

    uint64_t global_id() const { return ident_base.global_id(); }
    std::string abs_name() const;
    ArenaHandle handle() const { return ident_base.arena_handle(); }

    friend bool operator==(const UpdateEventIdent&, const UpdateEventIdent&) = default;
};

std::string debug_repr(const UpdateEventIdent& u);

}  // namespace vorlent
