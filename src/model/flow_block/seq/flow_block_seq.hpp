// The sequential block: its contents run one after the other; each direct
// assignment takes one state, each nested block runs as a whole.
#pragma once

#include <optional>
#include <variant>
#include <vector>

#include "model/flow_block/common/flow_block.hpp"

namespace vorlent {

// A step that takes one state: a direct assignment node, or a zero-delay
// child that stands for one until the build resolves it.
struct SeqBasicEle {
    OptIdent<NcpIdent> asm_node_i;
    OptIdent<NcpIdent> state_node_i;
    OptIdent<FlowBlockIdent> block;
};

// A nested SubFlow block and, once built, its summary.
struct SeqBlockEle {
    FlowBlockIdent block;
    std::optional<NodeWrap> summary;
};

using SequenceEle = std::variant<SeqBasicEle, SeqBlockEle>;

struct SeqSchematic {
    std::vector<SequenceEle> elements;
};

class FlowBlockSeq final : public FlowBlockRecord {
public:
    SeqSchematic schematic;

    static FlowBlockSeq make(std::string_view name);
    static FlowBlockSeq arena_default() {
        return block_of<FlowBlockSeq>(FlowBlockType::Sequential);
    }

    void add_element_in_flow_block(const NcpIdent& node) override;
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    CheckResult check_prefinalize() const override;
    void build_hw_component(ModelArena& model) override;

private:
    using FlowBlockRecord::FlowBlockRecord;
    std::string_view not_built_text() const override { return "flow block has not been built"; }
};

}  // namespace vorlent
