// The record class of each update-event kind (the list is in
// update_event_ident.hpp).
#pragma once

#include "model/hw_component/update_event/ue_basic.hpp"
#include "model/hw_component/update_event/ue_cond.hpp"
#include "model/hw_component/update_event/ue_grp.hpp"
#include "model/hw_component/update_event/ue_switch.hpp"

namespace vorlent {

#define VORLENT_UE_RECORD(tag, record, text) VORLENT_KIND_RECORD(UeType, tag, record)
VORLENT_UE_KINDS(VORLENT_UE_RECORD)
#undef VORLENT_UE_RECORD

}  // namespace vorlent
