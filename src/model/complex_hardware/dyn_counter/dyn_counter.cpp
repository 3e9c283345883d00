#include "model/complex_hardware/dyn_counter/dyn_counter.hpp"

#include "model/complex_hardware/common/ccp_hw_build.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_asm.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"

namespace vorlent {

DynCounter DynCounter::make(ModelArena& model, bool is_user_com, std::string_view name,
                            int32_t width) {
    if (width < 1) fatal(format("DynCounter::new: width must be >= 1, got {}", width));
    DynCounter c;
    c.reg = make_reg(model, false, format("{}_CNT", name), uint32_t(width));
    c.ident = CcpIdent::make(CcpType::DynCounter, is_user_com, name);
    c.width = width;
    return c;
}

Result<HcpIdent> DynCounter::add(const HcpIdent& addend, const std::optional<HcpIdent>& enable,
                                 ModelArena& model) {
    const uint32_t k = add_count++;
    const HcpIdent cur = now();
    const HcpIdent sum =
        make_expression(model, false, format("{}_ADD{}", name(), k), LogicOp::ArithPlus, cur,
                        addend, std::nullopt, std::nullopt);
    HcpIdent running = sum;
    if (enable) {
        const int32_t en_width = get_hcp_assign(model, *enable).get_des_slice().size();
        if (en_width != 1)
            return ErrorText::value(
                format("DynCounter add: enable must be 1-bit, got {}", en_width));
        running = make_wire(model, false, format("{}_ST{}", name(), k), uint32_t(width));
        mux_into_wire(model, running, sum, cur, *enable);
    }
    pending = running;
    return running;
}

CheckResult DynCounter::update(ModelArena& model) {
    const std::optional<HcpIdent> value = std::exchange(pending, std::nullopt);
    if (!value)
        return ErrorText::value("DynCounter update: nothing to commit \u2014 call add() first");
    gen_basic_assign(model, reg, *value, Slice::range(0, width), Slice::whole());
    return std::nullopt;
}

}  // namespace vorlent
