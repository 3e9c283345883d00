#include "model/flow_block/common/flow_block.hpp"

#include "common/fatal.hpp"

namespace vorlent {

void FlowBlock::add_con_flow_block(const FlowBlockIdent&) {
    fatal("add_con_flow_block: not supported by this block type");
}

HcpIdent FlowBlock::get_loop_id_expr_i() const {
    fatal("get_loop_id_expr_i: not supported by this block type");
}

NodeWrap FlowBlock::summarize_as_block() const {
    fatal("summarize_as_block: not supported by this block type");
}

NcpIdent FlowBlock::summarize_as_node() const {
    fatal("summarize_as_node: not supported by this block type");
}

CheckResult FlowBlock::check_prefinalize() const { return std::nullopt; }

void FlowBlock::prepare_build(ModelArena&) {}

NodeWrap FlowBlockRecord::summarize_as_block() const {
    const std::string_view not_built = not_built_text();
    if (not_built.empty()) return FlowBlock::summarize_as_block();
    if (!built) fatal(std::string(not_built));
    return *built;
}

CheckResult FlowBlockRecord::check_content(std::string_view empty,
                                           std::string_view con_held) const {
    if (base.sub_blocks.empty() && base.basic_nodes.empty())
        return ErrorText::value(std::string(empty));
    if (!con_held.empty() && !base.con_blocks.empty())
        return ErrorText::value(std::string(con_held));
    return std::nullopt;
}

FlowBlockBase flow_block_base(FlowBlockType t, std::string_view name) {
    FlowBlockJoinPolicy policy = FlowBlockJoinPolicy::SubFlow;
    switch (t) {
        case FlowBlockType::CondElif:
        case FlowBlockType::ZeroCondElif:
            policy = FlowBlockJoinPolicy::ConFlow;
            break;
        case FlowBlockType::ZeroCondIf:
        case FlowBlockType::ZeroSwitch:
            policy = FlowBlockJoinPolicy::BasicNodeFlow;
            break;
        default:
            break;
    }
    const bool chain_master = t == FlowBlockType::CondIf || t == FlowBlockType::ZeroCondIf;
    return FlowBlockBase::make(t, policy, name, chain_master);
}

}  // namespace vorlent
