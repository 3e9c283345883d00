#include "model/hw_component/arena_impl_asm.hpp"

#include "model/flow_block/common/flow_block_stack.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

SanitizedAsmSrc sanitize_asm_src(ModelArena& model, const HcpIdent& des, const HcpIdent& src,
                                 const std::optional<Slice>& des_slice, Slice src_slice) {
    const int32_t d = (des_slice && des_slice->is_usable())
                          ? des_slice->size()
                          : get_hcp_assign(model, des).get_des_slice().size();
    const Slice range =
        src_slice.is_usable() ? src_slice : get_hcp_assign(model, src).get_des_slice();
    const int32_t s = range.size();

    if (s == d) return SanitizedAsmSrc{src, range, AsmResize::None, s, d};
    if (s < d) {
        const HcpIdent ext = make_expression_constant(
            model, false, format("{}_ext", src.abs_name()), LogicOp::ExtendBit, src, d, range);
        return SanitizedAsmSrc{ext, Slice{0, d}, AsmResize::Extended, s, d};
    }
    return SanitizedAsmSrc{src, Slice{range.start, range.start + d}, AsmResize::Cut, s, d};
}

AsmReport gen_basic_assign(ModelArena& model, const HcpIdent& des, const HcpIdent& src,
                           std::optional<Slice> des_slice, Slice src_slice) {
    // A slice that names no range (the whole-signal [-1, -1) among them)
    // means the whole destination, for the width rule and the event alike.
    if (des_slice && !des_slice->is_usable()) des_slice.reset();
    const SanitizedAsmSrc fitted = sanitize_asm_src(model, des, src, des_slice, src_slice);

    auto taken = take_hcp(model, des);
    const NcpIdent node =
        taken->do_asm(fitted.src, des_slice, fitted.src_range.start, fitted.src_range.stop, model);
    taken.put_back();

    attach_basic_node_to_current_scope(model, node);
    return AsmReport{fitted.kind, fitted.src_width, fitted.des_width};
}

namespace {

// The kinds an input port drives alone, with what the texts say of how its
// value reaches them (none for another kind): a wire takes it, and a memory
// write element writes it into its memory in every cycle.
std::optional<std::string_view> port_drives_alone(HwComponentType t) {
    switch (t) {
        case HwComponentType::Wire:
            return "";
        case HwComponentType::MemBlockIndexer:
            return ", written into its memory in every cycle,";
        default:
            return std::nullopt;
    }
}

// Whether an assignment writes `h`, of a kind port_drives_alone names.
bool assigned(const ModelArena& model, const HcpIdent& h) {
    return h.hw_type == HwComponentType::Wire ? model.get<Wire>(h).written
                                              : model.get<MemEle>(h).written;
}

}  // namespace

CheckResult check_not_input_port(const ModelArena& model, const HcpIdent& des) {
    const std::optional<std::string_view> how = port_drives_alone(des.hw_type);
    if (!how) return std::nullopt;
    const std::optional<IoMark> mark = get_hcp_assign(model, des).get_io_mark();
    if (!mark || !mark->is_input) return std::nullopt;
    return ErrorText::value(
        format("cannot assign to '{}': it is the input port '{}', whose value{} overrides every "
               "assignment to it",
               des.abs_name(), mark->io_name, *how));
}

CheckResult check_input_mark(const ModelArena& model, const HcpIdent& hcp_i, bool is_input,
                             std::string_view io_name) {
    const std::optional<std::string_view> how = port_drives_alone(hcp_i.hw_type);
    if (!is_input || !how || !assigned(model, hcp_i)) return std::nullopt;
    return ErrorText::value(
        format("cannot mark '{}' as the input port '{}': it is assigned, and the port's value{} "
               "would override every assignment to it",
               hcp_i.abs_name(), io_name, *how));
}

}  // namespace vorlent
