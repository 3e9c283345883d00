#include "model/hw_component/io_wire.hpp"

#include "model/controller/asm_mode.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/hw_component/update_event/arena_factory_update_event.hpp"

namespace vorlent {

IoWire IoWire::new_opt_src(bool is_user_com, std::string_view name, bool is_input,
                           uint32_t bit_width, std::optional<HcpIdent> agent_src,
                           std::optional<HcpIdent> actual_src, ModelArena& model) {
    IoWire w;
    w.ident =
        HcpIdent::make(HwComponentType::IoWire, Sensitivity::Combinational, is_user_com, name);
    w.agent_src_signal_i = std::move(agent_src);
    w.actual_src_signal_i = std::move(actual_src);
    w.bit_width = bit_width;
    w.is_input = is_input;
    if (w.agent_src_signal_i) {
        const Slice r = vorlent::get_hcp_assign(model, *w.agent_src_signal_i).get_des_slice();
        w.add_update_event(make_ue_basic(model, *w.agent_src_signal_i, r, r,
                                         DEFAULT_UE_PRI_INTERNAL_MIN, ClockMode::ClkFree, false,
                                         std::nullopt));
    }
    return w;
}

int32_t IoWire::get_priority() const { return get_asm_pri_val(); }

NcpIdent IoWire::do_asm(const HcpIdent&, std::optional<Slice>, int32_t, int32_t, ModelArena&) {
    fatal("the io wire cannot be do_asm");
}

}  // namespace vorlent
