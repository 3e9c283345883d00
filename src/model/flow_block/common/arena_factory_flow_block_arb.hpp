// The factories of the blocks bound to arbiters: each registers its leaves
// on the arbiters when the block is made, whether or not the block is ever
// closed or built. An identity that is not an arbiter is refused before any
// arbiter is touched.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "common/error_text.hpp"
#include "model/complex_hardware/common/ccp_ident.hpp"
#include "model/flow_block/common/flow_block_ident.hpp"
#include "model/flow_block/zync/flow_block_zync.hpp"
#include "model/hw_component/common/hcp_ident.hpp"

namespace vorlent {

class ModelArena;

// Registers a plain leaf at `priority` (one locked on Req with `auto_req`)
// on the arbiter, then makes the PIPELINE block. A non-arbiter identity is
// the equality assertion "PipSchematic::new: ccp must be an Arb".
FlowBlockIdent make_flow_block_pip(ModelArena& model, std::string_view name, const CcpIdent& arb_i,
                                   int32_t priority, bool auto_req, bool auto_restart);

// One arbiter a zync block is to contend on.
struct ZyncBindArgs {
    CcpIdent arb_i;
    int32_t priority = 0;
    bool auto_ack = false;  // the leaf's acknowledge is tied to 1
    std::optional<HcpIdent> cond_i;
};

// Registers the bind's leaf (a plain one, or one locked on Ack with
// `auto_ack`) and returns the bind. A non-arbiter identity is the equality
// assertion "ZyncArbBind::new: ccp must be an Arb".
ZyncArbBind add_zync_leaf(ModelArena& model, const CcpIdent& arb_i, int32_t priority, bool auto_ack,
                          const std::optional<HcpIdent>& cond_i);

// One leaf per bind, in order, then the ZYNC block. No bind is the fatal
// error "make_flow_block_zync_multi: at least one arb required". A block that
// could never be granted would wait for ever: refused before anything is
// made. A bind on the constant 0 never requests, one on a 1-bit constant 1
// always does, as one without a condition; a match-all block is refused for
// one bind that never requests, or that its arbiter never grants in one
// cycle with another bind; another block when each bind never requests or
// is masked by a bind that always requests.
Result<FlowBlockIdent> make_flow_block_zync_multi(ModelArena& model, std::string_view name,
                                                  const std::vector<ZyncBindArgs>& bind_args,
                                                  bool match_all);
// One bind without condition; the grant is that leaf's acknowledge.
FlowBlockIdent make_flow_block_zync(ModelArena& model, std::string_view name, const CcpIdent& arb_i,
                                    int32_t priority, bool auto_ack);

}  // namespace vorlent
