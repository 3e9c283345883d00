// The text of an enumerator from a table of texts in enumerator order.
#pragma once

#include <cstddef>
#include <string_view>

namespace vorlent {

// `names[e]` for an enum whose values count up from 0; a value outside the
// table (only a corrupted one) reads as the first name.
template <class Enum, size_t N>
constexpr std::string_view enum_name(Enum e, const std::string_view (&names)[N]) {
    const size_t i = size_t(e);
    return i < N ? names[i] : names[0];
}

}  // namespace vorlent
