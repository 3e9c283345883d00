#include "model/flow_block/cond/flow_block_cond.hpp"

#include "common/fatal.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"

namespace vorlent {

FlowBlockCond FlowBlockCond::make(std::string_view name, HcpIdent cond, bool is_state) {
    FlowBlockCond b(FlowBlockBase::make(FlowBlockType::CondIf, FlowBlockJoinPolicy::SubFlow, name, true));
    b.schematic.cond = std::move(cond);
    b.schematic.is_state = is_state;
    return b;
}

FlowBlockCond FlowBlockCond::arena_default() {
    return FlowBlockCond(default_flow_block_base(FlowBlockType::CondIf));
}

void FlowBlockCond::add_element_in_flow_block(const NcpIdent&) {
    fatal("cond block does not accept direct asm nodes; use a sub-block");
}

void FlowBlockCond::add_sub_flow_block(const FlowBlockIdent& block) {
    base.push_body(block, "cond block already has a body sub-block");
}

NodeWrap FlowBlockCond::summarize_as_block() const {
    return built_summary(built, "cond block has not been built");
}

CheckResult FlowBlockCond::check_prefinalize() const {
    if (base.sub_blocks.empty()) return ErrorText::value("cond block must have at least one body block");
    return std::nullopt;
}

FlowBlockCondElif FlowBlockCondElif::make(std::string_view name, std::optional<HcpIdent> cond) {
    FlowBlockCondElif b(FlowBlockBase::make(FlowBlockType::CondElif, FlowBlockJoinPolicy::ConFlow, name, false));
    b.cond = std::move(cond);
    return b;
}

FlowBlockCondElif FlowBlockCondElif::arena_default() {
    return FlowBlockCondElif(default_flow_block_base(FlowBlockType::CondElif));
}

void FlowBlockCondElif::add_element_in_flow_block(const NcpIdent&) {
    fatal("cond elif/else block does not accept direct asm nodes; use a sub-block");
}

void FlowBlockCondElif::add_sub_flow_block(const FlowBlockIdent& block) {
    base.push_body(block, "cond elif/else already has a body sub-block");
}

NodeWrap FlowBlockCondElif::summarize_as_block() const {
    return built_summary(built, "cond elif/else block has not been built");
}

CheckResult FlowBlockCondElif::check_prefinalize() const {
    if (base.sub_blocks.empty()) return ErrorText::value("cond elif/else block has no body sub-block");
    return std::nullopt;
}

void FlowBlockCondElif::build_hw_component(ModelArena& model) {
    if (base.sub_blocks.empty()) fatal("cond elif/else block has no body sub-block");
    built = summarize_block(model, base.sub_blocks.front());
}

}  // namespace vorlent
