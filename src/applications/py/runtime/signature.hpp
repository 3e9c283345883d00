// Method signatures written once, as the documented text signature
// ("mk_expression($self, name, op, a, b, a_slice=None, b_slice=None)"), and
// read at compile time for everything else: the method's name, the head of
// its docstring (from which the interpreter derives __text_signature__; see
// docstring.hpp), and the parameter names and defaults used to bind a call's
// arguments.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vorlent::py {

// A string literal usable as a template argument.
template <size_t N>
struct FixedString {
    char chars[N]{};
    constexpr FixedString(const char (&s)[N]) { std::copy_n(s, N, chars); }
    constexpr std::string_view view() const { return std::string_view(chars, N - 1); }
};

// What an omitted argument binds to: nothing (it is required), None, False,
// or no object at all ("...", for parameters whose absence is itself a value).
enum class ParamDefault : uint8_t { Required, None, False, Omitted };

struct ParamSpec {
    std::string_view name;
    ParamDefault fallback = ParamDefault::Required;
};

namespace sig_detail {

constexpr std::string_view trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// The first and the last index of `c` in `s` (npos if absent). Plain index
// loops: string_view::find goes through a pointer search whose null test
// GCC's -fsanitize=null instruments, which no constant expression allows.
constexpr size_t first_of(std::string_view s, char c) {
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i] == c) return i;
    return std::string_view::npos;
}
constexpr size_t last_of(std::string_view s, char c) {
    for (size_t i = s.size(); i-- > 0;)
        if (s[i] == c) return i;
    return std::string_view::npos;
}

constexpr std::string_view inner(std::string_view sig) {
    const size_t open = first_of(sig, '(');
    const size_t close = last_of(sig, ')');
    return sig.substr(open + 1, close - open - 1);
}

// Calls `f` with each parameter text, skipping the receiver ("$self").
template <class F>
constexpr void for_each_param(std::string_view sig, F&& f) {
    std::string_view rest = inner(sig);
    while (!trim(rest).empty()) {
        const size_t comma = first_of(rest, ',');
        const std::string_view piece = trim(rest.substr(0, comma));
        if (piece != "$self") f(piece);
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
}

constexpr size_t count_params(std::string_view sig) {
    size_t n = 0;
    for_each_param(sig, [&](std::string_view) { ++n; });
    return n;
}

constexpr ParamSpec parse_param(std::string_view piece) {
    const size_t eq = first_of(piece, '=');
    if (eq == std::string_view::npos) return ParamSpec{piece, ParamDefault::Required};
    const std::string_view value = trim(piece.substr(eq + 1));
    const ParamDefault fallback = value == "None"    ? ParamDefault::None
                                  : value == "False" ? ParamDefault::False
                                  : value == "..."   ? ParamDefault::Omitted
                                                     : throw "unsupported parameter default";
    return ParamSpec{trim(piece.substr(0, eq)), fallback};
}

}  // namespace sig_detail

template <FixedString Sig>
struct Signature {
    static constexpr std::string_view text = Sig.view();
    static constexpr std::string_view name = text.substr(0, sig_detail::first_of(text, '('));
    static constexpr size_t count = sig_detail::count_params(text);

    static constexpr std::array<ParamSpec, count> params = [] {
        std::array<ParamSpec, count> out{};
        size_t i = 0;
        sig_detail::for_each_param(
            text, [&](std::string_view p) { out[i++] = sig_detail::parse_param(p); });
        return out;
    }();

    // Required parameters come first, so binding by position stays unambiguous.
    static_assert(
        [] {
            bool optional_seen = false;
            for (const ParamSpec& p : params) {
                if (p.fallback != ParamDefault::Required)
                    optional_seen = true;
                else if (optional_seen)
                    return false;
            }
            return true;
        }(),
        "a required parameter follows an optional one");

    // NUL-terminated name for the method table.
    static constexpr std::array<char, name.size() + 1> c_name = [] {
        std::array<char, name.size() + 1> out{};
        std::copy_n(name.data(), name.size(), out.data());
        return out;
    }();
};

}  // namespace vorlent::py
