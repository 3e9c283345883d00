#include "model/flow_block/zync/flow_block_zync.hpp"

#include "common/fatal.hpp"

namespace vorlent {

FlowBlockZync FlowBlockZync::make(std::string_view name, std::vector<ZyncArbBind> binds,
                                  bool match_all) {
    if (binds.empty()) fatal("ZyncSchematic::new: at least one arb bind required");
    FlowBlockZync b(flow_block_base(FlowBlockType::Zync, name));
    b.binds = std::move(binds);
    b.match_all = match_all;
    return b;
}

FlowBlockZync FlowBlockZync::arena_default() {
    // One placeholder bind; its arbiter identity draws its id before the block's own.
    ZyncArbBind placeholder{std::nullopt, CcpIdent::make(CcpType::Arb, false, ""), 0};
    FlowBlockZync b(flow_block_base(FlowBlockType::Zync));
    b.binds.push_back(std::move(placeholder));
    return b;
}

void FlowBlockZync::add_sub_flow_block(const FlowBlockIdent& block) {
    assert_eq(block.join_policy, FlowBlockJoinPolicy::BasicNodeFlow,
              "zync block accepts only basic-flow sub-blocks; use a direct asm node or a "
              "basic-flow block");
    base.push_sub_block(block);
}

CheckResult FlowBlockZync::check_prefinalize() const {
    return check_content("zync block must hold at least one basic node or basic-flow sub-block",
                         "zync block does not support con blocks");
}

}  // namespace vorlent
