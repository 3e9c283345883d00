// A constant of any width. It is read, never assigned.
#pragma once

#include "model/hw_component/common/hcp_record.hpp"
#include "util/math/vary_val.hpp"

namespace vorlent {

class Val : public HcpRecord {
public:
    VaryVal value;
    int32_t bit_width = 0;

    Val() = default;
    Val(HcpIdent id, VaryVal v, int32_t width)
        : HcpRecord(std::move(id)), value(std::move(v)), bit_width(width) {}

    // The record of a `bit_width`-bit constant holding `value` masked to the
    // width, under a new identity; not inserted. A width below 1 holds no
    // limbs.
    static Val make(bool is_user_com, std::string_view name, int32_t bit_width, uint64_t value);

    ClockMode retrieve_clk_mode() const override { return ClockMode::ClkFree; }
    Slice get_des_slice() const override { return Slice{0, bit_width}; }
    int32_t get_priority() const override;

    NcpIdent do_asm(const HcpIdent& src, std::optional<Slice> des_slice, int32_t src_start,
                    int32_t src_stop, ModelArena& model) override;
    UpdateEventIdent gen_update_event(const HcpIdent& src, std::optional<Slice> des_slice,
                                      Slice src_slice, ModelArena& model) override;
    AssignMeta gen_asm_meta(const HcpIdent& src, std::optional<Slice> des_slice, int32_t src_start,
                            int32_t src_stop, ModelArena& model) override;

    static Val arena_default() { return Val{}; }
};

}  // namespace vorlent
