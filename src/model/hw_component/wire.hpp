// A user wire: combinational, `bit_width` bits. A wire has a default unless
// it is switched off, so it never holds a latch.
#pragma once

#include <optional>

#include "model/hw_component/common/hcp_record.hpp"

namespace vorlent {

class Wire : public HcpRecord {
public:
    OptIdent<HcpIdent> default_val;
    uint32_t bit_width = 0;
    bool has_default = false;  // set by make_wire
    bool written = false;      // an assignment writes it (see check_not_input_port)

    Wire() = default;
    Wire(HcpIdent id, uint32_t width)
        : HcpRecord(std::move(id)), bit_width(width), has_default(true) {}

    ClockMode retrieve_clk_mode() const override { return ClockMode::ClkFree; }
    Slice get_des_slice() const override { return Slice{0, int32_t(bit_width)}; }
    int32_t get_priority() const override;
    // Every assignment into a wire passes here, so it marks the wire written.
    AssignMeta gen_asm_meta(const HcpIdent& src, std::optional<Slice> des_slice,
                            int32_t src_start, int32_t src_stop, ModelArena& model) override;

    // Records the default value once; not on a wire whose default is off.
    void set_default_val(const HcpIdent& value);
    // Switches the default off; not once a default value is set.
    void disable_default();
    // With the default on: appends one clock-free event, from the default
    // value at priority 1, or from a new zero constant
    // "{abs name}_DEFAULT_ZERO" at priority 0.
    void try_build_default(ModelArena& model);

    static Wire arena_default() { return Wire{}; }
};

}  // namespace vorlent
