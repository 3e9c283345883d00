#include "model/flow_block/cond/flow_block_cond.hpp"

namespace vorlent {

FlowBlockCond FlowBlockCond::make(std::string_view name, HcpIdent cond, bool is_state) {
    FlowBlockCond b(flow_block_base(FlowBlockType::CondIf, name));
    b.schematic.cond = std::move(cond);
    b.schematic.is_state = is_state;
    return b;
}

}  // namespace vorlent
