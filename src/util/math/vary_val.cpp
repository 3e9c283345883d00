#include "util/math/vary_val.hpp"

namespace vorlent {

VaryVal VaryVal::fit(Limbs limbs, size_t width) {
    const size_t n = width / 64 + (width % 64 != 0);
    limbs.resize(n, 0);
    if (n > 0 && width % 64 != 0) limbs.back() &= (uint64_t(1) << (width % 64)) - 1;
    return VaryVal{std::move(limbs), width};
}

VaryVal VaryVal::from_limbs(const std::vector<uint64_t>& limbs, size_t width) {
    return fit(Limbs(limbs.begin(), limbs.end()), width);
}

VaryVal VaryVal::from_u64(uint64_t value, size_t width) { return fit(Limbs{value}, width); }

}  // namespace vorlent
