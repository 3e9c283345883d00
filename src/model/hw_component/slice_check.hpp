// The one rule for every slice a caller gives for a signal. The model reads
// a slice as given: Slice() is the whole signal, any other the bits
// [start, stop). A slice outside the signal would be written as a select
// the tools reject or read as x, and a reversed or open-ended one would be
// taken for the whole signal, so the methods that take a caller's slice
// refuse both before they make anything.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "common/error_text.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/common/slice.hpp"

namespace vorlent {

class ModelArena;

// Why `slice` is no bit range of a signal `width` bits wide; None for
// Slice() and for 0 <= start < stop <= width.
enum class SliceFault : uint8_t { None, BelowBitZero, NoBits, PastTop };
SliceFault slice_fault(const Slice& slice, int32_t width);

// Refuses a slice with a fault: "{where}: {param} Slice { start: S, stop: E }
// reaches past the top bit of {signal} (W bits); ..." (or "starts below bit
// 0", "selects no bits"). `signal` is shown as given.
CheckResult check_slice_fits(std::string_view where, std::string_view param, const Slice& slice,
                             std::string_view signal, int32_t width);

// The same for a slice of the component `sig`, named by its absolute name;
// an absent slice is the whole signal.
CheckResult check_slice_of(const ModelArena& model, std::string_view where, std::string_view param,
                           const std::optional<Slice>& slice, const HcpIdent& sig);

// How many bits of `sig` a slice that passed the checks above selects: its
// own size, or the whole signal for Slice() or no slice.
int32_t selected_width(const ModelArena& model, const HcpIdent& sig,
                       const std::optional<Slice>& slice);

// A condition must select exactly one bit of itself. Its slice follows the
// rule above, except that one past its top bit is refused with "cond slice
// {} does not fit cond variable of width {}"; then the selected width must
// be 1: "cond must be 1-bit, got {} (slice the cond variable down to one
// bit)", a text for the parameters that take a cond slice; a signal taken
// whole where one bit is meant (a Karray write's enable, a reduce pick, a
// zync bind's condition) is refused by its caller, which names the argument.
// The first of the two checks alone is check_cond_slice.
CheckResult check_cond_slice(const ModelArena& model, std::string_view where,
                             std::string_view param, const HcpIdent& cond,
                             const std::optional<Slice>& slice);
CheckResult check_cond_width(const ModelArena& model, std::string_view where,
                             std::string_view param, const HcpIdent& cond,
                             const std::optional<Slice>& slice);

}  // namespace vorlent
