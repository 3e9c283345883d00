#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/common/identifier.hpp"

namespace vorlent {

// The nine control-node kinds; the kind selects the node's arena.
enum class NodeType : uint8_t {
    Asm = 0,
    State = 1,
    Syn = 2,
    Pseudo = 3,
    Opr = 4,
    WaitCond = 5,
    WaitCycle = 6,
    Counter = 7,
    Start = 8,
};
inline constexpr size_t NODE_TYPE_COUNT = 9;

// "ASM_NODE", "STATE_NODE", ... as used in absolute names.
std::string_view node_type_display(NodeType t);
// "Asm", "State", ... as assertion texts print a node type.
std::string_view node_type_debug(NodeType t);
inline std::string debug_repr(NodeType t) { return std::string(node_type_debug(t)); }

// A control node's identity.
struct NcpIdent {
    IdentBase ident_base;
    NodeType node_type = NodeType::Asm;

    // Takes the next global id; absolute name "{display}_{name}_{id}".
    static NcpIdent make(NodeType node_type, bool is_user_com, std::string_view rel_name);

    uint64_t global_id() const { return ident_base.global_id(); }
    std::string_view abs_name() const { return ident_base.abs_name(); }
    ArenaHandle handle() const { return ident_base.arena_handle(); }

    friend bool operator==(const NcpIdent&, const NcpIdent&) = default;
};

template <>
struct IdentKindField<NcpIdent> {
    static constexpr auto field = &NcpIdent::node_type;
};

std::string debug_repr(const NcpIdent& n);

}  // namespace vorlent
