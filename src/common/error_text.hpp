// The caller-facing tier: a check that the caller can fail yields an error
// text instead of stopping the operation (a CheckResult, or a Result in place
// of the value). The Python layer raises it as ValueError (or TypeError, for
// the few checks that are about an argument's kind).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace vorlent {

struct ErrorText {
    enum class Kind : uint8_t { Value, Type };
    Kind kind = Kind::Value;
    std::string message;

    static ErrorText value(std::string m) { return {Kind::Value, std::move(m)}; }
    static ErrorText type(std::string m) { return {Kind::Type, std::move(m)}; }

    friend bool operator==(const ErrorText&, const ErrorText&) = default;
};

// Outcome of a check: nothing on success, the error text on failure.
using CheckResult = std::optional<ErrorText>;

// A value, or the error text of a check the caller failed.
template <class T>
class Result {
public:
    // From what converts to the value or to the error text, not to both.
    template <class U>
    requires(std::is_convertible_v<U&&, T> && !std::is_convertible_v<U&&, ErrorText>)
        Result(U&& value)
        : v_(std::in_place_index<0>, std::forward<U>(value)) {}
    template <class U>
    requires(std::is_convertible_v<U&&, ErrorText> && !std::is_convertible_v<U&&, T>)
        Result(U&& error)
        : v_(std::in_place_index<1>, std::forward<U>(error)) {}

    bool ok() const { return v_.index() == 0; }
    T& value() { return std::get<0>(v_); }
    const T& value() const { return std::get<0>(v_); }
    ErrorText& error() { return std::get<1>(v_); }
    const ErrorText& error() const { return std::get<1>(v_); }

private:
    std::variant<T, ErrorText> v_;
};

}  // namespace vorlent
