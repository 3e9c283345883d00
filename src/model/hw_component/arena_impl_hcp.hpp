// Reaching hardware components by identity, and the operations of the model
// that change one component in place of the caller: IO marks, register
// resets, wire defaults.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/error_text.hpp"
#include "model/hw_component/hcp_kinds.hpp"

namespace vorlent {

class ModelArena;

// A component taken out of its arena, used through HcpBase. put_back() is
// its replace_back_into_arena: it returns the component to its slot by the
// handle in its own identity. While it is out, its slot holds the kind's
// zeroed default record.
using TakenHcp = KindRecords<HwComponentType>::apply<TakenAny, HcpBase>;

// The component as its assignable interface, borrowed in place (the
// reference holds until the component is taken out). Nest stops with
// "HwComponentType Nest is not HCP-assignable".
const HcpAssignable& get_hcp_assign(const ModelArena& model, const HcpIdent& ident);
HcpAssignable& get_hcp_assign_mut(ModelArena& model, const HcpIdent& ident);

// The component's whole width: the size of its own range [0, width).
int32_t hcp_full_width(const ModelArena& model, const HcpIdent& ident);

// The component in its slot, read in place, when the slot holds it (not
// taken out, same global id); null otherwise. For readers that would take
// the component out only to look at it.
const HcpAssignable* hcp_in_slot(const ModelArena& model, const HcpIdent& ident);

// The component in place, with the checks of take_hcp (see checked_mut).
HcpBase& hcp_checked_mut(ModelArena& model, const HcpIdent& ident);

// Takes the component out of its arena. Nest stops with "HwComponentType
// Nest is not HcpBase".
TakenHcp take_hcp(ModelArena& model, const HcpIdent& ident);

// Stops unless `ident` names a component in its slot of this model (the
// checks of a take). For an identity kept for a later step, so that one of
// another model is refused by the call that hands it over, not later.
void check_names_hcp(const ModelArena& model, const HcpIdent& ident);

// Takes the component out, sets its IO mark and puts it back.
void mark_as_io(ModelArena& model, const HcpIdent& hcp_i, bool is_input, std::string io_name);

// A reset or default value that is the signal itself describes nothing (a
// register would keep its value, a wire would drive itself), and the build,
// which has the signal out of its slot, would read it there: "{where}: the
// {what} of \"{signal}\" is the {noun} itself; give another signal or a
// constant".
CheckResult check_not_itself(std::string_view where, std::string_view what, std::string_view noun,
                             const HcpIdent& signal, const HcpIdent& value);

// Takes the register out, records the reset value with PosEdge, puts it back.
void set_reg_reset(ModelArena& model, const HcpIdent& reg_i, const HcpIdent& reset_val_i);
// Takes the wire out, records the default value, puts it back.
void set_wire_default(ModelArena& model, const HcpIdent& wire_i, const HcpIdent& default_val_i);

// Stops with "'{owner}': signal '{abs name}' must be {n}-bit, got {w}" when
// `sig` is not `expected_bits` wide. A `sig` equal to `self_ident` is the
// component under check, which is out of its arena: `self_width` stands for
// it.
void check_ident_bit_size(const ModelArena& model, const HcpIdent& sig, uint32_t expected_bits,
                          std::string_view owner_name, const std::optional<HcpIdent>& self_ident,
                          int32_t self_width);

}  // namespace vorlent
