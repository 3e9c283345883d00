#include "model/flow_block/wait/flow_block_wait.hpp"

#include "common/fatal.hpp"

namespace vorlent {

FlowBlockWait FlowBlockWait::make_cond(std::string_view name, HcpIdent cond, Slice cond_slice) {
    FlowBlockWait b(flow_block_base(FlowBlockType::Wait, name));
    b.target = WaitCondTarget{std::move(cond), cond_slice};
    return b;
}

FlowBlockWait FlowBlockWait::make_cycle(std::string_view name, uint32_t cycle) {
    FlowBlockWait b(flow_block_base(FlowBlockType::Wait, name));
    b.target = WaitCycleTarget{cycle};
    return b;
}

void FlowBlockWait::add_element_in_flow_block(const NcpIdent&) {
    fatal("wait block accepts no direct nodes");
}

void FlowBlockWait::add_sub_flow_block(const FlowBlockIdent&) {
    fatal("wait block accepts no sub-blocks");
}

}  // namespace vorlent
