// A user register: clocked storage of `bit_width` bits.
#pragma once

#include <optional>

#include "model/hw_component/common/hcp_record.hpp"

namespace vorlent {

class Reg : public HcpRecord {
public:
    OptIdent<HcpIdent> reset_val;  // loaded while the reset is set
    uint32_t bit_width = 0;
    std::optional<ClockMode> reset_clk_mode;  // absent reads as ClkFree
    // The lowest priority an assignment writes it at (see check_not_input_port).
    std::optional<int32_t> lowest_asm_pri;

    Reg() = default;
    Reg(HcpIdent id, uint32_t width) : HcpRecord(std::move(id)), bit_width(width) {}

    ClockMode retrieve_clk_mode() const override { return ClockMode::PosEdge; }
    Slice get_des_slice() const override { return Slice{0, int32_t(bit_width)}; }
    int32_t get_priority() const override;
    // A user assignment (gen_basic_assign) notes its priority. A Karray
    // write notes it once the write can no longer stop (karray_write.cpp).
    NcpIdent do_asm(const HcpIdent& src, std::optional<Slice> des_slice, int32_t src_start,
                    int32_t src_stop, ModelArena& model) override;
    void note_asm_pri(int32_t priority) {
        if (!lowest_asm_pri || priority < *lowest_asm_pri) lowest_asm_pri = priority;
    }

    // Records the reset value once ("reset_val is set already").
    void set_reset_val(const HcpIdent& value, ClockMode clk_mode);
    // With a reset value: appends one conditional event at the reset
    // priority that loads it while `rst_i` is set, clocked by `clk_i` when
    // the reset clock mode is an edge.
    void try_build_reset(const HcpIdent& clk_i, const HcpIdent& rst_i, ModelArena& model);

    static Reg arena_default() { return Reg{}; }
};

}  // namespace vorlent
