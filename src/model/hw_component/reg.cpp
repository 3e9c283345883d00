#include "model/hw_component/reg.hpp"

#include "model/controller/asm_mode.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/hw_component/update_event/arena_factory_update_event.hpp"

namespace vorlent {

int32_t Reg::get_priority() const { return get_asm_pri_val(); }

NcpIdent Reg::do_asm(const HcpIdent& src, std::optional<Slice> des_slice, int32_t src_start,
                     int32_t src_stop, ModelArena& model) {
    note_asm_pri(get_asm_pri_val());
    return HcpRecord::do_asm(src, des_slice, src_start, src_stop, model);
}

void Reg::set_reset_val(const HcpIdent& value, ClockMode clk_mode) {
    if (reset_val) fatal("reset_val is set already");
    reset_val = value;
    reset_clk_mode = clk_mode;
}

void Reg::try_build_reset(const HcpIdent& clk_i, const HcpIdent& rst_i, ModelArena& model) {
    if (!reset_val) return;
    const Slice src = vorlent::get_hcp_assign(model, *reset_val).get_des_slice();
    const ClockMode mode = reset_clk_mode.value_or(ClockMode::ClkFree);
    std::optional<HcpIdent> clk_src;
    if (is_edge_clocked(mode)) clk_src = clk_i;
    UpdateEventIdent ue =
        make_ue_full(model, std::nullopt, rst_i, *reset_val, Slice{0, int32_t(bit_width)}, src,
                     DEFAULT_UE_PRI_RST, mode, false, std::move(clk_src));
    add_update_event(std::move(ue));
}

}  // namespace vorlent
