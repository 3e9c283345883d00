// Making arbiters.
#pragma once

#include <string_view>

#include "model/complex_hardware/arb/arb_leaf.hpp"
#include "model/complex_hardware/common/ccp_ident.hpp"

namespace vorlent {

class ModelArena;

// Makes an arbiter (its master request wire, then its identity), inserts it
// and stamps it to the traced module; three global ids in all, the last one
// for the placeholder of the take inside the stamping.
CcpIdent make_arb(ModelArena& model, bool is_user_com, std::string_view name,
                  ArbSamePriPolicy policy);

}  // namespace vorlent
