// Making a Karray.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/complex_hardware/common/ccp_ident.hpp"
#include "model/hw_component/common/hw_type.hpp"

namespace vorlent {

class ModelArena;

// Karray::make (its element components first, then its identity), inserted
// and stamped to the traced module. Returns the stamped identity.
CcpIdent make_karray(ModelArena& model, bool is_user_com, std::string_view name,
                     std::vector<size_t> shape,
                     const std::vector<std::pair<std::string, int32_t>>& fields,
                     HwComponentType backing);

}  // namespace vorlent
