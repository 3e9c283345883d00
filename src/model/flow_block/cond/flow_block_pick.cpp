#include "model/flow_block/cond/flow_block_pick.hpp"

#include "common/fatal.hpp"

namespace vorlent {

FlowBlockPick FlowBlockPick::make(std::string_view name) {
    return FlowBlockPick(flow_block_base(FlowBlockType::Pick, name));
}

void FlowBlockPick::add_element_in_flow_block(const NcpIdent&) {
    fatal("pick block does not accept direct asm nodes; use a pif/pidef branch");
}

void FlowBlockPick::add_sub_flow_block(const FlowBlockIdent& block) {
    assert_eq(block.block_type, FlowBlockType::PickIf,
              "pick sub blocks must be pif/pidef (PickIf)");
    base.push_sub_block(block);
}

void FlowBlockPick::add_con_flow_block(const FlowBlockIdent&) {
    fatal("pick block does not accept continuation blocks");
}

CheckResult FlowBlockPick::check_prefinalize() const {
    // Continuations are refused when they are added.
    return check_content("pick block must have at least one pif branch", "");
}

}  // namespace vorlent
