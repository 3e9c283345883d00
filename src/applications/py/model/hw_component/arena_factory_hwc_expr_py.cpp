// ModelArena methods that make expressions. An int operand of mk_expression
// becomes a constant "{name}_c" as wide as the whole other operand. Every
// check (the op, two ints, the operand slices) runs before anything is made,
// so a refused call makes nothing. An int that its constant cannot hold is
// warned of once the expression is made.
#include "model/hw_component/int_constant.hpp"

#include <optional>
#include <vector>

#include "applications/py/model/arena_method_families.hpp"
#include "applications/py/model/hw_component/arena_impl_hwc_py.hpp"
#include "applications/py/model/model_arena_py.hpp"
#include "applications/py/runtime/arg_checks.hpp"
#include "applications/py/runtime/operand.hpp"
#include "applications/py/runtime/py_warnings.hpp"

namespace vorlent::py {

namespace {

Result<HcpIdent> mk_expression(ModelArena& m, std::string_view name, uint32_t op,
                               const PyOperand& a, const PyOperand& b, std::optional<Slice> a_slice,
                               std::optional<Slice> b_slice) {
    if (auto err = check_binary_expression_op(op)) return *err;
    if (!a.ident() && !b.ident())
        return ErrorText::value("expression needs at least one signal operand, not two ints");
    if (auto err = check_operand_slice("a_slice", a_slice)) return *err;
    if (auto err = check_operand_slice("b_slice", b_slice)) return *err;
    // At most one of the two is an int; its constant is made before the expression.
    IntCuts cuts;
    const HcpIdent sig_a =
        a.ident() ? *a.ident()
                  : make_const_val(m, name, *a.integer(), hcp_full_width(m, *b.ident()), cuts);
    const HcpIdent sig_b =
        b.ident() ? *b.ident()
                  : make_const_val(m, name, *b.integer(), hcp_full_width(m, sig_a), cuts);
    const HcpIdent made =
        make_expression(m, true, name, LogicOp(op), sig_a, sig_b, a_slice, b_slice);
    warn_int_cuts(cuts);
    return made;
}

Result<HcpIdent> mk_expression_single(ModelArena& m, std::string_view name, uint32_t op,
                                      const HcpIdent& a, std::optional<Slice> a_slice) {
    if (auto err = check_unary_expression_op(op)) return *err;
    if (auto err = check_operand_slice("a_slice", a_slice)) return *err;
    return make_expression_single(m, true, name, LogicOp(op), a, a_slice);
}

// `c` is the width the operand is extended to.
Result<HcpIdent> mk_extend_bit(ModelArena& m, std::string_view name, const HcpIdent& a, int32_t c,
                               std::optional<Slice> a_slice) {
    if (auto err = check_positive_width(c)) return *err;
    if (auto err = check_operand_slice("a_slice", a_slice)) return *err;
    return make_expression_constant(m, true, name, LogicOp::ExtendBit, a, c, a_slice);
}

}  // namespace

std::vector<PyMethodDef> expression_methods() {
    return {
        arena_method<"mk_expression($self, name, op, a, b, a_slice=None, b_slice=None)",
                     &mk_expression>(),
        arena_method<"mk_expression_single($self, name, op, a, a_slice=None)",
                     &mk_expression_single>(),
        arena_method<"mk_extend_bit($self, name, a, c, a_slice=None)", &mk_extend_bit>(),
    };
}

}  // namespace vorlent::py
