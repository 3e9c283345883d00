#include "model/flow_block/loops/flow_block_loops.hpp"

#include "common/fatal.hpp"

namespace vorlent {

FlowBlockWhile FlowBlockWhile::make(std::string_view name, HcpIdent cond, bool use_state_node) {
    FlowBlockWhile b(flow_block_base(FlowBlockType::WhileLoop, name));
    b.cond_i = std::move(cond);
    b.use_state_node = use_state_node;
    return b;
}

FlowBlockDoWhile FlowBlockDoWhile::make(std::string_view name, HcpIdent cond) {
    FlowBlockDoWhile b(flow_block_base(FlowBlockType::DoWhile, name));
    b.cond_i = std::move(cond);
    return b;
}

FlowBlockCounterLoop FlowBlockCounterLoop::make(std::string_view name, int32_t last_loop_cnt) {
    // Refused before the identity is made, so a bad count draws no id.
    if (last_loop_cnt <= 0) fatal("counter loop count must be positive");
    FlowBlockCounterLoop b(flow_block_base(FlowBlockType::CounterLoop, name));
    b.last_loop_cnt = last_loop_cnt;
    return b;
}

HcpIdent FlowBlockCounterLoop::get_loop_id_expr_i() const {
    if (!loop_id_expr_i) fatal("counter loop has not been built yet");
    return *loop_id_expr_i;
}

}  // namespace vorlent
