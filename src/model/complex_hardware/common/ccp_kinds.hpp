// The record class of each complex-component kind (the list is in
// ccp_ident.hpp).
#pragma once

#include "model/complex_hardware/arb/arb.hpp"
#include "model/complex_hardware/dyn_counter/dyn_counter.hpp"
#include "model/complex_hardware/karray/karray.hpp"

namespace vorlent {

#define VORLENT_CCP_RECORD(tag, record, text) VORLENT_KIND_RECORD(CcpType, tag, record)
VORLENT_CCP_KINDS(VORLENT_CCP_RECORD)
#undef VORLENT_CCP_RECORD

}  // namespace vorlent
