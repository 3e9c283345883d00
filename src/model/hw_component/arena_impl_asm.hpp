// User assignment: fitting a source to its destination's width, and turning
// the assignment into an assignment node in the current scope.
#pragma once

#include <cstdint>
#include <optional>

#include "common/error_text.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/common/slice.hpp"

namespace vorlent {

class ModelArena;

// How a source was fitted to its destination.
enum class AsmResize : uint32_t {
    None = 0,      // equal widths
    Extended = 1,  // narrower source, zero-extended through a new expression
    Cut = 2,       // wider source, its lowest bits used
};

struct SanitizedAsmSrc {
    HcpIdent src;     // the source to assign: the given one, or its "_ext" expression
    Slice src_range;  // the bits of `src` to assign
    AsmResize kind;
    int32_t src_width;  // before fitting
    int32_t des_width;
};

// The width rule. The destination width is the size of `des_slice` when it is
// present and usable, else the destination's whole width; the source range is
// `src_slice` when usable, else the whole source. A narrower source becomes a
// new system-made ExtendBit expression "{source abs name}_ext" of the
// destination width, stamped to the traced module; a wider one is cut to its
// lowest bits.
SanitizedAsmSrc sanitize_asm_src(ModelArena& model, const HcpIdent& des, const HcpIdent& src,
                                 const std::optional<Slice>& des_slice, Slice src_slice);

struct AsmReport {
    AsmResize kind;
    int32_t src_width;  // meaningful for Extended and Cut
    int32_t des_width;
};

// A user assignment of `src_slice` of `src` into `des_slice` of `des` (the
// whole destination when absent or not usable): the width rule, the
// destination's do_asm (taken out and put back), and the new assignment node
// attached to the current scope.
AsmReport gen_basic_assign(ModelArena& model, const HcpIdent& des, const HcpIdent& src,
                           std::optional<Slice> des_slice, Slice src_slice);

// A wire marked as an input port is driven from outside: the port's value
// overrides whatever the design assigns to it, so a wire is either written
// or an input port. So is a memory write element, whose input port writes
// the port's value into its memory in every cycle, over every assignment.
// A register marked as an input takes the port's value in every cycle at
// DEFAULT_UE_PRI_INPUT_PORT, over every assignment of that priority or
// below: only assignments of a higher priority show. Both orders are
// refused: an assignment into such a component marked as an input (for a
// register, at the thread's current priority), and marking one that an
// assignment writes (for `is_input`; a register's lowest priority written,
// Reg::lowest_asm_pri). A second mark replaces the first, so a component
// marked as an output again may be written.
CheckResult check_not_input_port(const ModelArena& model, const HcpIdent& des);
CheckResult check_input_mark(const ModelArena& model, const HcpIdent& hcp_i, bool is_input,
                             std::string_view io_name);

}  // namespace vorlent
