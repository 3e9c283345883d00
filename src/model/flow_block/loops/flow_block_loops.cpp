#include "model/flow_block/loops/flow_block_loops.hpp"

#include "common/fatal.hpp"

namespace vorlent {

FlowBlockWhile FlowBlockWhile::make(std::string_view name, HcpIdent cond, bool use_state_node) {
    FlowBlockWhile b(FlowBlockBase::make(FlowBlockType::WhileLoop, FlowBlockJoinPolicy::SubFlow, name, false));
    b.cond_i = std::move(cond);
    b.use_state_node = use_state_node;
    return b;
}

FlowBlockWhile FlowBlockWhile::arena_default() {
    return FlowBlockWhile(default_flow_block_base(FlowBlockType::WhileLoop));
}

void FlowBlockWhile::add_element_in_flow_block(const NcpIdent&) {
    fatal("while block does not accept direct asm nodes; use a sub-block");
}

void FlowBlockWhile::add_sub_flow_block(const FlowBlockIdent& block) {
    base.push_body(block, "while block already has a body sub-block");
}

NodeWrap FlowBlockWhile::summarize_as_block() const {
    return built_summary(built, "while block has not been built");
}

CheckResult FlowBlockWhile::check_prefinalize() const {
    if (base.sub_blocks.empty()) return ErrorText::value("while block must have one body block");
    if (!base.con_blocks.empty()) return ErrorText::value("while block does not support con blocks");
    return std::nullopt;
}

FlowBlockDoWhile FlowBlockDoWhile::make(std::string_view name, HcpIdent cond) {
    FlowBlockDoWhile b(FlowBlockBase::make(FlowBlockType::DoWhile, FlowBlockJoinPolicy::SubFlow, name, false));
    b.cond_i = std::move(cond);
    return b;
}

FlowBlockDoWhile FlowBlockDoWhile::arena_default() {
    return FlowBlockDoWhile(default_flow_block_base(FlowBlockType::DoWhile));
}

void FlowBlockDoWhile::add_element_in_flow_block(const NcpIdent&) {
    fatal("do-while block does not accept direct asm nodes; use a sub-block");
}

void FlowBlockDoWhile::add_sub_flow_block(const FlowBlockIdent& block) {
    base.push_body(block, "do-while block already has a body sub-block");
}

NodeWrap FlowBlockDoWhile::summarize_as_block() const {
    return built_summary(built, "do-while block has not been built");
}

CheckResult FlowBlockDoWhile::check_prefinalize() const {
    if (base.sub_blocks.size() != 1) return ErrorText::value("do-while block must have exactly one body block");
    if (!base.con_blocks.empty()) return ErrorText::value("do-while block does not support con blocks");
    return std::nullopt;
}

FlowBlockCounterLoop FlowBlockCounterLoop::make(std::string_view name, int32_t last_loop_cnt) {
    // Refused before the identity is made, so a bad count draws no id.
    if (last_loop_cnt <= 0) fatal("counter loop count must be positive");
    FlowBlockCounterLoop b(
        FlowBlockBase::make(FlowBlockType::CounterLoop, FlowBlockJoinPolicy::SubFlow, name, false));
    b.last_loop_cnt = last_loop_cnt;
    return b;
}

FlowBlockCounterLoop FlowBlockCounterLoop::arena_default() {
    return FlowBlockCounterLoop(default_flow_block_base(FlowBlockType::CounterLoop));
}

void FlowBlockCounterLoop::add_element_in_flow_block(const NcpIdent&) {
    fatal("counter loop does not accept direct asm nodes; use a sub-block");
}

void FlowBlockCounterLoop::add_sub_flow_block(const FlowBlockIdent& block) {
    base.push_body(block, "counter loop already has a body sub-block");
}

HcpIdent FlowBlockCounterLoop::get_loop_id_expr_i() const {
    if (!loop_id_expr_i) fatal("counter loop has not been built yet");
    return *loop_id_expr_i;
}

NodeWrap FlowBlockCounterLoop::summarize_as_block() const {
    return built_summary(built, "counter loop has not been built");
}

CheckResult FlowBlockCounterLoop::check_prefinalize() const {
    if (base.sub_blocks.size() != 1) return ErrorText::value("counter loop must have exactly one body block");
    if (!base.con_blocks.empty()) return ErrorText::value("counter loop does not support con blocks");
    return std::nullopt;
}

}  // namespace vorlent
