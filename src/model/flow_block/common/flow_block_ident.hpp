// The identity of a flow block, the flow-block kinds and how a block joins
// the block around it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/common/identifier.hpp"
#include "model/common/kind_list.hpp"

namespace vorlent {

// The flow-block kinds, in tag order: X(tag, record class, text in absolute
// names). The kind selects the block's arena.
#define VORLENT_FLOW_BLOCK_KINDS(X)                                \
    X(Sequential, FlowBlockSeq, "SEQUENTIAL")                      \
    X(Parallel, FlowBlockPar, "PARALLEL")                          \
    X(CondIf, FlowBlockCond, "COND_IF")                            \
    X(CondElif, FlowBlockCondElif, "COND_ELIF")                    \
    X(ZeroCondIf, FlowBlockZeroCondIf, "ZERO_COND_IF")             \
    X(ZeroCondElif, FlowBlockZeroCondElif, "ZERO_COND_ELIF")       \
    X(ZeroSwitch, FlowBlockZeroSwitch, "ZERO_SWITCH")              \
    X(ZeroSwitchCase, FlowBlockZeroSwitchCase, "ZERO_SWITCH_CASE") \
    X(WhileLoop, FlowBlockWhile, "WHILE_LOOP")                     \
    X(DoWhile, FlowBlockDoWhile, "DO_WHILE")                       \
    X(CounterLoop, FlowBlockCounterLoop, "COUNTER_LOOP")           \
    X(Wait, FlowBlockWait, "WAIT")                                 \
    X(Pipeline, FlowBlockPip, "PIPELINE")                          \
    X(Zync, FlowBlockZync, "ZYNC")                                 \
    X(Pick, FlowBlockPick, "PICK")                                 \
    X(PickIf, FlowBlockPickIf, "PICK_IF")

VORLENT_KIND_ENUM(FlowBlockType, VORLENT_FLOW_BLOCK_KINDS)
inline constexpr size_t FLOW_BLOCK_TYPE_COUNT = KIND_COUNT<FlowBlockType>;

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
