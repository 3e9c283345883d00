// The identity of a control node and the control-node kinds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/common/identifier.hpp"
#include "model/common/kind_list.hpp"

namespace vorlent {

// The control-node kinds, in tag order: X(tag, record class, text in
// absolute names). The kind selects the node's arena.
#define VORLENT_NODE_KINDS(X)                     \
    X(Asm, AsmNode, "ASM_NODE")                   \
    X(State, StateNode, "STATE_NODE")             \
    X(Syn, SynNode, "SYN_NODE")                   \
    X(Pseudo, PseudoNode, "PSEUDO_NODE")          \
    X(Opr, OprNode, "OPR_NODE")                   \
    X(WaitCond, WaitCondNode, "WAITCOND_NODE")    \
    X(WaitCycle, WaitCycleNode, "WAITCYCLE_NODE") \
    X(Counter, CounterNode, "COUNTER_NODE")       \
    X(Start, StartNode, "START_NODE")

VORLENT_KIND_ENUM(NodeType, VORLENT_NODE_KINDS)
inline constexpr size_t NODE_TYPE_COUNT = KIND_COUNT<NodeType>;

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
