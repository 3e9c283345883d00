// The pick block and its branches (pif, pidef).
#pragma once

#include "model/flow_block/common/single_body_block.hpp"

namespace vorlent {

// A pick block: every pif branch whose condition holds starts; the pidef
// branch starts when none holds. Its exit is the first branch exit.
class FlowBlockPick final : public FlowBlockRecord {
public:
    static FlowBlockPick make(std::string_view name);
    static FlowBlockPick arena_default() { return block_of<FlowBlockPick>(FlowBlockType::Pick); }

    void add_element_in_flow_block(const NcpIdent& node) override;
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    void add_con_flow_block(const FlowBlockIdent& block) override;
    CheckResult check_prefinalize() const override;
    void build_hw_component(ModelArena& model) override;

private:
    using FlowBlockRecord::FlowBlockRecord;
    std::string_view not_built_text() const override { return "pick block has not been built"; }
};

// A pick branch: pif (with its own condition) or pidef (the default, without).
using FlowBlockPickIf = BranchBlock<FlowBlockType::PickIf>;

}  // namespace vorlent
