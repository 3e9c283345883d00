// The event control of an always block.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/controller/clock_mode.hpp"

namespace vorlent {

// "posedge {clk}" / "negedge {clk}" for the edge modes, which need a clock
// text (fatal error without one); "*" for every other mode, ignoring `clk`.
std::string sensitivity_list(ClockMode mode, std::optional<std::string_view> clk);

}  // namespace vorlent
