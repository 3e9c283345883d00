// Texts of declarations: the bit range of a signal and the literal of a
// constant.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "util/math/vary_val.hpp"

namespace vorlent {

// W(w): "[{w-1}:0] " for a width of 2 or more, empty otherwise, so a 1-bit
// signal is never declared with a range. Wide enough for i32 and u32 widths.
std::string width_prefix(int64_t width);

// The most copies one replication writes: Verilator warns of more
// (WIDTHCONCAT, "More than a 8k bit replication is probably wrong"),
// whatever the width of what is copied.
inline constexpr int64_t VERILOG_REPLICATION_MAX = 8192;

// "{copies{what}}".
std::string replication_vb(int64_t copies, std::string_view what);

// `bits` zero bits (at least 1) as the items of a concatenation: "{n{1'b0}}"
// up to VERILOG_REPLICATION_MAX bits; beyond, `bits` in base 8192, highest
// digit first, each nonzero digit d of weight 8192^k one replication of d
// copies of 8192^k zeros ("{2{{8192{1'b0}}}}, {3616{1'b0}}" for 20,000).
std::string zero_fill_vb(int64_t bits);

// The Verilog literal of a constant: "1'b0"/"1'b1" for width 1, else
// "{width}'h{hex}" with lower-case digits and no leading zeros ("0" at least).
std::string vary_val_to_verilog(const VaryVal& value);

}  // namespace vorlent
