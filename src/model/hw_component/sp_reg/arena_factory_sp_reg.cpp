#include "model/hw_component/sp_reg/arena_factory_sp_reg.hpp"

#include "model/arena_insert.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"

namespace vorlent {

HcpIdent make_state_reg(ModelArena& model, std::string_view name) {
    return insert_and_stamp_hcp(model, StateReg::make(model, false, name), false);
}

HcpIdent make_cond_wait_state_reg(ModelArena& model, std::string_view name, const HcpIdent& cond,
                                  uint32_t cond_start, uint32_t cond_stop) {
    CondWaitStateReg r(
        HcpIdent::make(HwComponentType::CondWaitStateReg, Sensitivity::Clocked, false, name), cond,
        cond_start, cond_stop);
    return insert_and_stamp_hcp(model, std::move(r), false);
}

HcpIdent make_cycle_wait_state_reg(ModelArena& model, std::string_view name, int32_t wait_cycle) {
    HcpIdent end_cnt = make_val(model, false, format("{}_END_CNT", name), 1, uint64_t(wait_cycle));
    if (wait_cycle < 1) fatal("wait_cycle must be positive");
    CycleWaitStateReg r(
        HcpIdent::make(HwComponentType::CycleWaitStateReg, Sensitivity::Clocked, false, name),
        wait_cycle, CycleWaitStateReg::log_width(wait_cycle));
    r.end_cnt = std::move(end_cnt);
    return insert_and_stamp_hcp(model, std::move(r), false);
}

HcpIdent make_cnt_reg(ModelArena& model, std::string_view name, int32_t inc_val,
                      int32_t max_cycle) {
    return insert_and_stamp_hcp(model, CntReg::make(false, name, inc_val, max_cycle), false);
}

HcpIdent make_sync_reg(ModelArena& model, std::string_view name, int32_t size) {
    if (size < 1) fatal("SyncReg size must be positive");
    SyncReg r(HcpIdent::make(HwComponentType::SyncReg, Sensitivity::Clocked, false, name), size);
    return insert_and_stamp_hcp(model, std::move(r), false);
}

}  // namespace vorlent
