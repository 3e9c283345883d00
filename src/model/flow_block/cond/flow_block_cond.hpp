// The conditional blocks: the head of a chain (cif, sif) and its elif
// continuations.
#pragma once

#include "model/flow_block/common/single_body_block.hpp"

namespace vorlent {

struct CondSchematic {
    HcpIdent cond;          // the 1-bit condition, its slice already resolved
    bool is_state = false;  // sif: the condition is tested in a state node
};

// The head of a conditional chain (cif, sif): one body, then elif and else
// continuations; exactly one branch runs.
class FlowBlockCond final : public SingleBodyBlock {
public:
    CondSchematic schematic;

    static FlowBlockCond make(std::string_view name, HcpIdent cond, bool is_state);
    static FlowBlockCond arena_default() { return block_of<FlowBlockCond>(FlowBlockType::CondIf); }

    void add_con_flow_block(const FlowBlockIdent& block) override { base.push_con_block(block); }
    void build_hw_component(ModelArena& model) override;

private:
    using SingleBodyBlock::SingleBodyBlock;
};

// An elif (with a condition) or else (without) continuation of a chain.
using FlowBlockCondElif = BranchBlock<FlowBlockType::CondElif>;

}  // namespace vorlent
