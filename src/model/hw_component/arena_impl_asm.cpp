#include "model/hw_component/arena_impl_asm.hpp"

#include "model/controller/asm_mode.hpp"
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

// How an input port's value reaches a component of kind `t` and which
// assignments it overrides (none for a kind it does not drive): a wire
// takes it and a memory write element writes it into its memory in every
// cycle, over every assignment; a register takes it in every cycle at
// DEFAULT_UE_PRI_INPUT_PORT, over every assignment of that priority or
// below (the port's copy is pooled after them).
struct PortRule {
    std::string_view how;
    bool by_priority;
};

std::optional<PortRule> port_rule(HwComponentType t) {
    switch (t) {
        case HwComponentType::Wire:
            return PortRule{"", false};
        case HwComponentType::MemBlockIndexer:
            return PortRule{", written into its memory in every cycle,", false};
        case HwComponentType::Reg:
            return PortRule{"", true};
        default:
            return std::nullopt;
    }
}

// The assignments the port overrides, and for a register those that win.
std::string overridden(const PortRule& rule) {
    if (!rule.by_priority) return "every assignment to it";
    const int32_t wins = DEFAULT_UE_PRI_INPUT_PORT + 1;
    return format(
        "every assignment to it at priority {} or below; one at {} or above "
        "(set_asm_pri_to_manual({})) wins over the port",
        DEFAULT_UE_PRI_INPUT_PORT, wins, wins);
}

// The input mark of `h`, of a kind port_rule names, read through its own
// record: asked at every assignment, so it costs no dispatch over the kinds.
const IoMark* input_mark(const ModelArena& model, const HcpIdent& h) {
    const HcpAssign& assign = h.hw_type == HwComponentType::Reg    ? model.get<Reg>(h).hcp_assign
                              : h.hw_type == HwComponentType::Wire ? model.get<Wire>(h).hcp_assign
                                                                   : model.get<MemEle>(h).hcp_assign;
    const IoMark* mark = assign.io_mark.get();
    return mark && mark->is_input ? mark : nullptr;
}

// Whether an assignment writes `h` (a wire or a write element).
bool assigned(const ModelArena& model, const HcpIdent& h) {
    return h.hw_type == HwComponentType::Wire ? model.get<Wire>(h).written
                                              : model.get<MemEle>(h).written;
}

}  // namespace

CheckResult check_not_input_port(const ModelArena& model, const HcpIdent& des) {
    const std::optional<PortRule> rule = port_rule(des.hw_type);
    if (!rule || (rule->by_priority && !model.input_port_regs)) return std::nullopt;
    const IoMark* mark = input_mark(model, des);
    if (!mark) return std::nullopt;
    const int32_t priority = get_asm_pri_val();
    if (rule->by_priority && priority > DEFAULT_UE_PRI_INPUT_PORT) return std::nullopt;
    const std::string at = rule->by_priority ? format(" at priority {}", priority) : "";
    return ErrorText::value(format(
        "cannot assign to '{}'{}: it is the input port '{}', whose value{} overrides {}",
        des.abs_name(), at, mark->io_name, rule->how, overridden(*rule)));
}

CheckResult check_input_mark(const ModelArena& model, const HcpIdent& hcp_i, bool is_input,
                             std::string_view io_name) {
    const std::optional<PortRule> rule = port_rule(hcp_i.hw_type);
    if (!is_input || !rule) return std::nullopt;
    std::string at;
    if (rule->by_priority) {
        const std::optional<int32_t>& lowest = model.get<Reg>(hcp_i).lowest_asm_pri;
        if (!lowest || *lowest > DEFAULT_UE_PRI_INPUT_PORT) return std::nullopt;
        at = format(" at priority {}", *lowest);
    } else if (!assigned(model, hcp_i)) {
        return std::nullopt;
    }
    return ErrorText::value(format(
        "cannot mark '{}' as the input port '{}': it is assigned{}, and the port's value{} "
        "would override {}",
        hcp_i.abs_name(), io_name, at, rule->how, overridden(*rule)));
}

}  // namespace vorlent
