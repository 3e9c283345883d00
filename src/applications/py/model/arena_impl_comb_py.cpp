// ModelArena methods that reach the combinational generators. They settle
// what only the Python layer knows (the mux width when it is not given, int
// operands, the direction of a rotation), call one generator, and raise its
// error text as ValueError.
#include "applications/py/model/arena_impl_comb_py.hpp"

#include <optional>
#include <vector>

#include "applications/py/model/arena_method_families.hpp"
#include "applications/py/model/model_arena_py.hpp"
#include "applications/py/runtime/accessed.hpp"
#include "applications/py/runtime/py_warnings.hpp"
#include "model/hw_component/int_constant.hpp"

namespace vorlent::py {

namespace {

using Pairs = Reads<std::vector<std::tuple<HcpIdent, Slice>>>;

// The mux width: given, or taken from the first input that is a signal.
Result<int32_t> mux_width(const ModelArena& m, const PyOperand& if_true,
                          const std::optional<Slice>& true_slice, const PyOperand& if_false,
                          const std::optional<Slice>& false_slice, std::optional<int32_t> width) {
    if (width) return *width;
    if (const HcpIdent* sig = if_true.ident()) return selected_width(m, *sig, true_slice);
    if (const HcpIdent* sig = if_false.ident()) return selected_width(m, *sig, false_slice);
    return ErrorText::type(
        "cannot infer a width from int operands alone \u2014 pass width=<bits> (an int literal "
        "is sized by whatever it is used with)");
}

// An int input becomes a constant "{name}_c" as wide as the mux, read over
// its slice as a signal is.
CombOperand mux_input(ModelArena& m, std::string_view name, const PyOperand& operand,
                      const std::optional<Slice>& slice, int32_t width, IntCuts& cuts) {
    if (const HcpIdent* sig = operand.ident()) return CombOperand{*sig, slice};
    return CombOperand{make_const_val(m, name, *operand.integer(), width, cuts),
                       int_operand_bits(slice, width)};
}

Result<HcpIdent> py_gen_mux(ModelArena& m, std::string_view name, const Reads<HcpIdent>& cond_i,
                            Slice cond_slice, const Reads<PyOperand>& if_true,
                            const Reads<PyOperand>& if_false, std::optional<Slice> true_slice,
                            std::optional<Slice> false_slice, std::optional<int32_t> width) {
    // Slices first, so a refused one draws no id: a constant of an int
    // input is made before the generator's own checks.
    if (auto err = check_cond_slice(m, "gen_mux", "cond_slice", cond_i, cond_slice)) return *err;
    const auto inputs = {std::tuple{"true_slice", &if_true, &true_slice, "if_true"},
                         std::tuple{"false_slice", &if_false, &false_slice, "if_false"}};
    for (const auto& [param, operand, slice, operand_name] : inputs)
        if (const HcpIdent* sig = operand->ident())
            if (auto err = check_slice_of(m, "gen_mux", param, *slice, *sig)) return *err;
    Result<int32_t> w = mux_width(m, if_true, true_slice, if_false, false_slice, width);
    if (!w.ok()) return w.error();
    // A mux of no bits is refused before an int input becomes a constant of
    // no bits; the generator's own order of checks decides the text.
    if (w.value() < 1) {
        if (auto err = check_gen_mux(m, cond_i, cond_slice, w.value())) return *err;
    }
    // An int input's slice selects bits of its constant, as wide as the mux.
    for (const auto& [param, operand, slice, operand_name] : inputs)
        if (operand->integer())
            if (auto err = check_operand_slice(m, "gen_mux", param, *slice, *operand, operand_name,
                                               w.value()))
                return *err;
    IntCuts cuts;
    const CombOperand t = mux_input(m, name, if_true, true_slice, w.value(), cuts);
    const CombOperand f = mux_input(m, name, if_false, false_slice, w.value(), cuts);
    Result<MuxResult> mux = gen_mux(m, name, cond_i, cond_slice, t, f, w.value());
    if (!mux.ok()) return mux.error();
    // After the mux is complete: a warning turned into an error leaves it made.
    const MuxResult& r = mux.value();
    warn_int_cuts(cuts);
    const std::string_view wire_name = r.wire.abs_name();
    for (const AsmReport& report : {r.true_report, r.false_report})
        warn_asm_resize(uint32_t(report.kind), report.src_width, report.des_width, wire_name);
    return r.wire;
}

Result<std::optional<HcpIdent>> py_gen_any_of(ModelArena& m, std::string_view name,
                                              const Pairs& terms) {
    auto converted = comb_terms(m, "gen_any_of", "terms", terms);
    if (!converted.ok()) return converted.error();
    return gen_any_of(m, name, converted.value());
}

Result<HcpIdent> py_gen_sum_cnt(ModelArena& m, std::string_view name, const Pairs& bits,
                                std::optional<int32_t> width) {
    // A sum of no bits, or of a negative number of them, is no hardware.
    if (width) {
        if (auto err = check_positive_width("width", *width)) return *err;
    }
    auto converted = comb_terms(m, "gen_sum_cnt", "bits", bits);
    if (!converted.ok()) return converted.error();
    std::optional<uint32_t> sum_width;
    if (width) sum_width = uint32_t(*width);
    return gen_sum_cnt(m, name, converted.value(), sum_width);
}

Result<std::optional<HcpIdent>> py_gen_rotate_left(ModelArena& m, std::string_view name,
                                                   const Reads<HcpIdent>& sig_i, Slice sig_slice,
                                                   int64_t amount, std::optional<int32_t> width) {
    if (auto err = check_slice_of(m, "gen_rotate_left", "sig_slice", sig_slice, sig_i)) return *err;
    return gen_rotate_left(m, name, sig_i, sig_slice, amount, width);
}

Result<std::optional<HcpIdent>> py_gen_rotate_right(ModelArena& m, std::string_view name,
                                                    const Reads<HcpIdent>& sig_i, Slice sig_slice,
                                                    int64_t amount, std::optional<int32_t> width) {
    if (auto err = check_slice_of(m, "gen_rotate_right", "sig_slice", sig_slice, sig_i))
        return *err;
    return gen_rotate_right(m, name, sig_i, sig_slice, amount, width);
}

}  // namespace

std::vector<PyMethodDef> comb_generator_methods() {
    return {
        arena_maker<"gen_mux($self, name, cond_i, cond_slice, if_true, if_false, "
                    "true_slice=None, false_slice=None, width=None)", &py_gen_mux,
                    HwComponentType::Wire, Describes::Behaviour>(),
        arena_maker<"gen_any_of($self, name, terms)", &py_gen_any_of,
                    HwComponentType::Expression>(),
        arena_maker<"gen_sum_cnt($self, name, bits, width=None)", &py_gen_sum_cnt,
                    HwComponentType::Expression>(),
        arena_maker<"gen_rotate_left($self, name, sig_i, sig_slice, amount, width=None)",
                    &py_gen_rotate_left, HwComponentType::Expression>(),
        arena_maker<"gen_rotate_right($self, name, sig_i, sig_slice, amount, width=None)",
                    &py_gen_rotate_right, HwComponentType::Expression>(),
    };
}

}  // namespace vorlent::py
