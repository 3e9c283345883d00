// Integers of any size and sign, as the caller's int operands reach the
// model, and the bits of the constant each becomes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorlent {

// A signed integer of any size: its two's-complement bit pattern in 64-bit
// limbs, least significant first. The top bit of the last limb is the sign;
// there is always at least one limb.
struct WideInt {
    std::vector<uint64_t> limbs{0};

    static WideInt from_i64(int64_t v) { return WideInt{{uint64_t(v)}}; }
    bool is_negative() const { return (limbs.back() >> 63) != 0; }

    friend bool operator==(const WideInt&, const WideInt&) = default;
};

// The value reduced modulo 2^width (width >= 1), so that it lies in
// 0 .. 2^width - 1: a negative value becomes its two's-complement pattern of
// that width and bits above the width are dropped. Returns exactly
// ceil(width / 64) limbs, least significant first.
inline std::vector<uint64_t> reduce_mod_pow2(const WideInt& value, uint64_t width) {
    const size_t count = size_t((width + 63) / 64);
    const uint64_t fill = value.is_negative() ? ~uint64_t(0) : 0;
    std::vector<uint64_t> out(count, fill);
    for (size_t i = 0; i < count && i < value.limbs.size(); ++i) out[i] = value.limbs[i];
    if (const uint64_t top_bits = width % 64; top_bits != 0 && count > 0)
        out.back() &= (uint64_t(1) << top_bits) - 1;
    return out;
}

// What a constant made from an integer operand holds, by the width of the
// other side of its use: nothing to mask below width 1 (the constant is 0),
// a plain 64-bit value up to width 64, and limbs from width 65 on.
struct ConstBits {
    bool wide = false;
    uint64_t value = 0;           // when !wide
    std::vector<uint64_t> limbs;  // when wide: ceil(width / 64) limbs
};

inline ConstBits const_bits_for_width(const WideInt& value, int32_t width) {
    ConstBits bits;
    if (width < 1) return bits;
    std::vector<uint64_t> reduced = reduce_mod_pow2(value, uint64_t(width));
    if (width >= 65) {
        bits.wide = true;
        bits.limbs = std::move(reduced);
    } else {
        bits.value = reduced.front();
    }
    return bits;
}

}  // namespace vorlent
