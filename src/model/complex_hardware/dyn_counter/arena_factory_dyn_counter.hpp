// Making dynamic counters.
#pragma once

#include <string_view>

#include "model/complex_hardware/common/ccp_ident.hpp"

namespace vorlent {

class ModelArena;

// Makes a dynamic counter (its register, then its identity), inserts it and
// stamps it to the traced module. A width below 1 stops before anything is
// made.
CcpIdent make_dyn_counter(ModelArena& model, bool is_user_com, std::string_view name,
                          int32_t width);

}  // namespace vorlent
