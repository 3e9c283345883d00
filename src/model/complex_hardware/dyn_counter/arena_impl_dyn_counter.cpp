#include "model/complex_hardware/dyn_counter/arena_impl_dyn_counter.hpp"

#include "model/common/draw_id_by_take.hpp"
#include "model/flow_block/common/arena_factory_flow_block.hpp"
#include "model/hw_component/arena_impl_asm.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

Result<HcpIdent> dyn_counter_add(ModelArena& model, const CcpIdent& cnt_i, const HcpIdent& addend_i,
                                 const std::optional<Slice>& addend_slice,
                                 const std::optional<HcpIdent>& enable_i,
                                 const std::optional<Slice>& enable_slice) {
    const std::string name(model.get<DynCounter>(cnt_i).name());
    const HcpIdent addend =
        resolve_cond_slice(model, format("{}_addend", name), addend_i, addend_slice);
    std::optional<HcpIdent> enable;
    if (enable_i)
        enable = resolve_cond_slice(model, format("{}_en", name), *enable_i, enable_slice);
    auto cnt = model.take<DynCounter>(cnt_i);
    auto out = cnt->add(addend, enable, model);
    cnt.put_back();
    return out;
}

CheckResult dyn_counter_update(ModelArena& model, const CcpIdent& cnt_i) {
    // In place, before the counter is taken: a refusal draws no id.
    if (auto err = check_not_input_port(model, model.get<DynCounter>(cnt_i).reg)) return err;
    auto cnt = model.take<DynCounter>(cnt_i);
    CheckResult out = cnt->update(model);
    cnt.put_back();
    return out;
}

HcpIdent dyn_counter_get_now(ModelArena& model, const CcpIdent& cnt_i) {
    return draw_id_by_take(model.take<DynCounter>(cnt_i),
                           [](const DynCounter& c) { return c.now(); });
}

HcpIdent dyn_counter_get_reg(ModelArena& model, const CcpIdent& cnt_i) {
    return draw_id_by_take(model.take<DynCounter>(cnt_i),
                           [](const DynCounter& c) { return c.reg; });
}

}  // namespace vorlent
