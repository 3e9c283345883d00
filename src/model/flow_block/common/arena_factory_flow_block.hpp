// The flow-block factories: each makes one block, inserts it into its kind's
// arena and returns its identity as stored. Factories that take a condition
// resolve its slice first, so a slice expression draws its id before the
// block does.
#pragma once

#include <optional>
#include <string_view>

#include "model/hw_component/common/slice.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

FlowBlockIdent make_flow_block_seq(ModelArena& model, std::string_view name);
FlowBlockIdent make_flow_block_par_auto(ModelArena& model, std::string_view name);
FlowBlockIdent make_flow_block_par_no_sync(ModelArena& model, std::string_view name);
FlowBlockIdent make_flow_block_zelse(ModelArena& model, std::string_view name);
FlowBlockIdent make_flow_block_cselse(ModelArena& model, std::string_view name);
FlowBlockIdent make_flow_block_pick(ModelArena& model, std::string_view name);
FlowBlockIdent make_flow_block_pidef(ModelArena& model, std::string_view name);
FlowBlockIdent make_flow_block_zcase(ModelArena& model, std::string_view name, int32_t match_val);
FlowBlockIdent make_flow_block_zstate(ModelArena& model, std::string_view name, const HcpIdent& state_i);
FlowBlockIdent make_flow_block_sywait(ModelArena& model, std::string_view name, uint32_t cycles);
// A count of 0 or less stops with "counter loop count must be positive".
FlowBlockIdent make_flow_block_counter_loop(ModelArena& model, std::string_view name,
                                            int32_t last_loop_cnt);

}  // namespace vorlent
