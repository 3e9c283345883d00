#include "model/flow_block/common/flow_block_base.hpp"

#include "common/fatal.hpp"

namespace vorlent {

FlowBlockBase FlowBlockBase::make(FlowBlockType block_type, FlowBlockJoinPolicy join_policy,
                                  std::string_view rel_name, bool chain_master) {
    FlowBlockBase b;
    b.ident = FlowBlockIdent::make(block_type, join_policy, rel_name, chain_master);
    return b;
}

void FlowBlockBase::push_basic_node(const NcpIdent& node) {
    assert_eq(node.node_type, NodeType::Asm, "flow-block basic nodes must be AsmNode");
    basic_nodes.push_back(node);
    basic_node_positions.push_back(elem_counter++);
}

void FlowBlockBase::push_sub_block(const FlowBlockIdent& block) {
    sub_blocks.push_back(block);
    sub_block_positions.push_back(elem_counter++);
}

void FlowBlockBase::push_con_block(const FlowBlockIdent& block) {
    con_blocks.push_back(block);
    con_block_positions.push_back(elem_counter++);
}

void FlowBlockBase::push_body(const FlowBlockIdent& block, std::string_view second_body_message) {
    if (!sub_blocks.empty()) fatal(std::string(second_body_message));
    push_sub_block(block);
}

}  // namespace vorlent
