// What a control node hands to its special register: the node's trigger set
// with every node replaced by that node's 1-bit exit operand. The register
// turns it into its update events.
#pragma once

#include <optional>
#include <string_view>

#include "common/small_vec.hpp"
#include "model/common/control_inputs.hpp"
#include "model/hw_component/common/hcp_ident.hpp"

namespace vorlent {

class ModelArena;

// One predecessor: it activates the register when `sig` (and `guard`, when
// present) is 1.
struct TriggerDepend {
    HcpIdent sig;
    OptIdent<HcpIdent> guard;

    friend bool operator==(const TriggerDepend&, const TriggerDepend&) = default;
};

// The controls: hold freezes the register, int_reset is the state machine's
// internal reset, mrst the master reset, clk the clock of every event the
// register builds. A node gives no int_start (a block's start reaches its
// nodes as a dependency), so no register reads one.
struct TriggerSig : ControlInputs<HcpIdent> {
    SmallVec<TriggerDepend, 1> depend_list;  // events are built in this order

    void push_depend_node(HcpIdent sig, std::optional<HcpIdent> guard) {
        depend_list.push_back(TriggerDepend{std::move(sig), std::move(guard)});
    }

    // Every signal must be 1 bit wide: the controls, then each
    // dependency and its guard, in list order; the first that is not stops
    // with "'{owner}': signal '{name}' must be 1-bit, got {w}". The register
    // being built is out of its arena, so a signal equal to `own` is
    // measured by `own_width`.
    void integrity_check(std::string_view owner_name, const ModelArena& model, const HcpIdent& own,
                         int32_t own_width) const;

    friend bool operator==(const TriggerSig&, const TriggerSig&) = default;
};

}  // namespace vorlent
