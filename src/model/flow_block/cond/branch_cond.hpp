// The condition of a chain branch (cselif/cselse) or a pick branch
// (pif/pidef), read by taking the branch out of its arena.
#pragma once

#include <optional>

#include "model/common/draw_id_by_take.hpp"
#include "model/flow_block/common/single_body_block.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

template <FlowBlockType Type>
std::optional<HcpIdent> read_branch_cond(ModelArena& model, const FlowBlockIdent& ident) {
    return draw_id_by_take(model.take<BranchBlock<Type>>(ident),
                           [](const BranchBlock<Type>& b) { return b.cond; });
}

}  // namespace vorlent
