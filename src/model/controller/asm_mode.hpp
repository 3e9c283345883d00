// The assignment priority state: per thread, shared by every model used on
// that thread. User assignments read the current priority when their update
// event is made; the mode is only recorded and reported.
#pragma once

#include <cstdint>
#include <string_view>

namespace vorlent {

inline constexpr int32_t DEFAULT_UE_PRI_USER = 10;
inline constexpr int32_t DEFAULT_UE_PRI_INTERNAL_MAX = 100;
inline constexpr int32_t DEFAULT_UE_PRI_INTERNAL_MIN = 50;
// An input port's value is bound into the component it marks at this
// priority, after every assignment of the same priority: a register so
// marked shows only the assignments above it.
inline constexpr int32_t DEFAULT_UE_PRI_INPUT_PORT = DEFAULT_UE_PRI_INTERNAL_MIN;
inline constexpr int32_t DEFAULT_UE_PRI_RST = 2147483647;
inline constexpr int32_t DEFAULT_UE_PRI_MIN = 0;
inline constexpr int32_t DEFAULT_UE_PRI_FALLBACK = 1;
inline constexpr uint64_t DEFAULT_UE_SUB_PRIORITY_USER = 0;

enum class AsmNodePriorityMode : uint8_t { Auto = 0, Manual = 1 };

int32_t get_asm_pri_val();
AsmNodePriorityMode get_asm_pri_mode_value();
// "Auto" or "Manual".
std::string_view get_asm_pri_mode();
void set_asm_pri_to_auto();
void set_asm_pri_to_manual(int32_t priority);

}  // namespace vorlent
