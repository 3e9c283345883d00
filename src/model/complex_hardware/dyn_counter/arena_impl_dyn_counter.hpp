// The model's operations on a dynamic counter. Each takes the counter out of
// its arena (one global id for the placeholder) and puts it back, also when
// the counter answers with an error text.
#pragma once

#include <optional>

#include "common/error_text.hpp"
#include "model/complex_hardware/common/ccp_ident.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/common/slice.hpp"

namespace vorlent {

class ModelArena;

// Resolves the addend's and the enable's slices first (under "{counter
// name}_addend" and "_en": the signal itself or a new "{}_CONDSLICE"
// expression), then adds.
Result<HcpIdent> dyn_counter_add(ModelArena& model, const CcpIdent& cnt_i, const HcpIdent& addend_i,
                                 const std::optional<Slice>& addend_slice,
                                 const std::optional<HcpIdent>& enable_i,
                                 const std::optional<Slice>& enable_slice);
// Assigns the pending value to the counter's register; refused when the
// register is an input port that would override it (check_not_input_port).
CheckResult dyn_counter_update(ModelArena& model, const CcpIdent& cnt_i);
// The pending running value, else the register.
HcpIdent dyn_counter_get_now(ModelArena& model, const CcpIdent& cnt_i);
HcpIdent dyn_counter_get_reg(ModelArena& model, const CcpIdent& cnt_i);

}  // namespace vorlent
