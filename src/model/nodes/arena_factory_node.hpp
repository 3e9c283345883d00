// Making the generic control nodes. Each factory inserts the node and
// returns its identity, which carries the node's handle.
#pragma once

#include <string_view>
#include <vector>

#include "model/model_arena.hpp"

namespace vorlent {

// An assignment node holding exactly `meta`, with an empty trigger set.
NcpIdent make_asm_node(ModelArena& model, bool is_user_com, std::string_view name,
                       AssignMeta meta);
// An assignment node (not user-made) holding `metas` in order; stops with
// "assertion failed: !metas.is_empty()" before anything is made.
NcpIdent make_asm_node_many(ModelArena& model, std::string_view name,
                            std::vector<AssignMeta> metas);
// An operand node wrapping `operand`.
NcpIdent make_opr_node(ModelArena& model, std::string_view name, const HcpIdent& operand);
// A pseudo node joining with `join_op` (BitwiseAnd or BitwiseOr, checked
// before anything is made). Its exit expression "pseudo_init_expr" is made
// first, so it takes the lower global id.
NcpIdent make_pseudo_node(ModelArena& model, std::string_view name, uint32_t width,
                          LogicOp join_op);

}  // namespace vorlent
