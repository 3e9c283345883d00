// Reaching complex components by identity, and tying new ones to their module.
#pragma once

#include "model/model_arena.hpp"

namespace vorlent {

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

// Inserts a complex component made under a new identity and stamps it.
template <class T>
CcpIdent insert_and_stamp_ccp(ModelArena& model, T component) {
    const ArenaHandle h = model.arena<T>().insert(std::move(component));
    CcpIdent ident = model.arena<T>().get(h).ident;
    return stamp_ccp_to_parent_module(model, ident);
}

}  // namespace vorlent
