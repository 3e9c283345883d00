// The hardware-component kinds and the sensitivity a component is made with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/common/kind_list.hpp"

namespace vorlent {

// The hardware-component kinds, in tag order: X(tag, record class, text in
// absolute names). The tag indexes a module's component lists and selects
// the component's arena. Nest has no component behind it.
#define VORLENT_HCP_KINDS(X)                           \
    X(Reg, Reg, "REG")                                 \
    X(StateReg, StateReg, "SR_ST")                     \
    X(CondWaitStateReg, CondWaitStateReg, "SR_CDWT")   \
    X(CycleWaitStateReg, CycleWaitStateReg, "SR_CYWT") \
    X(CntReg, CntReg, "CNT_REG")                       \
    X(SyncReg, SyncReg, "SR_SY")                       \
    X(Wire, Wire, "WIRE")                              \
    X(Nest, void, "NEST")                              \
    X(Val, Val, "VAL")                                 \
    X(MemBlockIndexer, MemEle, "MEM_BLOCK_INDEXER")    \
    X(Expression, Expression, "EXPR")                  \
    X(IoWire, IoWire, "IO_WIRE")                       \
    X(MemBlock, MemBlk, "MEM_BLOCK")

VORLENT_KIND_ENUM(HwComponentType, VORLENT_HCP_KINDS)
inline constexpr size_t HW_COMPONENT_TYPE_COUNT = KIND_COUNT<HwComponentType>;

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
