// Making control nodes. Each factory makes the node (and, for the kinds
// that own one, its special register and that register's constants first,
// so they take the lower global ids), inserts it and returns its identity,
// which carries the node's handle.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/hw_component/common/asm_meta_helper/assign_meta.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/common/logic_op.hpp"
#include "model/nodes/ncp_ident.hpp"

namespace vorlent {

class ModelArena;

// An assignment node holding exactly `meta`, with an empty trigger set.
NcpIdent make_asm_node(ModelArena& model, bool is_user_com, std::string_view name, AssignMeta meta);
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

// A state node: the state register "{name}_ST" with its constants, then the node.
NcpIdent make_state_node(ModelArena& model, bool is_user_com, std::string_view name);
// The start node (not user-made): the state register "{name}_ST", "upState",
// "startExpr", then the node, which is set while `start_src` is 1.
NcpIdent make_start_node(ModelArena& model, std::string_view name, const HcpIdent& start_src);
// A sync node joining `syn_size` predecessors ("assertion failed: syn_size > 0").
NcpIdent make_syn_node(ModelArena& model, bool is_user_com, std::string_view name,
                       int32_t syn_size);
// A wait on bits [start, stop) of `cond`.
NcpIdent make_wait_cond_node(ModelArena& model, bool is_user_com, std::string_view name,
                             const HcpIdent& cond, uint32_t start, uint32_t stop);
// A wait of `cycle` cycles ("assertion failed: cycle > 0").
NcpIdent make_wait_cycle_node(ModelArena& model, bool is_user_com, std::string_view name,
                              int32_t cycle);
// A counter of `last_loop_cnt` passes ("assertion failed: last_loop_cnt > 0").
NcpIdent make_counter_node(ModelArena& model, bool is_user_com, std::string_view name,
                           int32_t last_loop_cnt);

}  // namespace vorlent
