#include "model/hw_component/slice_check.hpp"

#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

SliceFault slice_fault(const Slice& slice, int32_t width) {
    if (slice == Slice::whole()) return SliceFault::None;
    if (slice.start < 0) return SliceFault::BelowBitZero;
    if (slice.stop <= slice.start) return SliceFault::NoBits;
    if (slice.stop > width) return SliceFault::PastTop;
    return SliceFault::None;
}

CheckResult check_slice_fits(std::string_view where, std::string_view param, const Slice& slice,
                             std::string_view signal, int32_t width) {
    std::string_view why;
    switch (slice_fault(slice, width)) {
        case SliceFault::None:
            return std::nullopt;
        case SliceFault::BelowBitZero:
            why = "starts below bit 0";
            break;
        case SliceFault::NoBits:
            why = "selects no bits";
            break;
        case SliceFault::PastTop:
            why = "reaches past the top bit";
            break;
    }
    return ErrorText::value(
        format("{}: {} {} {} of {} ({} bits); give Slice() for the whole signal or a bit range "
               "0 <= start < stop <= {}",
               where, param, debug_repr(slice), why, signal, width, width));
}

CheckResult check_slice_of(const ModelArena& model, std::string_view where, std::string_view param,
                           const std::optional<Slice>& slice, const HcpIdent& sig) {
    if (!slice) return std::nullopt;
    // The name is put together only for a refusal: slices pass on every call.
    const int32_t width = hcp_full_width(model, sig);
    if (slice_fault(*slice, width) == SliceFault::None) return std::nullopt;
    return check_slice_fits(where, param, *slice, format("\"{}\"", sig.abs_name()), width);
}

int32_t selected_width(const ModelArena& model, const HcpIdent& sig,
                       const std::optional<Slice>& slice) {
    return slice && slice->is_usable() ? slice->size() : hcp_full_width(model, sig);
}

CheckResult check_cond_slice(const ModelArena& model, std::string_view where,
                             std::string_view param, const HcpIdent& cond,
                             const std::optional<Slice>& slice) {
    if (!slice) return std::nullopt;
    const int32_t width = hcp_full_width(model, cond);
    if (slice_fault(*slice, width) == SliceFault::PastTop)
        return ErrorText::value(format("cond slice {} does not fit cond variable of width {}",
                                       debug_repr(*slice), width));
    return check_slice_of(model, where, param, slice, cond);
}

CheckResult check_cond_width(const ModelArena& model, std::string_view where,
                             std::string_view param, const HcpIdent& cond,
                             const std::optional<Slice>& slice) {
    if (auto err = check_cond_slice(model, where, param, cond, slice)) return err;
    const int32_t selected = selected_width(model, cond, slice);
    if (selected == 1) return std::nullopt;
    return ErrorText::value(
        format("cond must be 1-bit, got {} (slice the cond variable down to one bit)", selected));
}

}  // namespace vorlent
