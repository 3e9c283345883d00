// The hardware-component kinds and the sensitivity a component is made with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "model/common/kind_list.hpp"

namespace vorlent {

// What a kind's components take part in, stated by each kind in the list
// below: whether routing carries their reads across modules (the kinds that
// read other signals; IO wires are what routing makes, and a memory block is
// only reached through its elements), and whether their update pool is
// sorted by priority before it is written (the kinds whose pools the
// emitters write as prioritised assignments).
enum class HcpReads : uint8_t { Routed, Local };
enum class HcpPool : uint8_t { Sorted, AsMade };

// The hardware-component kinds, in tag order: X(tag, record class, text in
// absolute names, reads, pool). The tag indexes a module's component lists
// and selects the component's arena; the order is part of the output (the
// declarations are written kind by kind). Nest has no component behind it.
#define VORLENT_HCP_KINDS(X)                                                        \
    X(Reg, Reg, "REG", Routed, Sorted)                                              \
    X(StateReg, StateReg, "SR_ST", Routed, Sorted)                                  \
    X(CondWaitStateReg, CondWaitStateReg, "SR_CDWT", Routed, Sorted)                \
    X(CycleWaitStateReg, CycleWaitStateReg, "SR_CYWT", Routed, Sorted)              \
    X(CntReg, CntReg, "CNT_REG", Routed, Sorted)                                    \
    X(SyncReg, SyncReg, "SR_SY", Routed, Sorted)                                    \
    X(Wire, Wire, "WIRE", Routed, Sorted)                                           \
    X(Nest, void, "NEST", Routed, Sorted)                                           \
    X(Val, Val, "VAL", Routed, Sorted)                                              \
    X(MemBlockIndexer, MemEle, "MEM_BLOCK_INDEXER", Routed, Sorted)                 \
    X(Expression, Expression, "EXPR", Routed, AsMade)                               \
    X(IoWire, IoWire, "IO_WIRE", Local, AsMade)                                     \
    X(MemBlock, MemBlk, "MEM_BLOCK", Local, AsMade)

VORLENT_KIND_ENUM(HwComponentType, VORLENT_HCP_KINDS)
inline constexpr size_t HW_COMPONENT_TYPE_COUNT = KIND_COUNT<HwComponentType>;

namespace hcp_kind_detail {
// Five columns, or the expansion fails to compile: every kind states both.
#define VORLENT_HCP_READS(tag, record, text, reads, pool) HcpReads::reads,
#define VORLENT_HCP_POOL(tag, record, text, reads, pool) HcpPool::pool,
inline constexpr HcpReads READS[] = {VORLENT_HCP_KINDS(VORLENT_HCP_READS)};
inline constexpr HcpPool POOL[] = {VORLENT_HCP_KINDS(VORLENT_HCP_POOL)};
#undef VORLENT_HCP_READS
#undef VORLENT_HCP_POOL
static_assert(std::size(READS) == HW_COMPONENT_TYPE_COUNT &&
              std::size(POOL) == HW_COMPONENT_TYPE_COUNT);
}  // namespace hcp_kind_detail

// Whether routing carries the reads of components of kind `t` across modules.
constexpr bool hcp_reads_routed(HwComponentType t) {
    return hcp_kind_detail::READS[size_t(t)] == HcpReads::Routed;
}
// Whether the update pool of a component of kind `t` is sorted before it is written.
constexpr bool hcp_pool_sorted(HwComponentType t) {
    return hcp_kind_detail::POOL[size_t(t)] == HcpPool::Sorted;
}

// "REG", "SR_ST", ... as used in absolute names.
std::string_view hw_type_display(HwComponentType t);
// The variant name ("Reg", "StateReg", ...).
std::string_view hw_type_debug(HwComponentType t);
inline std::string debug_repr(HwComponentType t) { return std::string(hw_type_debug(t)); }

// The sensitivity a component's kind gives it at creation. One byte: its
// number shows in the identity's debug form.
enum class Sensitivity : uint8_t { Clocked = 0, Combinational = 1, ReadOnly = 2 };
// "clocked", "combinational", "read_only".
std::string_view sensitivity_name(Sensitivity s);

}  // namespace vorlent
