#include "model/flow_block/pipeline/flow_block_pip.hpp"

#include "common/fatal.hpp"

namespace vorlent {

FlowBlockPip FlowBlockPip::make(std::string_view name, const CcpIdent& arb_i, bool auto_restart) {
    assert_eq(arb_i.ccp_type, CcpType::Arb, "PipSchematic::new: ccp must be an Arb");
    FlowBlockPip b(arb_i, flow_block_base(FlowBlockType::Pipeline, name));
    b.auto_restart = auto_restart;
    return b;
}

FlowBlockPip FlowBlockPip::arena_default() {
    // The placeholder arbiter identity draws its id before the block's own.
    CcpIdent placeholder = CcpIdent::make(CcpType::Arb, false, "");
    return FlowBlockPip(std::move(placeholder), flow_block_base(FlowBlockType::Pipeline));
}

}  // namespace vorlent
