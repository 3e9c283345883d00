// The parallel block.
#pragma once

#include <optional>
#include <vector>

#include "model/flow_block/common/flow_block.hpp"

namespace vorlent {

// Schematic state of a parallel block.
struct ParSchematic {
    std::vector<NodeWrap> branch_wraps;  // one per SubFlow child
    OptIdent<NcpIdent> state_node;       // the block's own assignments' state
    OptIdent<NcpIdent> sync_node;        // join node of the auto-sync variant
    OptIdent<NcpIdent> exit_node;        // joined exit of the no-sync variant
    int32_t cycle = IN_CONSIST_CYCLE_USED;
    bool no_sync = false;
};

// The parallel block: its branches start together; the auto-sync variant
// ends when all have ended, the no-sync variant when any has.
class FlowBlockPar final : public FlowBlockRecord {
public:
    ParSchematic schematic;

    static FlowBlockPar new_auto_sync(std::string_view name);
    static FlowBlockPar new_no_sync(std::string_view name);
    static FlowBlockPar arena_default() { return block_of<FlowBlockPar>(FlowBlockType::Parallel); }

    void add_element_in_flow_block(const NcpIdent& node) override { base.push_basic_node(node); }
    void add_sub_flow_block(const FlowBlockIdent& block) override { base.push_sub_block(block); }
    CheckResult check_prefinalize() const override;
    void build_hw_component(ModelArena& model) override;

private:
    using FlowBlockRecord::FlowBlockRecord;
    std::string_view not_built_text() const override { return "flow block has not been built"; }
    static FlowBlockPar make(std::string_view name, bool no_sync);
};

}  // namespace vorlent
