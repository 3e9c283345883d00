// Combinational generators: common pieces of logic built in one call out of
// expressions, constants and wires. Everything they make is a user
// component stamped to the traced module (only the condition slice of a mux
// is system-made). Checks the caller can fail come before anything is made
// and return an error text.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "common/error_text.hpp"
#include "model/hw_component/arena_impl_asm.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/common/logic_op.hpp"
#include "model/hw_component/common/slice.hpp"

namespace vorlent {

class ModelArena;

// A signal read over a slice; an absent slice is the whole signal.
struct CombOperand {
    HcpIdent sig;
    std::optional<Slice> slice;
};

// An input of any-of and sum-count: a signal with the slice the caller gave.
// Slice() reads the whole signal.
struct CombTerm {
    HcpIdent sig;
    Slice slice;
};

// A balanced tree of `op` over the operands: each level pairs neighbours
// from the front into new expressions "{name}_t", an odd last operand moving
// up unchanged behind them. n operands give n - 1 expressions. The root is
// returned (a lone operand as its signal, its slice dropped). Widths and the
// refusal of ops without a two-operand width rule are make_expression's.
HcpIdent fold_balanced(ModelArena& model, std::string_view name,
                       const std::vector<CombOperand>& operands, LogicOp op);

// Whether any term is non-zero, as a LogicalOr tree. No term gives the
// 1-bit constant 0 named `name`; one term gives nothing (the caller uses the
// term itself).
std::optional<HcpIdent> gen_any_of(ModelArena& model, std::string_view name,
                                   const std::vector<CombTerm>& terms);

// The sum width of n (at least 1) terms whose widest is `widest_term` bits
// (taken as 1 below 2): just wide enough for n times the largest term value,
// and from 101-bit terms on, the term width plus ceil(log2 n).
uint32_t sum_cnt_width(size_t n, int32_t widest_term);

// The sum of the terms, each zero-extended to the sum width ("{name}_ext")
// and added up in a balanced tree. The width is `width` when given, else
// sum_cnt_width over the terms (Slice() counting as the whole signal).
Result<HcpIdent> gen_sum_cnt(ModelArena& model, std::string_view name,
                             const std::vector<CombTerm>& terms, std::optional<uint32_t> width);

struct MuxResult {
    HcpIdent wire;
    AsmReport true_report;  // how each input was fitted to the wire
    AsmReport false_report;
};

// The checks gen_mux makes before it makes anything: the condition must
// select one bit of itself (check_cond_width: "cond slice {} does not fit
// cond variable of width {}", "cond must be 1-bit, got {} ..."), and the
// mux must be at least 1 bit wide ("mux needs a width >= 1, got {}").
CheckResult check_gen_mux(const ModelArena& model, const HcpIdent& cond_i,
                          const std::optional<Slice>& cond_slice, int32_t width);

// A wire `name` driven by a zero-delay if/else pair on the condition: the
// zif "{name}_zif" assigns `if_true`, the zelse "{name}_zelse" `if_false`.
// The wire is `width` bits, or as wide as the `if_true` range. An input
// slice counts when 0 <= start < stop, otherwise the whole input is read.
// The pair joins whatever block is open (or becomes a top-level block of
// the traced module); the zif head stays on the stack lazily closed, except
// in the module's component phase, where it is filed into the module at once.
Result<MuxResult> gen_mux(ModelArena& model, std::string_view name, const HcpIdent& cond_i,
                          const std::optional<Slice>& cond_slice, const CombOperand& if_true,
                          const CombOperand& if_false, std::optional<int32_t> width);

// Rotation of the selected bits of `sig_i` (the slice when 0 <= start <
// stop, else the whole signal) by a constant: (x << k) | (x >> (w - k)), with
// k the amount modulo the rotation width w. `width` (at most the selected
// bits) rotates only the lowest `width` of them, and the result is that
// wide; a width below 1 or above the selected bits is refused. A rotation
// that comes to 0 makes nothing. `op_name` names the operation in the error
// texts.
Result<std::optional<HcpIdent>> gen_rotate(ModelArena& model, std::string_view op_name,
                                           std::string_view name, const HcpIdent& sig_i,
                                           const std::optional<Slice>& sig_slice, int64_t amount,
                                           std::optional<int32_t> width);
Result<std::optional<HcpIdent>> gen_rotate_left(ModelArena& model, std::string_view name,
                                                const HcpIdent& sig_i,
                                                const std::optional<Slice>& sig_slice,
                                                int64_t amount, std::optional<int32_t> width);
// A right rotation by k is a left rotation by -k; the reduction is exact for
// every amount, INT64_MIN included.
Result<std::optional<HcpIdent>> gen_rotate_right(ModelArena& model, std::string_view name,
                                                 const HcpIdent& sig_i,
                                                 const std::optional<Slice>& sig_slice,
                                                 int64_t amount, std::optional<int32_t> width);

}  // namespace vorlent
