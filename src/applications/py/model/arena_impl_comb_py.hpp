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
#include "model/hw_component/slice_check.hpp"

namespace vorlent::py {

// The (signal, slice) pairs of any-of and sum-count, given to `where` as
// `param_name`, as generator terms: each slice must be a bit range of its
// signal or Slice() for the whole signal.
inline Result<std::vector<CombTerm>> comb_terms(
    const ModelArena& model, std::string_view where, std::string_view param_name,
    const std::vector<std::tuple<HcpIdent, Slice>>& pairs) {
    std::vector<CombTerm> terms;
    terms.reserve(pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i) {
        const auto& [sig, slice] = pairs[i];
        if (auto err = check_slice_of(model, where, format("{}[{}]", param_name, i), slice, sig))
            return *err;
        terms.push_back(CombTerm{sig, slice});
    }
    return terms;
}

}  // namespace vorlent::py
