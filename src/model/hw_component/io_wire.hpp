// A port wire of a module, made by cross-module routing. The actual source
// is the signal the routing chain carries; the agent source is the previous
// hop of that chain, the one signal visible inside the wire's own module.
#pragma once

#include <optional>
#include <string>

#include "model/hw_component/common/hcp_record.hpp"

namespace vorlent {

class IoWire : public HcpRecord {
public:
    OptIdent<HcpIdent> agent_src_signal_i;
    OptIdent<HcpIdent> actual_src_signal_i;
    std::optional<std::string> port_name;  // written instead of the absolute name when set
    uint32_t bit_width = 0;
    bool is_input = false;

    IoWire() = default;

    // The record of a new IO wire, not inserted: the caller inserts and
    // stamps it. With an agent source, its pool holds one clock-free event
    // at priority 50 copying the agent's whole range; the wire is driven
    // from inside its own module, so the agent (not the actual source) is
    // what it may read.
    static IoWire new_opt_src(bool is_user_com, std::string_view name, bool is_input,
                              uint32_t bit_width, std::optional<HcpIdent> agent_src,
                              std::optional<HcpIdent> actual_src, ModelArena& model);

    ClockMode retrieve_clk_mode() const override { return ClockMode::ClkFree; }
    Slice get_des_slice() const override { return Slice{0, int32_t(bit_width)}; }
    int32_t get_priority() const override;
    NcpIdent do_asm(const HcpIdent& src, std::optional<Slice> des_slice, int32_t src_start,
                    int32_t src_stop, ModelArena& model) override;

    static IoWire arena_default() { return IoWire{}; }
};

}  // namespace vorlent
