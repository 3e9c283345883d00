#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorlent {

// The 13 hardware-component kinds. The tag indexes a module's component
// lists and selects the component's arena. Nest has no component behind it.
enum class HwComponentType : uint8_t {
    Reg = 0,
    StateReg = 1,
    CondWaitStateReg = 2,
    CycleWaitStateReg = 3,
    CntReg = 4,
    SyncReg = 5,
    Wire = 6,
    Nest = 7,
    Val = 8,
    MemBlockIndexer = 9,
    Expression = 10,
    IoWire = 11,
    MemBlock = 12,
};
inline constexpr size_t HW_COMPONENT_TYPE_COUNT = 13;

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
