// The model's operations on an arbiter. Each takes the arbiter out of its
// arena by the identity (one global id for the placeholder), works on it and
// puts it back, the reads included.
#pragma once

#include <optional>

#include "model/complex_hardware/arb/arb_leaf.hpp"
#include "model/complex_hardware/common/ccp_ident.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/common/slice.hpp"

namespace vorlent {

class ModelArena;

size_t arb_add_leaf(ModelArena& model, const CcpIdent& arb_i, int32_t priority);
size_t arb_add_leaf_locked(ModelArena& model, const CcpIdent& arb_i, int32_t priority,
                           ArbLockedChannel channel);
void arb_lock_master_ack(ModelArena& model, const CcpIdent& arb_i);

// The setters. Those with a slice first resolve it, under "{arb name}_mack",
// "_hold" or "_reset", to the signal itself or a new "{}_CONDSLICE"
// expression; then the arbiter refuses an input set twice or a signal that
// is not 1 bit wide.
void arb_set_master_ack_src(ModelArena& model, const CcpIdent& arb_i, const HcpIdent& src_i);
void arb_set_master_ack(ModelArena& model, const CcpIdent& arb_i, const HcpIdent& src_i,
                        const std::optional<Slice>& src_slice);
void arb_set_user_hold(ModelArena& model, const CcpIdent& arb_i, const HcpIdent& cond_i,
                       const std::optional<Slice>& cond_slice);
void arb_set_user_reset(ModelArena& model, const CcpIdent& arb_i, const HcpIdent& cond_i,
                        const std::optional<Slice>& cond_slice);

size_t arb_leaf_count(ModelArena& model, const CcpIdent& arb_i);
// An index at or past the leaf count stops with "index out of bounds: the
// len is {} but the index is {}".
HcpIdent arb_leaf_req(ModelArena& model, const CcpIdent& arb_i, size_t idx);
HcpIdent arb_leaf_ack(ModelArena& model, const CcpIdent& arb_i, size_t idx);
HcpIdent arb_master_req(ModelArena& model, const CcpIdent& arb_i);

}  // namespace vorlent
