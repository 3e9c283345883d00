// Reaching complex components by identity.
#pragma once

#include "model/model_arena.hpp"

namespace vorlent {

using TakenCcp = TakenAny<CcpBase, Arb, Karray, DynCounter>;

// Takes the component out of the arena its type selects; the placeholder
// left in the slot draws one global id.
TakenCcp take_ccp(ModelArena& model, const CcpIdent& ident);

}  // namespace vorlent
