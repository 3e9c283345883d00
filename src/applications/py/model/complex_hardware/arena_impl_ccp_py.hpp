// The checks the arbiter, counter, Karray and arbitrated-block methods make
// before they change the model. Free of Python.h, so the C++ tests reach them.
#pragma once

#include <cstdint>
#include <string_view>

#include "applications/py/runtime/arg_checks.hpp"
#include "model/complex_hardware/common/ccp_ident.hpp"

namespace vorlent::py {

// An identity handed to a method of one kind of complex component. The
// element is looked up in that kind's arena by the identity's handle alone,
// so an identity of another kind would name an unrelated element there (or
// none): it is refused before any arena is searched, and no id is drawn.
inline CheckResult check_ccp_kind(std::string_view param_name, const CcpIdent& ident,
                                  CcpType expected) {
    if (ident.ccp_type == expected) return std::nullopt;
    return ErrorText::value(format("{} must be a complex component of type {}, got {}", param_name,
                                   ccp_type_display(expected), ccp_type_display(ident.ccp_type)));
}

inline CheckResult check_counter_width(int32_t width) {
    if (width >= 1) return std::nullopt;
    return ErrorText::value(format("counter width must be >= 1, got {}", width));
}

}  // namespace vorlent::py
