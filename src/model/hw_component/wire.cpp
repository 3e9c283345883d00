#include "model/hw_component/wire.hpp"

#include "model/controller/asm_mode.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/hw_component/update_event/arena_factory_update_event.hpp"

namespace vorlent {

int32_t Wire::get_priority() const { return get_asm_pri_val(); }

AssignMeta Wire::gen_asm_meta(const HcpIdent& src, std::optional<Slice> des_slice,
                              int32_t src_start, int32_t src_stop, ModelArena& model) {
    written = true;
    return HcpRecord::gen_asm_meta(src, des_slice, src_start, src_stop, model);
}

void Wire::set_default_val(const HcpIdent& value) {
    if (default_val) fatal("default_val is set already");
    if (!has_default) fatal("cannot set default_val on a no-default wire");
    default_val = value;
}

void Wire::disable_default() {
    if (default_val) fatal("cannot disable default on a wire with a default_val");
    has_default = false;
}

void Wire::try_build_default(ModelArena& model) {
    if (!has_default) return;
    HcpIdent src;
    int32_t priority;
    if (default_val) {
        src = *default_val;
        priority = DEFAULT_UE_PRI_FALLBACK;
    } else {
        src = make_val(model, false, format("{}_DEFAULT_ZERO", get_global_name()),
                       int32_t(bit_width), 0);
        priority = DEFAULT_UE_PRI_MIN;
    }
    const Slice range = vorlent::get_hcp_assign(model, src).get_des_slice();
    const int32_t width = int32_t(bit_width);
    if (int64_t(range.stop) - range.start != width) fatal_size_not_in_range();
    UpdateEventIdent ue =
        make_ue_basic(model, src, Slice{0, width}, Slice{range.start, range.start + width},
                      priority, ClockMode::ClkFree, false, std::nullopt);
    add_update_event(std::move(ue));
}

}  // namespace vorlent
