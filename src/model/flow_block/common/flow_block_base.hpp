// The record every flow-block kind holds: its contents in the caller's
// order, the control sources that drive it, its trigger set and identity.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/flow_block/common/flow_block_ident.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/nodes/ncp_ident.hpp"
#include "model/nodes/node_triggers.hpp"

namespace vorlent {

struct FlowBlockBase {
    std::vector<FlowBlockIdent> sub_blocks;
    std::vector<uint32_t> sub_block_positions;
    std::vector<FlowBlockIdent> con_blocks;
    std::vector<uint32_t> con_block_positions;
    std::vector<NcpIdent> basic_nodes;  // assignment nodes only
    std::vector<uint32_t> basic_node_positions;
    std::vector<NcpIdent> gen_nodes;  // control nodes the schematic made
    std::vector<HcpIdent> hold_srcs;
    std::vector<HcpIdent> rst_srcs;
    std::vector<HcpIdent> start_srcs;
    std::vector<HcpIdent> mrst_srcs;
    std::vector<HcpIdent> clk_srcs;
    NodeTriggers triggers;
    FlowBlockIdent ident;
    // Shared by the three position lists, so together they keep the order in
    // which the caller described the block's contents.
    uint32_t elem_counter = 0;
    // Set when the block is first opened. Opened again, it would become its
    // own element (a build that never ends) or join a second parent.
    bool opened = false;

    // An empty base around a new identity (one global id).
    static FlowBlockBase make(FlowBlockType block_type, FlowBlockJoinPolicy join_policy,
                              std::string_view rel_name, bool chain_master);

    // Appends an assignment node; any other node kind is the equality
    // assertion "flow-block basic nodes must be AsmNode".
    void push_basic_node(const NcpIdent& node);
    void push_sub_block(const FlowBlockIdent& block);
    void push_con_block(const FlowBlockIdent& block);
    // Takes the single body of a kind that has one; a second body stops with
    // `second_body_message`.
    void push_body(const FlowBlockIdent& block, std::string_view second_body_message);
};

}  // namespace vorlent
