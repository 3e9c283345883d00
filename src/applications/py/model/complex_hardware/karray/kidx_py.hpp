// What the Karray methods share: the Python form of a selection and its
// decoding, and the warning about skipped fields. Free of Python.h but for
// the warning itself, so the C++ tests reach the rest.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "common/error_text.hpp"
#include "model/complex_hardware/karray/kidx.hpp"

namespace vorlent::py {

// One selector as Python passes it: (kind, ints, signals).
using PyKIdx = std::tuple<std::string, std::vector<size_t>, std::vector<HcpIdent>>;

// "static" (one int), "dyn" (one signal), "cus" (one or more signals),
// "reduce" (nothing), the kind matched exactly; anything else is `Value`
// "malformed Karray index selector of kind '{}'". Stops at the first.
Result<std::vector<KIdx>> decode_kidx(const std::vector<PyKIdx>& selection);

inline constexpr std::string_view SKIPPED_SOURCES_PREFIX =
    "karray assign: skipped sources with no matching field";
inline constexpr std::string_view SKIPPED_DESTINATIONS_PREFIX =
    "karray-to-karray assign: skipped destination fields with no name+width match";

// "{prefix}: [\"a\", \"b\"]": the names quoted and escaped as a debug list.
std::string skipped_fields_message(std::string_view prefix, const std::vector<std::string>& names);

// warnings.warn of that message; nothing when no name was skipped. A warning
// turned into an error travels as PythonErrorSet.
void warn_skipped_fields(std::string_view prefix, const std::vector<std::string>& names);

}  // namespace vorlent::py
