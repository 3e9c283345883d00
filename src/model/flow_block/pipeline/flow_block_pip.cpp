#include "model/flow_block/pipeline/flow_block_pip.hpp"

#include "common/fatal.hpp"

namespace vorlent {

FlowBlockPip FlowBlockPip::make(std::string_view name, const CcpIdent& arb_i, bool auto_restart) {
    assert_eq(arb_i.ccp_type, CcpType::Arb, "PipSchematic::new: ccp must be an Arb");
    FlowBlockPip b(arb_i, FlowBlockBase::make(FlowBlockType::Pipeline, FlowBlockJoinPolicy::SubFlow, name, false));
    b.auto_restart = auto_restart;
    return b;
}

FlowBlockPip FlowBlockPip::arena_default() {
    // The placeholder arbiter identity draws its id before the block's own.
    CcpIdent placeholder = CcpIdent::make(CcpType::Arb, false, "");
    return FlowBlockPip(std::move(placeholder), default_flow_block_base(FlowBlockType::Pipeline));
}

void FlowBlockPip::add_element_in_flow_block(const NcpIdent&) {
    fatal("pipeline block does not accept direct asm nodes; use a sub-block");
}

void FlowBlockPip::add_sub_flow_block(const FlowBlockIdent& block) {
    base.push_body(block, "pipeline block already has a body sub-block");
}

NodeWrap FlowBlockPip::summarize_as_block() const {
    return built_summary(built, "pipeline block has not been built");
}

CheckResult FlowBlockPip::check_prefinalize() const {
    if (base.sub_blocks.size() != 1)
        return ErrorText::value("pipeline block must have exactly one body sub-block");
    if (!base.con_blocks.empty()) return ErrorText::value("pipeline block does not support con blocks");
    return std::nullopt;
}

}  // namespace vorlent
