#include "model/flow_block/common/block_build.hpp"

#include <algorithm>

#include "common/fatal.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/hw_component/common/asm_meta_helper/assign_meta_pools.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

void build_common_hw(FlowBlockBase&, ModelArena&) {
    fatal("build_common_hw: control nodes are not built yet");
}

std::vector<AssignMeta> gen_unified_asm_meta_flat(const FlowBlockBase& base, ModelArena& model) {
    struct Item {
        uint32_t position;
        const NcpIdent* node;
        const FlowBlockIdent* block;
    };
    std::vector<Item> items;
    const size_t nodes = std::min(base.basic_nodes.size(), base.basic_node_positions.size());
    for (size_t i = 0; i < nodes; ++i) items.push_back({base.basic_node_positions[i], &base.basic_nodes[i], nullptr});
    const size_t blocks = std::min(base.sub_blocks.size(), base.sub_block_positions.size());
    for (size_t i = 0; i < blocks; ++i)
        if (base.sub_blocks[i].join_policy == FlowBlockJoinPolicy::BasicNodeFlow)
            items.push_back({base.sub_block_positions[i], nullptr, &base.sub_blocks[i]});
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.position < b.position; });

    AssignMetaGrpPool pool;
    auto add_node = [&](const NcpIdent& node) {
        auto asm_node = model.take<AsmNode>(node);
        pool.insert_asms(model, asm_node->asm_metas);
        asm_node.put_back();
    };
    for (const Item& item : items) {
        if (item.node)
            add_node(*item.node);
        else
            add_node(summarize_node(model, *item.block));
    }
    return pool.gen_assign_metas(model);
}

std::pair<std::vector<FlowBlockIdent>, std::vector<FlowBlockIdent>> scan_sub_blocks_by_policy(
    const std::vector<FlowBlockIdent>& sub_blocks) {
    std::pair<std::vector<FlowBlockIdent>, std::vector<FlowBlockIdent>> out;
    for (const FlowBlockIdent& b : sub_blocks) {
        switch (b.join_policy) {
            case FlowBlockJoinPolicy::SubFlow: out.second.push_back(b); break;
            case FlowBlockJoinPolicy::BasicNodeFlow: out.first.push_back(b); break;
            case FlowBlockJoinPolicy::ConFlow:
                fatal("scan_sub_blocks_by_policy: ConFlow not allowed in sub_blocks_i");
        }
    }
    return out;
}

}  // namespace vorlent
