// The identity of an update event and the update-event kinds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/common/identifier.hpp"
#include "model/common/kind_list.hpp"

namespace vorlent {

// The update-event kinds, in tag order: X(tag, record class, text in
// absolute names). Untype has no record.
#define VORLENT_UE_KINDS(X)          \
    X(Basic, UeBasic, "UE_BASIC")    \
    X(Grp, UeGrp, "UE_GRP")          \
    X(Cond, UeCond, "UE_COND")       \
    X(Switch, UeSwitch, "UE_SWITCH") \
    X(Untype, void, "UE_UNTYPE")

VORLENT_KIND_ENUM(UeType, VORLENT_UE_KINDS)

// "UE_BASIC", "UE_GRP", "UE_COND", "UE_SWITCH", "UE_UNTYPE".
std::string_view ue_type_display(UeType t);

// An update event's identity. Events are the most numerous elements and are
// never user-made nor named by the caller, so the record holds no text: the
// name follows from kind and id and is formed when asked for.
struct UpdateEventIdent {
    uint64_t id = 0;
    ArenaHandle arena_handle = ArenaHandle::null();
    UeType kind = UeType::Untype;
    bool named = false;  // made by `make`; the zeroed identity has no name

    // Takes the next global id and names the event "{display}_{id}": relative
    // name empty, not user-made, null handle.
    static UpdateEventIdent make(UeType kind);

    uint64_t global_id() const { return id; }
    std::string abs_name() const;
    ArenaHandle handle() const { return arena_handle; }
    void set_arena_handle(ArenaHandle h) { arena_handle = h; }

    // As for every identity, the handle does not take part.
    friend bool operator==(const UpdateEventIdent& a, const UpdateEventIdent& b) {
        return a.id == b.id && a.kind == b.kind && a.named == b.named;
    }
};

template <>
struct IdentKindField<UpdateEventIdent> {
    static constexpr auto field = &UpdateEventIdent::kind;
};

std::string debug_repr(const UpdateEventIdent& u);

}  // namespace vorlent
