// Integers of any size and sign, as the caller's int operands reach the
// model, and the bits of the constant each becomes.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vorlent {

// A signed integer of any size: its two's-complement bit pattern in 64-bit
// limbs, least significant first. The top bit of the last limb is the sign;
// there is always at least one limb.
struct WideInt {
    std::vector<uint64_t> limbs{0};

    static WideInt from_i64(int64_t v) { return WideInt{{uint64_t(v)}}; }
    // Limbs read as an unsigned number.
    static WideInt from_unsigned(std::vector<uint64_t> limbs) {
        if (limbs.empty() || (limbs.back() >> 63) != 0) limbs.push_back(0);
        return WideInt{std::move(limbs)};
    }
    bool is_negative() const { return (limbs.back() >> 63) != 0; }

    friend bool operator==(const WideInt&, const WideInt&) = default;
};

// The fewest bits that hold the value whole: as an unsigned number when it
// is not negative, in two's complement (its sign bit included) when it is.
// 0 needs none, -1 one bit, -8 four, 8 four.
inline uint64_t min_width(const WideInt& value) {
    const uint64_t flip = value.is_negative() ? ~uint64_t(0) : 0;
    for (size_t i = value.limbs.size(); i-- > 0;)
        if (const uint64_t limb = value.limbs[i] ^ flip; limb != 0)
            return 64 * i + uint64_t(std::bit_width(limb)) + (flip & 1);
    return flip & 1;
}

// Whether a constant of `width` bits holds the value: 0 .. 2^width - 1, or
// down to -2^(width-1) for a negative value read back as signed.
inline bool fits_width(const WideInt& value, int64_t width) {
    return width >= 0 && min_width(value) <= uint64_t(width);
}

// The value in decimal, as Python writes an int.
inline std::string decimal_text(const WideInt& value) {
    std::vector<uint64_t> mag = value.limbs;
    const bool negative = value.is_negative();
    if (negative) {  // two's complement negation
        bool carry = true;
        for (uint64_t& limb : mag) {
            limb = ~limb + (carry ? 1 : 0);
            carry = carry && limb == 0;
        }
    }
    // Nineteen digits at a time, lowest first.
    constexpr uint64_t CHUNK = 10'000'000'000'000'000'000u;
    std::string reversed;
    bool more = true;
    while (more) {
        unsigned __int128 rem = 0;
        more = false;
        for (size_t i = mag.size(); i-- > 0;) {
            const unsigned __int128 cur = (rem << 64) | mag[i];
            mag[i] = uint64_t(cur / CHUNK);
            rem = cur % CHUNK;
            more = more || mag[i] != 0;
        }
        auto digits = uint64_t(rem);
        for (int d = 0; d < 19 && (more || digits != 0 || d == 0); ++d, digits /= 10)
            reversed.push_back(char('0' + digits % 10));
    }
    if (negative) reversed.push_back('-');
    return std::string(reversed.rbegin(), reversed.rend());
}

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

// The highest bit set among bits [from, to) of `limbs` (`to` at most
// 64 * limbs.size()), or -1 when none of them is.
inline int64_t highest_set_bit(const std::vector<uint64_t>& limbs, uint64_t from, uint64_t to) {
    for (uint64_t end = to; end > from;) {
        const uint64_t low = std::max(from, (end - 1) / 64 * 64);
        const uint64_t count = end - low;
        const uint64_t mask = count == 64 ? ~uint64_t(0) : (uint64_t(1) << count) - 1;
        if (const uint64_t set = (limbs[size_t(low / 64)] >> (low % 64)) & mask; set != 0)
            return int64_t(low) + std::bit_width(set) - 1;
        end = low;
    }
    return -1;
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
