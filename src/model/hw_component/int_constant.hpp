// The constant an int operand becomes: the caller passes an int where a
// signal is expected, and it is sized by the other side of its use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "common/wide_int.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"

namespace vorlent {

// Where a signal is expected the caller may pass an int instead.
using SignalOrInt = std::variant<HcpIdent, WideInt>;

// An int that the constant made of it does not hold whole (see
// fits_width): the caller is told after the call what was kept.
// A shift amount's constant may hold the shifted width instead of the
// int's low bits (make_shift_amount_const): `shifts_by` says so.
struct IntCut {
    WideInt value;
    int32_t width;
    HcpIdent constant;
    std::optional<int32_t> shifts_by = std::nullopt;
};
using IntCuts = std::vector<IntCut>;

// Adds `value` to `cuts` unless `constant`, `width` bits wide, holds it.
inline void note_int_cut(IntCuts& cuts, const WideInt& value, int32_t width,
                         const HcpIdent& constant,
                         std::optional<int32_t> shifts_by = std::nullopt) {
    if (!fits_width(value, width)) cuts.push_back(IntCut{value, width, constant, shifts_by});
}

// A user-made constant "{base_name}_c" of `width` bits holding `value`
// reduced modulo 2^width (a negative value as its two's-complement pattern),
// noted in `cuts` when that loses bits. Up to 64 bits it is a plain
// constant, from 65 bits a wide one. Stamped to the traced module like the
// caller's own components.
inline HcpIdent make_const_val(ModelArena& model, std::string_view base_name, const WideInt& value,
                               int32_t width, IntCuts& cuts) {
    const std::string name = format("{}_c", base_name);
    ConstBits bits = const_bits_for_width(value, width);
    const HcpIdent made =
        bits.wide ? make_val_vv(model, true, name, uint32_t(width),
                                VaryVal::from_limbs(std::move(bits.limbs), size_t(width)))
                  : make_val(model, true, name, width, bits.value);
    note_int_cut(cuts, value, width, made);
    return made;
}

// The constant an int shift amount becomes, `width` bits wide, of which the
// shift reads `read`. An amount of 2^32 or more is refused by one Verilog
// tool ("too wide") and shifts every bit out in the other; any amount at
// least as wide as the shifted operand (`shifted_width` bits) gives 0, so
// such a constant holds that width at the bits the shift reads instead: both
// tools take it, with the same result. An int that `width` bits cannot
// hold is noted in `cuts` as make_const_val notes it, with the shift the
// constant holds where it was replaced. Every other amount is
// make_const_val's.
inline HcpIdent make_shift_amount_const(ModelArena& model, std::string_view base_name,
                                        const WideInt& value, int32_t width, Slice read,
                                        int32_t shifted_width, IntCuts& cuts) {
    constexpr uint64_t AMOUNT_BITS = 32;
    if (width < 1 || !read.is_usable() || uint64_t(read.size()) <= AMOUNT_BITS)
        return make_const_val(model, base_name, value, width, cuts);
    const std::vector<uint64_t> kept = reduce_mod_pow2(value, uint64_t(width));
    if (highest_set_bit(kept, uint64_t(read.start) + AMOUNT_BITS, uint64_t(read.stop)) < 0)
        return make_const_val(model, base_name, value, width, cuts);
    std::vector<uint64_t> limbs(kept.size(), 0);
    for (uint64_t b = 0; b < AMOUNT_BITS; ++b) {
        const uint64_t at = uint64_t(read.start) + b;
        if ((uint64_t(shifted_width) >> b) & 1) limbs[size_t(at / 64)] |= uint64_t(1) << (at % 64);
    }
    const HcpIdent made =
        make_const_val(model, base_name, WideInt::from_unsigned(std::move(limbs)), width, cuts);
    note_int_cut(cuts, value, width, made, shifted_width);
    return made;
}

// The fewest bits that hold what an int gives when its constant, `width`
// bits wide, is read over `read`: the int's own (min_width: a negative int
// counts as signed) when the read is the whole constant, else those of the
// bits read, as an unsigned number. A resize warning about an int source
// asks this rather than the constant's width, which is the other side's.
inline uint64_t read_int_min_width(const WideInt& value, int32_t width, Slice read) {
    if (read.start == 0 && read.stop == width) return min_width(value);
    if (width < 1 || !read.is_usable()) return 0;
    const int64_t top = highest_set_bit(reduce_mod_pow2(value, uint64_t(width)),
                                        uint64_t(read.start), uint64_t(read.stop));
    return top < 0 ? 0 : uint64_t(top - read.start + 1);
}

}  // namespace vorlent
