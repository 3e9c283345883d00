#include "model/flow_block/cond/flow_block_cond.hpp"

namespace vorlent {

FlowBlockCond FlowBlockCond::make(std::string_view name, HcpIdent cond, bool is_state) {
    FlowBlockCond b(flow_block_base(FlowBlockType::CondIf, name));
    b.schematic.cond = std::move(cond);
    b.schematic.is_state = is_state;
    return b;
}

FlowBlockCond FlowBlockCond::arena_default() {
    return FlowBlockCond(flow_block_base(FlowBlockType::CondIf));
}

FlowBlockCondElif FlowBlockCondElif::make(std::string_view name, std::optional<HcpIdent> cond) {
    FlowBlockCondElif b(flow_block_base(FlowBlockType::CondElif, name));
    b.cond = std::move(cond);
    return b;
}

FlowBlockCondElif FlowBlockCondElif::arena_default() {
    return FlowBlockCondElif(flow_block_base(FlowBlockType::CondElif));
}

}  // namespace vorlent
