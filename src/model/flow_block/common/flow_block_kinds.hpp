// The record class of each flow-block kind (the list is in
// flow_block_ident.hpp).
#pragma once

#include "model/flow_block/cond/flow_block_cond.hpp"
#include "model/flow_block/cond/flow_block_pick.hpp"
#include "model/flow_block/cond/flow_block_zero_cond.hpp"
#include "model/flow_block/loops/flow_block_loops.hpp"
#include "model/flow_block/par/flow_block_par.hpp"
#include "model/flow_block/pipeline/flow_block_pip.hpp"
#include "model/flow_block/seq/flow_block_seq.hpp"
#include "model/flow_block/wait/flow_block_wait.hpp"
#include "model/flow_block/zync/flow_block_zync.hpp"

namespace vorlent {

#define VORLENT_FLOW_BLOCK_RECORD(tag, record, text) VORLENT_KIND_RECORD(FlowBlockType, tag, record)
VORLENT_FLOW_BLOCK_KINDS(VORLENT_FLOW_BLOCK_RECORD)
#undef VORLENT_FLOW_BLOCK_RECORD

}  // namespace vorlent
