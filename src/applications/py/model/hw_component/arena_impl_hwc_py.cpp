// ModelArena methods that work on components already made: user assignment,
// IO marks, widths, register resets and wire defaults.
#include "applications/py/model/hw_component/arena_impl_hwc_py.hpp"

#include <optional>
#include <string>
#include <vector>

#include "applications/py/model/arena_method_families.hpp"
#include "applications/py/model/model_arena_py.hpp"
#include "applications/py/runtime/accessed.hpp"
#include "applications/py/runtime/py_warnings.hpp"
#include "model/common/name_check.hpp"
#include "model/flow_block/common/flow_block_stack.hpp"
#include "model/hw_component/arena_impl_asm.hpp"
#include "model/hw_component/int_constant.hpp"
#include "model/hw_component/slice_check.hpp"

namespace vorlent::py {

namespace {

// An int source becomes the constant "const_c" of the destination's whole
// width, read over its src_slice as a signal is. Written into fewer bits
// (a des_slice), it is warned of as cut only when what it gives does not
// fit them: the constant is as wide as the whole destination, but the
// caller's value is what is written. The slices and a wire marked as an
// input port are refused before anything is made. The warnings come after
// the assignment is in the model, so a warning turned into an error leaves
// the assignment made.
CheckResult py_gen_basic_assign(ModelArena& m, const Writes<HcpIdent>& des_i,
                                const Reads<PyOperand>& src, std::optional<Slice> src_slice,
                                std::optional<Slice> des_slice) {
    const int32_t des_width = src.ident() ? 0 : hcp_full_width(m, des_i);
    if (auto err = check_operand_slice(m, "gen_basic_assign", "src_slice", src_slice, src, "src",
                                       des_width))
        return err;
    if (auto err = check_slice_of(m, "gen_basic_assign", "des_slice", des_slice, des_i)) return err;
    if (auto err = check_not_input_port(m, des_i)) return err;
    if (auto err = check_loose_assignment_has_top(m, "gen_basic_assign")) return err;
    // A signal source is used where it was converted; an int's constant is made here.
    IntCuts cuts;
    std::optional<HcpIdent> made_const;
    const HcpIdent* ident = src.ident();
    const HcpIdent& source =
        ident ? *ident
              : made_const.emplace(make_const_val(m, "const", *src.integer(), des_width, cuts));
    const Slice source_range =
        ident ? src_slice.value_or(Slice::whole()) : int_operand_bits(src_slice, des_width);
    const AsmReport report = gen_basic_assign(m, des_i, source, des_slice, source_range);
    warn_int_cuts(cuts);
    const WideInt* value = src.integer();
    if (value && report.kind == vorlent::AsmResize::Cut &&
        read_int_min_width(*value, des_width, source_range) <= uint64_t(report.des_width))
        return std::nullopt;
    warn_asm_resize(uint32_t(report.kind), report.src_width, report.des_width, des_i.abs_name());
    return std::nullopt;
}

// The name becomes a port of the top module as it stands. Whether it repeats
// or meets another name of the top module shows only once routing has made
// the ports: emit refuses that. An input port writes the component, an
// output port reads it: only `is_input` tells which, so the direction is
// checked here rather than by the parameter's kind.
CheckResult py_mark_as_io(ModelArena& m, const HcpIdent& hcp_i, bool is_input,
                          std::string io_name) {
    if (auto err =
            check_access(m, is_input ? "mark_as_io (input port)" : "mark_as_io (output port)",
                         "hcp_i", hcp_i, is_input ? Access::Written : Access::Read))
        return err;
    if (auto err = check_port_name("mark_as_io", "io_name", io_name)) return err;
    if (auto err = check_input_mark(m, hcp_i, is_input, io_name)) return err;
    mark_as_io(m, hcp_i, is_input, std::move(io_name));
    return std::nullopt;
}

bool py_is_marked_as_io(const ModelArena& m, const HcpIdent& hcp_i) {
    return get_hcp_assign(m, hcp_i).is_marked_as_io();
}

int32_t get_hw_bit_sz(const ModelArena& m, const HcpIdent& hcp_i) {
    return hcp_full_width(m, hcp_i);
}

// The register and wire arenas are chosen here, so the identity's kind is
// checked before either is consulted. A reset of another width is written as
// an assignment of the whole value to the whole register, which zero-extends
// a narrower value and drops the high bits of a wider one, as the width rule
// of assignments does: it is reported with their warning.
CheckResult py_set_reg_reset(ModelArena& m, const HcpIdent& reg_i,
                             const Reads<HcpIdent>& reset_val_i) {
    if (auto err = check_hcp_kind("reg_i", reg_i, HwComponentType::Reg)) return err;
    if (auto err = check_not_itself("set_reg_reset", "reset value", "register", reg_i, reset_val_i))
        return err;
    set_reg_reset(m, reg_i, reset_val_i);
    const int32_t reg_width = hcp_full_width(m, reg_i);
    const int32_t val_width = hcp_full_width(m, reset_val_i);
    const AsmResize kind = val_width == reg_width ? AsmResize::Equal
                           : val_width < reg_width ? AsmResize::Extended
                                                   : AsmResize::Cut;
    warn_asm_resize(uint32_t(kind), val_width, reg_width, reg_i.abs_name());
    return std::nullopt;
}

CheckResult py_set_wire_default(ModelArena& m, const HcpIdent& wire_i,
                                const Reads<HcpIdent>& default_val_i) {
    if (auto err = check_hcp_kind("wire_i", wire_i, HwComponentType::Wire)) return err;
    if (auto err =
            check_not_itself("set_wire_default", "default value", "wire", wire_i, default_val_i))
        return err;
    if (auto err = check_default_width(m, wire_i, default_val_i)) return err;
    set_wire_default(m, wire_i, default_val_i);
    return std::nullopt;
}

}  // namespace

std::vector<PyMethodDef> hw_component_impl_methods() {
    return {
        arena_method<"gen_basic_assign($self, des_i, src, src_slice=None, des_slice=None)",
                     &py_gen_basic_assign, Describes::Behaviour>(),
        arena_method<"mark_as_io($self, hcp_i, is_input, io_name)", &py_mark_as_io>(),
        arena_method_shared<"is_marked_as_io($self, hcp_i)", &py_is_marked_as_io>(),
        arena_method<"get_hw_bit_sz($self, hcp_i)", &get_hw_bit_sz>(),
        arena_method<"set_reg_reset($self, reg_i, reset_val_i)", &py_set_reg_reset,
                     Describes::Behaviour>(),
        arena_method<"set_wire_default($self, wire_i, default_val_i)", &py_set_wire_default,
                     Describes::Behaviour>(),
    };
}

}  // namespace vorlent::py
