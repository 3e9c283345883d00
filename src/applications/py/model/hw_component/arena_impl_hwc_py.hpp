// What the component, assignment and condition methods read of a component
// before they change the model. Free of Python.h, so the C++ tests reach it.
#pragma once

#include <cstdint>
#include <optional>

#include "applications/py/runtime/arg_checks.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"

namespace vorlent::py {

// A wire's default is built as one event of the wire's whole width, so a
// value of another width would stop build_flow half way; refused at the call.
inline CheckResult check_default_width(const ModelArena& model, const HcpIdent& wire,
                                       const HcpIdent& value) {
    const int32_t want = hcp_full_width(model, wire);
    const int32_t got = hcp_full_width(model, value);
    if (got == want) return std::nullopt;
    return ErrorText::value(format(
        "set_wire_default: default_val_i \"{}\" is {} bits wide but wire \"{}\" is {}; give a "
        "value of the wire's width",
        value.abs_name(), got, wire.abs_name(), want));
}

}  // namespace vorlent::py
