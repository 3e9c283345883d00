// Texts of declarations: the bit range of a signal and the literal of a
// constant.
#pragma once

#include <cstdint>
#include <string>

#include "util/math/vary_val.hpp"

namespace vorlent {

// W(w): "[{w-1}:0] " for a width of 2 or more, empty otherwise, so a 1-bit
// signal is never declared with a range. Wide enough for i32 and u32 widths.
std::string width_prefix(int64_t width);

// The Verilog literal of a constant: "1'b0"/"1'b1" for width 1, else
// "{width}'h{hex}" with lower-case digits and no leading zeros ("0" at least).
std::string vary_val_to_verilog(const VaryVal& value);

}  // namespace vorlent
