// The IO-wire hop shared by both routing passes: one IoWire made in a module
// on the way of a signal across module boundaries, or an existing one reused.
#pragma once

#include <optional>
#include <string_view>

#include "model/hw_component/common/hcp_ident.hpp"
#include "model/module/module_ident.hpp"

namespace vorlent {

class ModelArena;

// Direction words of wire names: "OUT" on the driving side, "IN" on the
// reading side.
inline constexpr std::string_view IO_DIR_OUT = "OUT";
inline constexpr std::string_view IO_DIR_IN = "IN";

// The first IO wire of `module` (system list, then user list) that carries
// `src` in the given direction. A wire of that direction that carries no
// source stops with "IoWire: actual_src_signal_i is None".
std::optional<HcpIdent> find_reusable_io_wire(ModelArena& model, const ModuleIdent& module,
                                              const HcpIdent& src, bool is_input);

// Makes one IO wire named "IO_{dir}_{src_name}" in `module`, system-made:
// the module is traced at CompInit while the wire is inserted and stamped,
// and untraced after. `agent` feeds the wire (its pool copies the agent's
// whole range); `actual` is the signal the whole chain carries. Returns the
// stamped identity.
HcpIdent make_io_wire(ModelArena& model, const ModuleIdent& module, std::string_view dir,
                      std::string_view src_name, bool is_input, uint32_t bit_width,
                      std::optional<HcpIdent> agent, std::optional<HcpIdent> actual);

// The bit width of a signal: the size of its whole range.
uint32_t signal_width(const ModelArena& model, const HcpIdent& sig);

}  // namespace vorlent
