// Constants of any width.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/small_vec.hpp"

namespace vorlent {

// An unsigned constant of any width: little-endian 64-bit limbs. After
// construction it holds exactly ceil(width / 64) limbs, and the bits of the
// top limb at and above width mod 64 are zero.
struct VaryVal {
    // Most constants fit one limb, which is kept in place.
    using Limbs = SmallVec<uint64_t, 1>;

    Limbs limbs;
    size_t width = 0;

    // Pads with zero limbs or drops surplus ones, then masks the top limb.
    static VaryVal from_limbs(const std::vector<uint64_t>& limbs, size_t width);
    // A value of the given width whose lowest limb holds `value`, masked.
    static VaryVal from_u64(uint64_t value, size_t width);

    friend bool operator==(const VaryVal&, const VaryVal&) = default;

private:
    static VaryVal fit(Limbs limbs, size_t width);
};

}  // namespace vorlent
