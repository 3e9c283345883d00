// Reaching complex components by identity, and tying new ones to their module.
#pragma once

#include "model/complex_hardware/common/ccp_ident.hpp"
#include "model/complex_hardware/common/ccp_kinds.hpp"

namespace vorlent {

class ModelArena;

using TakenCcp = KindRecords<CcpType>::apply<TakenAny, CcpBase>;

// Takes the component out of the arena its type selects (ARB, KARRAY, any
// other DCNT); the placeholder left in the slot draws one global id.
TakenCcp take_ccp(ModelArena& model, const CcpIdent& ident);

// Takes a Karray out by the identity's handle, whatever its type says.
Taken<Karray> take_karray(ModelArena& model, const CcpIdent& ident);

// Ties a complex component just inserted to the module on top of the trace
// stack: "module trace stack is empty" without one, and "stamp_ccp_to_parent_module:
// CCPs cannot be created during FlowBlockBuild" while build_flow runs. The
// component is taken out to carry its owner too (one id for the
// placeholder), and the module lists it. `ident` is updated in place and
// returned.
CcpIdent stamp_ccp_to_parent_module(ModelArena& model, CcpIdent& ident);

}  // namespace vorlent
