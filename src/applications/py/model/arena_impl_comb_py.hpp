// What the generator methods settle before they reach a generator: the
// width a mux takes from its signal inputs, and the slices of any-of and
// sum terms. Free of Python.h, so the C++ tests reach it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "applications/py/model/hw_component/arena_impl_hwc_py.hpp"
#include "common/text.hpp"
#include "model/arena_impl_comb.hpp"

namespace vorlent::py {

// The width of a mux input given as a signal: its slice's size when the
// slice is a bit range (0 <= start < stop), else the whole signal, which is
// also what the mux reads for any other slice (Slice() among them).
inline int32_t mux_input_width(const ModelArena& model, const HcpIdent& sig,
                               const std::optional<Slice>& slice) {
    if (slice && slice->is_usable()) return slice->size();
    return hcp_full_width(model, sig);
}

// The (signal, slice) pairs of any-of and sum-count as generator terms. Each
// slice is read as given, so it must be a bit range or Slice() for the whole
// signal; any other selects no bits (an expression of no or negative width)
// or reads below bit 0.
inline Result<std::vector<CombTerm>> comb_terms(
    std::string_view param_name, const std::vector<std::tuple<HcpIdent, Slice>>& pairs) {
    std::vector<CombTerm> terms;
    terms.reserve(pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i) {
        const auto& [sig, slice] = pairs[i];
        if (auto err = check_operand_slice(format("{}[{}]", param_name, i), slice)) return *err;
        terms.push_back(CombTerm{sig, slice});
    }
    return terms;
}

}  // namespace vorlent::py
