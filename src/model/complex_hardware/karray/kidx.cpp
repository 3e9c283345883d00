#include "model/complex_hardware/karray/kidx.hpp"

#include "common/text.hpp"

namespace vorlent {

uint32_t index_bits(size_t n) {
    uint32_t b = 1;
    // 2^b >= n, counted without forming 2^64.
    while (b < 64 && (uint64_t(1) << b) < uint64_t(n)) ++b;
    return b;
}

std::string index_list_text(const std::vector<size_t>& indexes) {
    std::string out = "[";
    for (size_t i = 0; i < indexes.size(); ++i) {
        if (i) out += ", ";
        append_display(out, indexes[i]);
    }
    return out + "]";
}

CheckResult check_kidx(const std::vector<size_t>& shape, const std::vector<KIdx>& sel) {
    if (sel.size() != shape.size())
        return ErrorText::value(format(
            "a Karray selection must index every dimension: got {} indices for a {}-D Karray",
            sel.size(), shape.size()));
    for (size_t d = 0; d < shape.size(); ++d) {
        const size_t n = shape[d];
        if (const auto* s = std::get_if<KIdx::Static>(&sel[d].v); s && s->index >= n)
            return ErrorText::value(
                format("index {} out of bounds for dimension {} of size {}", s->index, d, n));
        if (const auto* c = std::get_if<KIdx::Custom>(&sel[d].v); c && c->enables.size() != n)
            return ErrorText::value(format(
                "custom write index for dimension {} needs one enable bit per index ({}), got {}",
                d, n, c->enables.size()));
    }
    return std::nullopt;
}

CheckResult check_index_width(size_t d, size_t n, int32_t width) {
    const uint32_t b = index_bits(n);
    if (int64_t(width) >= int64_t(b)) return std::nullopt;
    return ErrorText::value(
        format("dynamic index for dim {} needs >= {} bits to address {} elements, got {}", d, b, n,
               width));
}

}  // namespace vorlent
