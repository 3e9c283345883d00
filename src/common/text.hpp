// Small text helpers: "{}" formatting and the Debug renderings used by fatal
// messages. The toolchain's standard library has no <format>, and the
// system's messages are written as "{}" templates, so this fills them.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace vorlent {

// Appends the display form of a value. Integers print in decimal, bools as
// true/false, text as itself. Other types provide an overload of their own.
inline void append_display(std::string& out, std::string_view s) { out.append(s); }
inline void append_display(std::string& out, const std::string& s) { out.append(s); }
inline void append_display(std::string& out, const char* s) { out.append(s); }
inline void append_display(std::string& out, char c) { out.push_back(c); }
inline void append_display(std::string& out, bool b) { out.append(b ? "true" : "false"); }

template <class T>
requires(std::is_integral_v<T> && !std::is_same_v<T, bool> &&
         !std::is_same_v<T, char>) void append_display(std::string& out, T v) {
    char digits[24];  // any 64-bit integer with its sign
    out.append(digits, std::to_chars(digits, digits + sizeof digits, v).ptr);
}

// How many characters v takes in decimal.
inline size_t decimal_digits(uint64_t v) {
    size_t n = 1;
    for (; v >= 10; v /= 10) ++n;
    return n;
}

namespace detail {
inline void format_rest(std::string& out, std::string_view fmt) { out.append(fmt); }

template <class A, class... Rest>
void format_rest(std::string& out, std::string_view fmt, const A& a, const Rest&... rest) {
    const size_t pos = fmt.find("{}");
    if (pos == std::string_view::npos) {
        out.append(fmt);
        return;
    }
    out.append(fmt.substr(0, pos));
    append_display(out, a);
    format_rest(out, fmt.substr(pos + 2), rest...);
}
}  // namespace detail

// Fills each "{}" of the template, in order, with the display form of the
// next argument. Other braces are copied as they stand.
template <class... Args>
std::string format(std::string_view fmt, const Args&... args) {
    std::string out;
    out.reserve(fmt.size() + 16 * sizeof...(Args));
    detail::format_rest(out, fmt, args...);
    return out;
}

// The Debug rendering of a text: quoted, with quotes and backslashes escaped.
std::string debug_quoted(std::string_view s);

}  // namespace vorlent
