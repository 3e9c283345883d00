#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorlent {

// An unsigned constant of any width: little-endian 64-bit limbs. After
// construction it holds exactly ceil(width / 64) limbs, and the bits of the
// top limb at and above width mod 64 are zero.
struct VaryVal {
    std::vector<uint64_t> limbs;
    size_t width = 0;

    // Pads with zero limbs or drops surplus ones, then masks the top limb.
    static VaryVal from_limbs(std::vector<uint64_t> limbs, size_t width);
    // A value of the given width whose lowest limb holds `value`, masked.
    static VaryVal from_u64(uint64_t value, size_t width);

    friend bool operator==(const VaryVal&, const VaryVal&) = default;
};

}  // namespace vorlent
