#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/common/identifier.hpp"

namespace vorlent {

enum class FlowBlockType : uint8_t {
    Sequential = 0,
    Parallel,
    CondIf,
    CondElif,
    ZeroCondIf,
    ZeroCondElif,
    ZeroSwitch,
    ZeroSwitchCase,
    WhileLoop,
    DoWhile,
    CounterLoop,
    Wait,
    Pipeline,
    Zync,
    Pick,
    PickIf,
};
inline constexpr size_t FLOW_BLOCK_TYPE_COUNT = 16;

// "SEQUENTIAL", "PARALLEL", ... as used in absolute names.
std::string_view flow_block_type_display(FlowBlockType t);
// "Sequential", "Parallel", ... as fatal texts and the Python enumeration name them.
std::string_view flow_block_type_debug(FlowBlockType t);
inline std::string debug_repr(FlowBlockType t) { return std::string(flow_block_type_debug(t)); }

// How a closed block joins the block that encloses it.
enum class FlowBlockJoinPolicy : uint8_t { SubFlow = 0, ConFlow = 1, BasicNodeFlow = 2 };
std::string debug_repr(FlowBlockJoinPolicy p);

// The state of a flow-block-stack entry.
enum class BlockTrackStatus : uint8_t { Open = 0, LazyClosed = 1 };

struct FlowBlockIdent {
    IdentBase ident_base;  // never user-made
    FlowBlockType block_type = FlowBlockType::Sequential;
    FlowBlockJoinPolicy join_policy = FlowBlockJoinPolicy::SubFlow;
    bool chain_master = false;  // head of a conditional chain (cif, sif, zif)

    // Takes the next global id; absolute name "{display}_{name}_{id}".
    static FlowBlockIdent make(FlowBlockType block_type, FlowBlockJoinPolicy join_policy,
                               std::string_view rel_name, bool chain_master);

    uint64_t global_id() const { return ident_base.global_id(); }
    std::string_view abs_name() const { return ident_base.abs_name(); }
    ArenaHandle handle() const { return ident_base.arena_handle(); }

    friend bool operator==(const FlowBlockIdent&, const FlowBlockIdent&) = default;
};

template <>
struct IdentKindField<FlowBlockIdent> {
    static constexpr auto field = &FlowBlockIdent::block_type;
};

// "FlowBlockIdent { ident_base: ..., block_type: ..., join_policy: ..., chain_master: ... }"
std::string debug_repr(const FlowBlockIdent& f);

}  // namespace vorlent
