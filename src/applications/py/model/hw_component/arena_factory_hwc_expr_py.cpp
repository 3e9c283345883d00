// ModelArena methods that make expressions. An int operand of mk_expression
// becomes a constant "{name}_c" as wide as the whole other operand (a shift
// amount too wide for the tools, one that shifts every bit out anyway, holds
// the shifted width: make_shift_amount_const). Every
// check (the op, two ints, the operand slices, an extension that would cut)
// runs before anything is made, so a refused call makes nothing. An int that
// its constant cannot hold, and an operand b wider than a where the result
// drops b's high bits, are warned of once the expression is made.
#include "model/hw_component/int_constant.hpp"

#include <algorithm>
#include <optional>
#include <vector>

#include "applications/py/model/arena_method_families.hpp"
#include "applications/py/model/hw_component/arena_impl_hwc_py.hpp"
#include "applications/py/model/model_arena_py.hpp"
#include "applications/py/runtime/accessed.hpp"
#include "applications/py/runtime/arg_checks.hpp"
#include "applications/py/runtime/py_warnings.hpp"
#include "model/hw_component/slice_check.hpp"

namespace vorlent::py {

namespace {

Result<HcpIdent> mk_expression(ModelArena& m, std::string_view name, uint32_t op,
                               const Reads<PyOperand>& a, const Reads<PyOperand>& b,
                               std::optional<Slice> a_slice, std::optional<Slice> b_slice) {
    if (auto err = check_binary_expression_op(op)) return *err;
    if (!a.ident() && !b.ident())
        return ErrorText::value("expression needs at least one signal operand, not two ints");
    // An int is read as a constant as wide as the whole other operand; that
    // width is looked up only for an int (two signals are the common call).
    const int32_t a_int_width = a.ident() ? 0 : hcp_full_width(m, *b.ident());
    const int32_t b_int_width = b.ident() ? 0 : hcp_full_width(m, *a.ident());
    if (auto err =
            check_operand_slice(m, "mk_expression", "a_slice", a_slice, a, "a", a_int_width))
        return *err;
    if (auto err =
            check_operand_slice(m, "mk_expression", "b_slice", b_slice, b, "b", b_int_width))
        return *err;
    // At most one of the two is an int; its constant is made before the
    // expression. A signal operand is used where it was converted.
    IntCuts cuts;
    std::optional<HcpIdent> made_const;
    const HcpIdent& sig_a =
        a.ident() ? *a.ident()
                  : made_const.emplace(make_const_val(m, name, *a.integer(), a_int_width, cuts));
    const HcpIdent& sig_b = [&]() -> const HcpIdent& {
        if (b.ident()) return *b.ident();
        if (LogicOp(op) == LogicOp::BitwiseShl || LogicOp(op) == LogicOp::BitwiseShr)
            return made_const.emplace(make_shift_amount_const(
                m, name, *b.integer(), b_int_width, int_operand_bits(b_slice, b_int_width),
                selected_width(m, sig_a, a_slice), cuts));
        return made_const.emplace(make_const_val(m, name, *b.integer(), b_int_width, cuts));
    }();
    const HcpIdent made =
        make_expression(m, true, name, LogicOp(op), sig_a, sig_b, a_slice, b_slice);
    warn_int_cuts(cuts);
    // An int b counts with the bits the value it gives needs, up to its
    // constant's width: 1 added to a slice of a wider operand widens nothing.
    const int64_t a_bits = selected_width(m, sig_a, a_slice);
    int64_t b_bits = selected_width(m, sig_b, b_slice);
    if (const WideInt* value = b.integer()) {
        const Slice read = int_operand_bits(b_slice, b_int_width);
        b_bits = std::min(b_bits, int64_t(read_int_min_width(*value, b_int_width, read)));
    }
    if (auto message = expression_width_message(LogicOp(op), a_bits, b_bits, made.abs_name()))
        warn(*message);
    return made;
}

Result<HcpIdent> mk_expression_single(ModelArena& m, std::string_view name, uint32_t op,
                                      const Reads<HcpIdent>& a, std::optional<Slice> a_slice) {
    if (auto err = check_unary_expression_op(op)) return *err;
    if (auto err = check_slice_of(m, "mk_expression_single", "a_slice", a_slice, a)) return *err;
    return make_expression_single(m, true, name, LogicOp(op), a, a_slice);
}

// `c` is the width the operand is extended to: the result's, not the
// number of bits added.
Result<HcpIdent> mk_extend_bit(ModelArena& m, std::string_view name, const Reads<HcpIdent>& a,
                               int32_t c, std::optional<Slice> a_slice) {
    if (auto err = check_positive_width("c", c)) return *err;
    if (auto err = check_slice_of(m, "mk_extend_bit", "a_slice", a_slice, a)) return *err;
    if (auto err = check_extend_width(c, selected_width(m, a, a_slice))) return *err;
    return make_expression_constant(m, true, name, LogicOp::ExtendBit, a, c, a_slice);
}

}  // namespace

std::vector<PyMethodDef> expression_methods() {
    return {
        arena_maker<"mk_expression($self, name, op, a, b, a_slice=None, b_slice=None)",
                    &mk_expression, HwComponentType::Expression>(),
        arena_maker<"mk_expression_single($self, name, op, a, a_slice=None)", &mk_expression_single,
                    HwComponentType::Expression>(),
        arena_maker<"mk_extend_bit($self, name, a, c, a_slice=None)", &mk_extend_bit,
                    HwComponentType::Expression>(),
    };
}

}  // namespace vorlent::py
