// Bit ranges of signals.
#pragma once

#include <cstdint>
#include <string>

#include "common/text.hpp"

namespace vorlent {

// A half-open bit range [start, stop). -1, -1 is the whole signal.
struct Slice {
    int32_t start = -1;
    int32_t stop = -1;

    static constexpr Slice whole() { return Slice{-1, -1}; }
    static constexpr Slice range(int32_t start, int32_t stop) { return Slice{start, stop}; }

    // stop - start, as a 32-bit difference that wraps.
    int32_t size() const { return int32_t(uint32_t(stop) - uint32_t(start)); }
    // Usable where a range is needed: start >= 0 and stop > start.
    bool is_usable() const { return start >= 0 && stop > start; }

    friend bool operator==(const Slice&, const Slice&) = default;
};

// "Slice { start: S, stop: E }"
inline std::string debug_repr(const Slice& s) {
    return format("Slice { start: {}, stop: {} }", s.start, s.stop);
}

}  // namespace vorlent
