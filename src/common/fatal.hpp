// The fatal tier: a broken model invariant stops the running operation with a
// fixed message. It travels as a C++ exception up to the Python layer, which
// raises it as PanicException. Elements taken out of their arenas are put back
// by their guards while the exception unwinds (see arena_base.hpp).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "common/text.hpp"

namespace vorlent {

class FatalError : public std::runtime_error {
public:
    explicit FatalError(std::string message)
        : std::runtime_error(message), message_(std::move(message)) {}
    // The whole message; unlike what(), it keeps any NUL byte a quoted name holds.
    std::string_view message() const noexcept { return message_; }

private:
    std::string message_;
};

// Stops the operation with the given message.
[[noreturn]] void fatal(std::string message);

// Stops the operation with the standard text of a failed equality ("==") or
// inequality ("!=") assertion: the message, then the two values on their own
// lines, each already rendered in its Debug form.
[[noreturn]] void fatal_assert_cmp(std::string_view op, std::string_view message,
                                   std::string_view left, std::string_view right);

// Debug renderings of plain values, used by the assertion helpers below.
// Other types add overloads of `debug_repr` in their own headers.
inline std::string debug_repr(std::string_view s) { return debug_quoted(s); }
inline std::string debug_repr(bool b) { return b ? "true" : "false"; }
template <class T>
requires(std::is_integral_v<T> && !std::is_same_v<T, bool>) std::string debug_repr(T v) {
    return std::to_string(v);
}

// Equality assertion: stops with the standard text when `left != right`.
template <class L, class R>
void assert_eq(const L& left, const R& right, std::string_view message) {
    if (!(left == right)) [[unlikely]]
        fatal_assert_cmp("==", message, debug_repr(left), debug_repr(right));
}

// Inequality assertion: stops with the standard text when `left == right`.
template <class L, class R>
void assert_ne(const L& left, const R& right, std::string_view message) {
    if (left == right) [[unlikely]]
        fatal_assert_cmp("!=", message, debug_repr(left), debug_repr(right));
}

}  // namespace vorlent
