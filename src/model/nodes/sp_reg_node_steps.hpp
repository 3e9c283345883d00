// The two steps every register-backed node takes on its special register:
// take the register out, let it build, put it back. Included by the node
// kinds' sources only.
#pragma once

#include <optional>
#include <string_view>

#include "model/model_arena.hpp"

namespace vorlent {

// Builds the register's support signals and returns the signal `raw_of`
// picks from it; `missing` is the refusal when there is none.
template <class Reg, class RawOf>
HcpIdent build_reg_support(ModelArena& model, const HcpIdent& reg_i, RawOf raw_of,
                           std::string_view missing) {
    auto reg = model.take<Reg>(reg_i);
    reg->build_support_signal(model);
    const std::optional<HcpIdent> raw = raw_of(*reg);
    if (!raw) fatal(std::string(missing));
    reg.put_back();
    return *raw;
}

// Replaces the register's TriggerSig and lets it build its events.
template <class Reg>
void build_reg_events(ModelArena& model, const HcpIdent& reg_i, TriggerSig sig) {
    auto reg = model.take<Reg>(reg_i);
    reg->trigger_sig = std::move(sig);
    reg->build_update_event(model);
    reg.put_back();
}

}  // namespace vorlent
