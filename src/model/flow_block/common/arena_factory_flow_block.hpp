// The flow-block factories: each makes one block, inserts it into its kind's
// arena and returns its identity as stored. Factories that take a condition
// resolve its slice first, so a slice expression draws its id before the
// block does.
#pragma once

#include <optional>
#include <string_view>

#include "model/flow_block/common/flow_block_ident.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/common/slice.hpp"

namespace vorlent {

class ModelArena;

FlowBlockIdent make_flow_block_seq(ModelArena& model, std::string_view name);
FlowBlockIdent make_flow_block_par_auto(ModelArena& model, std::string_view name);
FlowBlockIdent make_flow_block_par_no_sync(ModelArena& model, std::string_view name);
FlowBlockIdent make_flow_block_zelse(ModelArena& model, std::string_view name);
FlowBlockIdent make_flow_block_cselse(ModelArena& model, std::string_view name);
FlowBlockIdent make_flow_block_pick(ModelArena& model, std::string_view name);
FlowBlockIdent make_flow_block_pidef(ModelArena& model, std::string_view name);
FlowBlockIdent make_flow_block_zcase(ModelArena& model, std::string_view name, int32_t match_val);
FlowBlockIdent make_flow_block_zstate(ModelArena& model, std::string_view name,
                                      const HcpIdent& state_i);
FlowBlockIdent make_flow_block_sywait(ModelArena& model, std::string_view name, uint32_t cycles);
// A count of 0 or less stops with "counter loop count must be positive".
FlowBlockIdent make_flow_block_counter_loop(ModelArena& model, std::string_view name,
                                            int32_t last_loop_cnt);

// The signal a conditional block tests: the condition itself when the slice
// is absent, not proper, or covers the whole signal; otherwise a new SliceBit
// expression "{name}_CONDSLICE" over the slice, stamped to the traced module.
HcpIdent resolve_cond_slice(ModelArena& model, std::string_view name, const HcpIdent& cond,
                            const std::optional<Slice>& slice);
// Whether resolve_cond_slice makes that expression, which carries the
// block's name into the Verilog.
bool cond_slice_makes_expression(const ModelArena& model, const HcpIdent& cond,
                                 const std::optional<Slice>& slice);

// Blocks on a resolved condition.
FlowBlockIdent make_flow_block_cif(ModelArena& model, std::string_view name, const HcpIdent& cond,
                                   const std::optional<Slice>& slice);
FlowBlockIdent make_flow_block_sif(ModelArena& model, std::string_view name, const HcpIdent& cond,
                                   const std::optional<Slice>& slice);
FlowBlockIdent make_flow_block_cselif(ModelArena& model, std::string_view name,
                                      const HcpIdent& cond, const std::optional<Slice>& slice);
FlowBlockIdent make_flow_block_zif(ModelArena& model, std::string_view name, const HcpIdent& cond,
                                   const std::optional<Slice>& slice);
FlowBlockIdent make_flow_block_zelif(ModelArena& model, std::string_view name, const HcpIdent& cond,
                                     const std::optional<Slice>& slice);
FlowBlockIdent make_flow_block_pif(ModelArena& model, std::string_view name, const HcpIdent& cond,
                                   const std::optional<Slice>& slice);
FlowBlockIdent make_flow_block_cwhile(ModelArena& model, std::string_view name,
                                      const HcpIdent& cond, const std::optional<Slice>& slice);
FlowBlockIdent make_flow_block_swhile(ModelArena& model, std::string_view name,
                                      const HcpIdent& cond, const std::optional<Slice>& slice);
FlowBlockIdent make_flow_block_do_while(ModelArena& model, std::string_view name,
                                        const HcpIdent& cond, const std::optional<Slice>& slice);
// Waits on the condition over the given slice, or over its whole range; the
// condition is kept as it is (no slice expression).
FlowBlockIdent make_flow_block_scwait(ModelArena& model, std::string_view name,
                                      const HcpIdent& cond, const std::optional<Slice>& slice);

}  // namespace vorlent
