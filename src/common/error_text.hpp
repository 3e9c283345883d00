// The caller-facing tier: a check that the caller can fail yields an error
// text instead of stopping the operation. The Python layer raises it as
// ValueError (or TypeError, for the few checks that are about an argument's
// kind).
#pragma once

#include <optional>
#include <string>

namespace vorlent {

struct ErrorText {
    enum class Kind : uint8_t { Value, Type };
    Kind kind = Kind::Value;
    std::string message;

    static ErrorText value(std::string m) { return {Kind::Value, std::move(m)}; }
    static ErrorText type(std::string m) { return {Kind::Type, std::move(m)}; }
};

// Outcome of a check: nothing on success, the error text on failure.
using CheckResult = std::optional<ErrorText>;

}  // namespace vorlent
