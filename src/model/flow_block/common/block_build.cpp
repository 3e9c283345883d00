#include "model/flow_block/common/block_build.hpp"

#include "common/fatal.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

void build_common_hw(FlowBlockBase&, ModelArena&) {
    fatal("build_common_hw: control nodes are not built yet");
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
