// Making hardware components. Every factory runs its checks before anything
// is made (a refusal draws no global id), builds the record under a new
// identity, inserts it, and stamps it to the module being traced; the
// returned identity carries its handle and its module.
#pragma once

#include <optional>
#include <string_view>

#include "common/error_text.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/common/logic_op.hpp"
#include "model/hw_component/common/slice.hpp"
#include "util/math/vary_val.hpp"

namespace vorlent {

class ModelArena;

// Ties a component just inserted to the module on top of the module trace
// stack ("module trace stack is empty" without one): the module identity is
// written into the component's stored identity, and the component joins the
// module's user or system list of its kind, or, while build_flow builds the
// module (stage FlowBlockBuild), the pending list. Returns the stamped
// identity.
HcpIdent stamp_hw_to_parent_module(ModelArena& model, const HcpIdent& ident, bool is_user_com);

HcpIdent make_reg(ModelArena& model, bool is_user_com, std::string_view name, uint32_t bit_width);
HcpIdent make_wire(ModelArena& model, bool is_user_com, std::string_view name, uint32_t bit_width);
// `value` masked to `bit_width`; a width below 1 holds no bits.
HcpIdent make_val(ModelArena& model, bool is_user_com, std::string_view name, int32_t bit_width,
                  uint64_t value);
// The VaryVal is stored as handed in.
HcpIdent make_val_vv(ModelArena& model, bool is_user_com, std::string_view name, uint32_t bit_width,
                     VaryVal value);
// "bit_width must be positive, got {}", then "index_width must be positive, got {}".
HcpIdent make_mem_blk(ModelArena& model, bool is_user_com, std::string_view name, int32_t bit_width,
                      int32_t index_width);
// "bit_width must be positive, got {}". The element's Verilog names its
// memory block and its index as they are, in the file of its own module, so
// both must belong to the module being traced; an error text names the two
// modules otherwise, and one an element wider than the memory's word, before
// anything is made.
Result<HcpIdent> make_mem_ele(ModelArena& model, bool is_user_com, std::string_view name,
                              const HcpIdent& master_mem_blk_i, const HcpIdent& index_ident,
                              int32_t bit_width, bool is_read);

// Expressions. An operand is read over its slice as passed, or over its whole
// range [0, width) when the slice is absent or is the whole-signal slice
// [-1, -1).
//
// Two operands: relations and logical and/or give 1 bit; bitwise and/or/xor,
// shifts and arithmetic the size of `a`'s range. Other ops stop with
// "Expression::new — unsupported op {} for this constructor".
HcpIdent make_expression(ModelArena& model, bool is_user_com, std::string_view name, LogicOp op,
                         const HcpIdent& a, const HcpIdent& b, std::optional<Slice> a_slice,
                         std::optional<Slice> b_slice);
// BitwiseInvr and SliceBit (size of `a`'s range) or LogicalNot (1 bit).
HcpIdent make_expression_single(ModelArena& model, bool is_user_com, std::string_view name,
                                LogicOp op, const HcpIdent& a, std::optional<Slice> a_slice);
// ExtendBit only: `a`'s range widened to `constant` bits.
HcpIdent make_expression_constant(ModelArena& model, bool is_user_com, std::string_view name,
                                  LogicOp op, const HcpIdent& a, int32_t constant,
                                  std::optional<Slice> a_slice);
// No operands yet (op Assign, not initialised): a placeholder whose source
// is given once, later.
HcpIdent make_expression_empty(ModelArena& model, bool is_user_com, std::string_view name,
                               uint32_t width);

}  // namespace vorlent
