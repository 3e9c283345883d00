#include "model/flow_block/cond/flow_block_zero_cond.hpp"

#include "common/fatal.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

void ZeroDelayBody::push_zero_delay_child(const FlowBlockIdent& block,
                                          std::string_view not_zero_delay) {
    assert_eq(block.join_policy, FlowBlockJoinPolicy::BasicNodeFlow, not_zero_delay);
    base.push_sub_block(block);
}

FlowBlockZeroCondIf FlowBlockZeroCondIf::make(std::string_view name, HcpIdent cond) {
    FlowBlockZeroCondIf b(flow_block_base(FlowBlockType::ZeroCondIf, name));
    b.cond = std::move(cond);
    return b;
}

void FlowBlockZeroCondIf::add_sub_flow_block(const FlowBlockIdent& block) {
    push_zero_delay_child(block, "zero-cond-if sub blocks must have BasicNodeFlow join policy");
}

void FlowBlockZeroCondIf::add_con_flow_block(const FlowBlockIdent& block) {
    assert_eq(block.block_type, FlowBlockType::ZeroCondElif,
              "zero-cond-if con blocks must be ZeroCondElif");
    base.push_con_block(block);
}

NcpIdent FlowBlockZeroCondIf::summarize_as_node() const {
    if (!result) fatal("it has not generated yet");
    return *result;
}

FlowBlockZeroCondElif FlowBlockZeroCondElif::make(std::string_view name,
                                                  std::optional<HcpIdent> cond) {
    FlowBlockZeroCondElif b(flow_block_base(FlowBlockType::ZeroCondElif, name));
    b.cond = std::move(cond);
    return b;
}

void FlowBlockZeroCondElif::add_sub_flow_block(const FlowBlockIdent& block) {
    push_zero_delay_child(block, "zero-cond-if sub blocks must have BasicNodeFlow join policy");
}

void FlowBlockZeroCondElif::add_con_flow_block(const FlowBlockIdent&) {
    fatal("zlif not supported con flow blocks");
}

FlowBlockZeroSwitch FlowBlockZeroSwitch::make(std::string_view name, HcpIdent selector) {
    FlowBlockZeroSwitch b(flow_block_base(FlowBlockType::ZeroSwitch, name));
    b.selector = std::move(selector);
    return b;
}

void FlowBlockZeroSwitch::add_element_in_flow_block(const NcpIdent&) {
    fatal("FlowBlockZeroSwitch add_element_in_flow_block shouldn't be called!");
}

void FlowBlockZeroSwitch::add_sub_flow_block(const FlowBlockIdent& block) {
    assert_eq(block.block_type, FlowBlockType::ZeroSwitchCase,
              "zero-switch sub blocks must be ZeroSwitchCase");
    base.push_sub_block(block);
}

void FlowBlockZeroSwitch::add_con_flow_block(const FlowBlockIdent&) {
    fatal("FlowBlockZeroSwitch add_con_flow_block shouldn't be called!");
}

NcpIdent FlowBlockZeroSwitch::summarize_as_node() const {
    if (!result) fatal("zero-switch has not been built yet");
    return *result;
}

FlowBlockZeroSwitchCase FlowBlockZeroSwitchCase::make(std::string_view name, int32_t match_val) {
    FlowBlockZeroSwitchCase b(flow_block_base(FlowBlockType::ZeroSwitchCase, name));
    b.match_val = match_val;
    return b;
}

void FlowBlockZeroSwitchCase::add_sub_flow_block(const FlowBlockIdent& block) {
    push_zero_delay_child(block, "zero-switch-case sub blocks must have BasicNodeFlow join policy");
}

void FlowBlockZeroSwitchCase::add_con_flow_block(const FlowBlockIdent&) {
    fatal("zero-switch-case does not accept continuation blocks");
}

std::optional<OpenedZcase> zcase_opened_in_zstate(const ModelArena& model,
                                                  const FlowBlockIdent& block) {
    const auto& stack = model.flow_block_stack;
    if (block.block_type != FlowBlockType::ZeroSwitchCase || stack.size() < 2 ||
        !(stack.back().block == block))
        return std::nullopt;
    const FlowBlockIdent& parent = stack[stack.size() - 2].block;
    if (parent.block_type != FlowBlockType::ZeroSwitch) return std::nullopt;
    return OpenedZcase{model.get<FlowBlockZeroSwitchCase>(block).match_val,
                       model.get<FlowBlockZeroSwitch>(parent).selector};
}

}  // namespace vorlent
