#include "model/hw_component/sp_reg/sp_reg_base.hpp"

#include <cmath>
#include <cstdint>

#include "model/hw_component/update_event/arena_factory_update_event.hpp"

namespace vorlent {

void refuse_sp_reg_do_asm(std::string_view kind) {
    fatal(format("{}::do_asm() is not supported; use build_update_event()", kind));
}

int32_t floor_log2_i32(double x) {
    const double v = std::floor(std::log2(x));
    if (std::isnan(v)) return 0;
    if (v >= double(INT32_MAX)) return INT32_MAX;
    if (v <= double(INT32_MIN)) return INT32_MIN;
    return int32_t(v);
}

const HcpIdent& require_support_signal(const OptIdent<HcpIdent>& sig) {
    if (!sig) [[unlikely]]
        fatal("build_support_signal must be called first");
    return *sig;
}

std::string SpRegBase::support_name(std::string_view suffix) const {
    return format("{}{}", ident.abs_name(), suffix);
}

void SpRegBase::append_event(ModelArena& model, std::optional<HcpIdent> en,
                             std::optional<HcpIdent> dis, const HcpIdent& src, Slice des,
                             Slice src_range, int32_t priority) {
    add_update_event(make_ue_full(model, std::move(en), std::move(dis), src, des, src_range,
                                  priority, ClockMode::PosEdge, false, trigger_sig.clk()));
}

void SpRegBase::append_on_control(ModelArena& model, const std::optional<HcpIdent>& control,
                                  const HcpIdent& src, Slice range, int32_t priority) {
    if (control) append_event(model, control, std::nullopt, src, range, range, priority);
}

void SpRegBase::append_on_depends(ModelArena& model, const HcpIdent& src, Slice range,
                                  int32_t priority) {
    for (const TriggerDepend& d : trigger_sig.depend_list)
        append_event(model, d.sig, d.guard, src, range, range, priority);
}

}  // namespace vorlent
