// Python warnings issued by methods. They are issued after the model change
// they report, so a filter that turns them into errors makes the call raise
// with the change kept: the failure travels as PythonErrorSet.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/hw_component/int_constant.hpp"

namespace vorlent::py {

// warnings.warn(message): UserWarning, default stack level.
void warn(std::string_view message);

// The warning for an assignment whose source was resized to fit its
// destination (kind 1 extended, kind 2 cut); nothing for kind 0.
void warn_asm_resize(uint32_t kind, int32_t src_width, int32_t des_width,
                     std::string_view des_name);

// One warning per int that its constant does not hold whole, in the order
// the constants were made.
void warn_int_cuts(const IntCuts& cuts);

}  // namespace vorlent::py
