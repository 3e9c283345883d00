#include "model/flow_block/common/arena_factory_flow_block.hpp"

#include "model/flow_block/common/arena_impl_flow_block.hpp"

namespace vorlent {

FlowBlockIdent make_flow_block_seq(ModelArena& model, std::string_view name) {
    return insert_flow_block(model, FlowBlockSeq::make(name));
}

FlowBlockIdent make_flow_block_par_auto(ModelArena& model, std::string_view name) {
    return insert_flow_block(model, FlowBlockPar::new_auto_sync(name));
}

FlowBlockIdent make_flow_block_par_no_sync(ModelArena& model, std::string_view name) {
    return insert_flow_block(model, FlowBlockPar::new_no_sync(name));
}

FlowBlockIdent make_flow_block_zelse(ModelArena& model, std::string_view name) {
    return insert_flow_block(model, FlowBlockZeroCondElif::make(name, std::nullopt));
}

FlowBlockIdent make_flow_block_cselse(ModelArena& model, std::string_view name) {
    return insert_flow_block(model, FlowBlockCondElif::make(name, std::nullopt));
}

FlowBlockIdent make_flow_block_pick(ModelArena& model, std::string_view name) {
    return insert_flow_block(model, FlowBlockPick::make(name));
}

FlowBlockIdent make_flow_block_pidef(ModelArena& model, std::string_view name) {
    return insert_flow_block(model, FlowBlockPickIf::make(name, std::nullopt));
}

FlowBlockIdent make_flow_block_zcase(ModelArena& model, std::string_view name, int32_t match_val) {
    return insert_flow_block(model, FlowBlockZeroSwitchCase::make(name, match_val));
}

FlowBlockIdent make_flow_block_zstate(ModelArena& model, std::string_view name, const HcpIdent& state_i) {
    return insert_flow_block(model, FlowBlockZeroSwitch::make(name, state_i));
}

FlowBlockIdent make_flow_block_sywait(ModelArena& model, std::string_view name, uint32_t cycles) {
    return insert_flow_block(model, FlowBlockWait::make_cycle(name, cycles));
}

FlowBlockIdent make_flow_block_counter_loop(ModelArena& model, std::string_view name,
                                            int32_t last_loop_cnt) {
    return insert_flow_block(model, FlowBlockCounterLoop::make(name, last_loop_cnt));
}

}  // namespace vorlent
