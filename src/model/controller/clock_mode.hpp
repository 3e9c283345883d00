// How update events are clocked.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorlent {

// How an update event is clocked. Amt is the count of modes, never a mode.
enum class ClockMode : uint8_t { PosEdge = 0, NegEdge = 1, ClkFree = 2, ClkUnused = 3, Amt = 4 };

std::string_view clock_mode_debug_name(ClockMode m);
inline std::string debug_repr(ClockMode m) { return std::string(clock_mode_debug_name(m)); }
inline bool is_edge_clocked(ClockMode m) {
    return m == ClockMode::PosEdge || m == ClockMode::NegEdge;
}

}  // namespace vorlent
