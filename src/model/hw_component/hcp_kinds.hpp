// The record class of each hardware-component kind (the list is in
// common/hw_type.hpp).
#pragma once

#include "model/hw_component/expression.hpp"
#include "model/hw_component/io_wire.hpp"
#include "model/hw_component/mem_blk.hpp"
#include "model/hw_component/mem_ele.hpp"
#include "model/hw_component/reg.hpp"
#include "model/hw_component/sp_reg/cnt_reg.hpp"
#include "model/hw_component/sp_reg/cond_wait_reg.hpp"
#include "model/hw_component/sp_reg/cycle_wait_reg.hpp"
#include "model/hw_component/sp_reg/state_reg.hpp"
#include "model/hw_component/sp_reg/sync_reg.hpp"
#include "model/hw_component/val.hpp"
#include "model/hw_component/wire.hpp"

namespace vorlent {

#define VORLENT_HCP_RECORD(tag, record, text, ...) VORLENT_KIND_RECORD(HwComponentType, tag, record)
VORLENT_HCP_KINDS(VORLENT_HCP_RECORD)
#undef VORLENT_HCP_RECORD

}  // namespace vorlent
