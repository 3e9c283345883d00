#include "model/complex_hardware/common/ccp_hw_build.hpp"

#include "model/controller/asm_mode.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/hw_component/update_event/arena_factory_update_event.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

void drive_wire(ModelArena& model, const HcpIdent& wire, const HcpIdent& src) {
    auto w = model.take<Wire>(wire);
    if (w->bit_width != 1) fatal_size_not_in_range();
    UpdateEventIdent ue =
        make_ue_basic(model, src, Slice{0, 1}, Slice{0, 1}, DEFAULT_UE_PRI_INTERNAL_MIN,
                      ClockMode::ClkFree, false, std::nullopt);
    w->add_update_event(std::move(ue));
    w.put_back();
}

namespace {
// The event of `src` (whole) into bits [0, width) of `dst`, not pooled.
UpdateEventIdent mux_arm(ModelArena& model, const HcpIdent& dst, const HcpIdent& src,
                         int32_t width) {
    const Slice src_range = get_hcp_assign(model, src).get_des_slice();
    auto d = take_hcp(model, dst);
    UpdateEventIdent ue = d->gen_update_event_with_pri(
        src, Slice::range(0, width), src_range, d->get_priority(), ClockMode::ClkUnused, model);
    d.put_back();
    return ue;
}
}  // namespace

void mux_into_wire(ModelArena& model, const HcpIdent& dst, const HcpIdent& a, const HcpIdent& b,
                   const HcpIdent& sel) {
    const int32_t width = get_hcp_assign(model, dst).get_des_slice().size();
    const UpdateEventIdent left = mux_arm(model, dst, a, width);
    const UpdateEventIdent right = mux_arm(model, dst, b, width);
    UpdateEventIdent ue = make_ue_mux(model, left, right, sel);
    auto d = take_hcp(model, dst);
    d->add_update_event(std::move(ue));
    d.put_back();
}

}  // namespace vorlent
