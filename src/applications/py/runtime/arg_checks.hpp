// Checks the Python layer makes itself, after the arguments are converted and
// before the model is touched, and the texts of its warnings. Free of
// Python.h: each returns the error text or message for the caller to raise.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/error_text.hpp"
#include "common/text.hpp"
#include "common/wide_int.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/common/hw_type.hpp"
#include "model/hw_component/common/logic_op.hpp"
#include "model/hw_component/int_constant.hpp"
#include "model/hw_component/mem_blk.hpp"

namespace vorlent::py {

// The arbiter's enumerations as the Python module names them. Enumeration
// arguments arrive as plain indices (an IntEnum member or an int).
inline constexpr std::array<std::string_view, 3> ARB_SAME_PRI_POLICY_NAMES = {"AckOne", "AckAll",
                                                                              "NotAck"};
inline constexpr std::array<std::string_view, 2> ARB_LOCKED_CHANNEL_NAMES = {"Req", "Ack"};

// "LogicOp index out of range: 26" for an index at or past `count`.
inline CheckResult check_enum_index(std::string_view enum_name, uint64_t index, size_t count) {
    if (index < count) return std::nullopt;
    return ErrorText::value(format("{} index out of range: {}", enum_name, index));
}

// A Karray is backed by registers or wires only.
inline CheckResult check_karray_backing(uint64_t index) {
    if (auto err = check_enum_index("HwComponentType", index, HW_COMPONENT_TYPE_COUNT)) return err;
    const auto kind = HwComponentType(index);
    if (kind == HwComponentType::Reg || kind == HwComponentType::Wire) return std::nullopt;
    return ErrorText::value(
        format("Karray backing must be HwComponentType.REG / WIRE, got {}", hw_type_display(kind)));
}

// A signal of no bits is not Verilog and a negative width means nothing, so
// every width the caller gives, as `param_name`, must be at least 1.
inline CheckResult check_positive_width(std::string_view param_name, int32_t width) {
    if (width >= 1) return std::nullopt;
    return ErrorText::value(format("{} must be positive, got {}", param_name, width));
}

// A memory's address width beyond what its declaration can state; a width
// below 1 is the model's to refuse.
inline CheckResult check_mem_index_width(int32_t index_width) {
    if (index_width <= MEM_INDEX_WIDTH_MAX) return std::nullopt;
    return ErrorText::value(
        format("index_width must be at most {} (a memory of 2^{} words), got {}",
               MEM_INDEX_WIDTH_MAX, MEM_INDEX_WIDTH_MAX, index_width));
}

// An identity handed to a method that works on one kind of component. The
// component's arena is chosen by the method, not by the identity, so an
// identity of another kind would name an unrelated element there.
inline CheckResult check_hcp_kind(std::string_view param_name, const HcpIdent& ident,
                                  HwComponentType expected) {
    if (ident.hw_type == expected) return std::nullopt;
    return ErrorText::value(format("{} must be a {} component, got {}", param_name,
                                   hw_type_display(expected), hw_type_display(ident.hw_type)));
}

// mk_expression takes the two-operand ops only; the others have their own
// methods (or are made by the assignment path).
inline CheckResult check_binary_expression_op(uint32_t index) {
    if (auto err = check_enum_index("LogicOp", index, LOGIC_OP_COUNT)) return err;
    switch (LogicOp(index)) {
        case LogicOp::BitwiseInvr:
        case LogicOp::LogicalNot:
        case LogicOp::ExtendBit:
        case LogicOp::SliceBit:
        case LogicOp::Assign:
        case LogicOp::Dummy:
            return ErrorText::value(format(
                "{} is not a binary expression op (use mk_expression_single / mk_extend_bit / "
                "the assign path)",
                logic_op_name(LogicOp(index))));
        default:
            return std::nullopt;
    }
}

// mk_expression_single takes the two inversions only.
inline CheckResult check_unary_expression_op(uint32_t index) {
    if (auto err = check_enum_index("LogicOp", index, LOGIC_OP_COUNT)) return err;
    const auto op = LogicOp(index);
    if (op == LogicOp::BitwiseInvr || op == LogicOp::LogicalNot) return std::nullopt;
    return ErrorText::value(
        format("{} is not a unary expression op (use mk_expression / the assign path)",
               logic_op_name(op)));
}

// mk_extend_bit widens: `c` is the width of the result, so it is at least
// the operand's; a narrower one would cut the operand instead.
inline CheckResult check_extend_width(int32_t c, int32_t operand_width) {
    if (c >= operand_width) return std::nullopt;
    return ErrorText::value(
        format("mk_extend_bit: c ({}) is narrower than operand a ({} bits); c is the width of the "
               "result, at least the operand's (slice the operand to narrow it)",
               c, operand_width));
}

// The ops whose result, as wide as operand a, would reach above a's width
// when b is wider: b's high bits, the carry and the product are dropped.
// Relations and the logical ops are 1 bit and read both operands whole; an
// AND, a quotient and a remainder never exceed a; b of a shift is an amount.
inline bool drops_high_bits_of_wider_b(LogicOp op) {
    switch (op) {
        case LogicOp::BitwiseOr:
        case LogicOp::BitwiseXor:
        case LogicOp::ArithPlus:
        case LogicOp::ArithMinus:
        case LogicOp::ArithMul:
            return true;
        default:
            return false;
    }
}

// The warning for an expression whose operand b is wider than operand a,
// when the op drops what b adds above a's width.
inline std::optional<std::string> expression_width_message(LogicOp op, int64_t a_width,
                                                           int64_t b_width, std::string_view name) {
    if (b_width <= a_width || !drops_high_bits_of_wider_b(op)) return std::nullopt;
    return format(
        "expression '{}' ({}): operand b ({} bits) is wider than operand a ({} bits); the result "
        "is as wide as a, MSBs dropped (put the wider operand first, or extend a)",
        name, logic_op_name(op), b_width, a_width);
}

// The warning for an int that its constant does not hold whole.
inline std::string int_cut_message(const IntCut& cut) {
    const WideInt kept =
        cut.width < 1 ? WideInt{}
                      : WideInt::from_unsigned(reduce_mod_pow2(cut.value, uint64_t(cut.width)));
    if (cut.shifts_by)
        return format(
            "int {} does not fit in {} bits; constant '{}' holds a shift by {} instead, the width "
            "of the operand it shifts, which shifts every bit out as its low {} bits ({}) would",
            decimal_text(cut.value), cut.width, cut.constant.abs_name(), *cut.shifts_by,
            cut.width, decimal_text(kept));
    return format("int {} does not fit in {} bits; constant '{}' keeps its low {} bits: {}",
                  decimal_text(cut.value), cut.width, cut.constant.abs_name(), cut.width,
                  decimal_text(kept));
}

// The warning for a zcase whose value its zstate's selector cannot take:
// the case compares the selector, zero-extended, with the value, so it
// never matches.
inline std::optional<std::string> zcase_value_message(std::string_view case_name, int32_t value,
                                                      std::string_view selector_name,
                                                      int32_t selector_width) {
    // A value is an int32: from 31 bits on, every value not below 0 fits.
    if (value >= 0 && selector_width >= 1 &&
        (selector_width > 30 || value < (int32_t(1) << selector_width)))
        return std::nullopt;
    // The largest value the selector holds, 2^width - 1, in decimal up to
    // 64 bits; past that as a power (a wide selector's would have millions of digits).
    const std::string most = selector_width < 1 ? "-1"
                             : selector_width > 64
                                 ? format("2^{}-1", selector_width)
                                 : format("{}", UINT64_MAX >> (64 - selector_width));
    return format("zcase '{}' value {} never matches: selector '{}' is {} bits wide, 0..{}",
                  case_name, value, selector_name, selector_width, most);
}

// A wait of no cycles (or fewer) would never be counted down.
inline CheckResult check_sywait_cycle(int32_t cycle) {
    if (cycle >= 1) return std::nullopt;
    return ErrorText::value(format("sywait cycle must be positive, got {}", cycle));
}

// How an assignment's source was fitted to its destination.
enum class AsmResize : uint32_t { Equal = 0, Extended = 1, Cut = 2 };

// The warning for a resized assignment, or nothing when the widths matched.
inline std::optional<std::string> asm_resize_message(uint32_t kind, int32_t src_width,
                                                     int32_t des_width, std::string_view des_name) {
    switch (AsmResize(kind)) {
        case AsmResize::Extended:
            return format(
                "assignment source ({} bits) is narrower than destination '{}' ({} bits); "
                "zero-extended (unsigned) to fit",
                src_width, des_name, des_width);
        case AsmResize::Cut:
            return format(
                "assignment source ({} bits) is wider than destination '{}' ({} bits); "
                "MSBs dropped to fit",
                src_width, des_name, des_width);
        case AsmResize::Equal:
            break;
    }
    return std::nullopt;
}

}  // namespace vorlent::py
