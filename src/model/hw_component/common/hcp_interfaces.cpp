#include "model/hw_component/common/hcp_interfaces.hpp"

#include "model/controller/asm_mode.hpp"
#include "model/hw_component/update_event/arena_factory_update_event.hpp"
#include "model/hw_component/update_event/arena_impl_update_event.hpp"
#include "model/nodes/arena_factory_node.hpp"

namespace vorlent {

void fatal_size_not_in_range() {
    fatal("assertion failed: self.is_size_in_range_rel(b.get_size())");
}

void check_range_fits(int32_t des_start, int32_t des_stop, int32_t src_start, int32_t src_stop) {
    // In 64 bits: the bounds come from callers and may be anything.
    if (int64_t(des_stop) - des_start != int64_t(src_stop) - src_start) [[unlikely]]
        fatal_size_not_in_range();
}

NcpIdent HcpAssignable::do_asm(const HcpIdent& src, std::optional<Slice> des_slice,
                               int32_t src_start, int32_t src_stop, ModelArena& model) {
    return gen_asm_node(src, des_slice, src_start, src_stop, model);
}

UpdateEventIdent HcpAssignable::gen_update_event(const HcpIdent& src,
                                                 std::optional<Slice> des_slice, Slice src_slice,
                                                 ModelArena& model) {
    return gen_update_event_with_pri(src, des_slice, src_slice, get_priority(), retrieve_clk_mode(),
                                     model);
}

UpdateEventIdent HcpAssignable::gen_update_event_with_pri(const HcpIdent& src,
                                                          std::optional<Slice> des_slice,
                                                          Slice src_slice, int32_t priority,
                                                          ClockMode clk_mode, ModelArena& model) {
    const Slice des = des_range_or_whole(des_slice);
    check_range_fits(des.start, des.stop, src_slice.start, src_slice.stop);
    return make_ue_basic(model, src, des, src_slice, priority, clk_mode, false, std::nullopt);
}

AssignMeta HcpAssignable::gen_asm_meta(const HcpIdent& src, std::optional<Slice> des_slice,
                                       int32_t src_start, int32_t src_stop, ModelArena& model) {
    const Slice des = des_range_or_whole(des_slice);
    check_range_fits(des.start, des.stop, src_start, src_stop);
    const ClockMode clk_mode = retrieve_clk_mode();
    UpdateEventIdent ue = make_ue_basic(model, src, des, Slice{src_start, src_stop}, get_priority(),
                                        clk_mode, false, std::nullopt);
    return AssignMeta{get_ident(), std::nullopt, ue, ue, clk_mode};
}

NcpIdent HcpAssignable::gen_asm_node(const HcpIdent& src, std::optional<Slice> des_slice,
                                     int32_t src_start, int32_t src_stop, ModelArena& model) {
    const std::string name = format("{}_asm", get_global_name());
    AssignMeta meta = gen_asm_meta(src, des_slice, src_start, src_stop, model);
    return make_asm_node(model, false, name, std::move(meta));
}

void HcpAssignable::bind_src(const HcpIdent& src, std::optional<Slice> des_slice, int32_t src_start,
                             int32_t src_stop, std::optional<int32_t> priority,
                             std::optional<ClockMode> clk_mode, std::optional<HcpIdent> clk_src,
                             ModelArena& model) {
    const ClockMode mode = clk_mode.value_or(ClockMode::ClkFree);
    if (is_edge_clocked(mode) && !clk_src)
        fatal("no clk_src specified for binded source with posedge or negedge clk");
    const Slice des = des_range_or_whole(des_slice);
    check_range_fits(des.start, des.stop, src_start, src_stop);
    UpdateEventIdent ue =
        make_ue_basic(model, src, des, Slice{src_start, src_stop},
                      priority.value_or(DEFAULT_UE_PRI_INTERNAL_MIN), mode, false, std::nullopt);
    if (is_edge_clocked(mode)) {
        auto taken = take_ue(model, ue);
        taken->set_clk_src_i(clk_src);
        taken.put_back();
    }
    add_update_event(std::move(ue));
}

void HcpBase::gather_dep_hcps(HcpSet& set, ModelArena& model) {
    get_hcp_assign().update_pool.gather_dep_hcps(set, model);
}

void HcpBase::remap_dep_hcps(const HcpMap& map, ModelArena& model) {
    get_hcp_assign().update_pool.remap_dep_hcps(map, model);
}

}  // namespace vorlent
