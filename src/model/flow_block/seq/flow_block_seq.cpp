#include "model/flow_block/seq/flow_block_seq.hpp"

#include "common/fatal.hpp"

namespace vorlent {

FlowBlockSeq FlowBlockSeq::make(std::string_view name) {
    return FlowBlockSeq(flow_block_base(FlowBlockType::Sequential, name));
}

void FlowBlockSeq::add_element_in_flow_block(const NcpIdent& node) {
    base.push_basic_node(node);
    schematic.elements.push_back(SeqBasicEle{node, std::nullopt, std::nullopt});
}

void FlowBlockSeq::add_sub_flow_block(const FlowBlockIdent& block) {
    switch (block.join_policy) {
        case FlowBlockJoinPolicy::SubFlow:
            schematic.elements.push_back(SeqBlockEle{block, std::nullopt});
            break;
        case FlowBlockJoinPolicy::BasicNodeFlow:
            schematic.elements.push_back(SeqBasicEle{std::nullopt, std::nullopt, block});
            break;
        case FlowBlockJoinPolicy::ConFlow:
            fatal(
                "FlowBlockSeq::add_sub_flow_block: ConFlow children are not allowed as "
                "sub-blocks of a seq");
    }
    base.push_sub_block(block);
}

CheckResult FlowBlockSeq::check_prefinalize() const {
    // The build frees the step lists the check reads, and refuses a seq that
    // has no element or holds continuations: a built seq was complete.
    if (built) return std::nullopt;
    return check_content("seq flow block has no element",
                         "seq flow block does not support con blocks");
}

}  // namespace vorlent
