#include "model/hw_component/update_event/arena_factory_update_event.hpp"

#include "model/arena_insert.hpp"
#include "model/controller/asm_mode.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/update_event/arena_impl_update_event.hpp"

namespace vorlent {

namespace {

void check_clk_free_has_no_src(ClockMode mode, const std::optional<HcpIdent>& clk_src) {
    if (mode == ClockMode::ClkFree && clk_src)
        fatal("make_ue_*: clk_src must be None when clk_mode is ClkFree");
}

}  // namespace

UpdateEventIdent make_ue_basic(ModelArena& model, const HcpIdent& src, Slice des, Slice src_range,
                               int32_t priority, ClockMode clk_mode, bool use_cur_pri,
                               std::optional<HcpIdent> clk_src) {
    check_clk_free_has_no_src(clk_mode, clk_src);
    UeBasic ue;
    ue.ident = UpdateEventIdent::make(UeType::Basic);
    ue.src = src;
    ue.des_start = des.start;
    ue.des_stop = des.stop;
    ue.src_start = src_range.start;
    ue.src_stop = src_range.stop;
    ue.common.sub_priority = 0;
    ue.common.priority = use_cur_pri ? get_asm_pri_val() : priority;
    ue.common.ue_type = UeType::Basic;
    ue.common.clk_mode = clk_mode;
    ue.common.clk_src_i = std::move(clk_src);
    return insert_ue(model, std::move(ue));
}

UpdateEventIdent make_ue_full(ModelArena& model, std::optional<HcpIdent> en,
                              std::optional<HcpIdent> dis, const HcpIdent& src, Slice des,
                              Slice src_range, int32_t priority, ClockMode clk_mode,
                              bool use_cur_pri, std::optional<HcpIdent> clk_src) {
    UpdateEventIdent basic = make_ue_basic(model, src, des, src_range, priority, clk_mode,
                                           use_cur_pri, std::move(clk_src));
    if (!en && !dis) return basic;
    return make_ue_add_dis(model, std::move(en), std::move(dis), basic);
}

UpdateEventIdent make_ue_add_dis(ModelArena& model, std::optional<HcpIdent> en,
                                 std::optional<HcpIdent> dis, const UpdateEventIdent& ue) {
    HcpIdent cond;
    if (en && dis) {
        cond = make_expression(model, false, "cond_dis_expr", LogicOp::BitwiseAnd, *en, *dis,
                               Slice{0, 1}, Slice{0, 1});
    } else if (en) {
        cond = std::move(*en);
    } else if (dis) {
        cond = std::move(*dis);
    } else {
        fatal("internal error: entered unreachable code");
    }
    const UeCommon inner = get_ue_common(model, ue);
    check_clk_free_has_no_src(inner.clk_mode, inner.clk_src_i);

    UeCond out;
    out.ident = UpdateEventIdent::make(UeType::Cond);
    out.common = UeCommon{inner.clk_src_i, 0, inner.priority, UeType::Cond, inner.clk_mode};
    out.add_branch(std::move(cond), ue, inner);
    return insert_ue(model, std::move(out));
}

UpdateEventIdent make_ue_mux(ModelArena& model, const UpdateEventIdent& left,
                             const UpdateEventIdent& right, std::optional<HcpIdent> cond) {
    const UeCommon& l = get_ue_common(model, left);
    const int32_t left_priority = l.priority;
    const ClockMode left_clk = l.clk_mode;
    const UeCommon& r = get_ue_common(model, right);
    const int32_t right_priority = r.priority;
    const ClockMode right_clk = r.clk_mode;
    assert_eq(left_clk, ClockMode::ClkUnused, "make_ue_mux: left  operand must be ClkUnused");
    assert_eq(right_clk, ClockMode::ClkUnused, "make_ue_mux: right operand must be ClkUnused");
    assert_eq(left_priority, right_priority,
              "make_ue_mux: left/right operands must share priority");

    UeCond out;
    out.ident = UpdateEventIdent::make(UeType::Cond);
    out.common = UeCommon{std::nullopt, 0, left_priority, UeType::Cond, ClockMode::ClkUnused};
    // The mux names its own common part for its first branch, so it keeps no
    // clock source.
    const UeCommon reference = out.common;
    out.add_branch(std::move(cond), left, reference);
    out.add_branch(std::nullopt, right, reference);
    return insert_ue(model, std::move(out));
}

}  // namespace vorlent
