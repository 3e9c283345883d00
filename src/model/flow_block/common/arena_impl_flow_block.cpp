#include "model/flow_block/common/arena_impl_flow_block.hpp"

#include "model/common/draw_id_by_take.hpp"

namespace vorlent {

TakenFlowBlock take_flow_block(ModelArena& model, const FlowBlockIdent& ident) {
    switch (ident.block_type) {
        case FlowBlockType::Sequential: return model.take<FlowBlockSeq>(ident);
        case FlowBlockType::Parallel: return model.take<FlowBlockPar>(ident);
        case FlowBlockType::CondIf: return model.take<FlowBlockCond>(ident);
        case FlowBlockType::CondElif: return model.take<FlowBlockCondElif>(ident);
        case FlowBlockType::ZeroCondIf: return model.take<FlowBlockZeroCondIf>(ident);
        case FlowBlockType::ZeroCondElif: return model.take<FlowBlockZeroCondElif>(ident);
        case FlowBlockType::ZeroSwitch: return model.take<FlowBlockZeroSwitch>(ident);
        case FlowBlockType::ZeroSwitchCase: return model.take<FlowBlockZeroSwitchCase>(ident);
        case FlowBlockType::WhileLoop: return model.take<FlowBlockWhile>(ident);
        case FlowBlockType::DoWhile: return model.take<FlowBlockDoWhile>(ident);
        case FlowBlockType::CounterLoop: return model.take<FlowBlockCounterLoop>(ident);
        case FlowBlockType::Wait: return model.take<FlowBlockWait>(ident);
        case FlowBlockType::Pipeline: return model.take<FlowBlockPip>(ident);
        case FlowBlockType::Zync: return model.take<FlowBlockZync>(ident);
        case FlowBlockType::Pick: return model.take<FlowBlockPick>(ident);
        case FlowBlockType::PickIf: return model.take<FlowBlockPickIf>(ident);
    }
    fatal("take_flow_block: unknown block type");
}

NodeWrap summarize_block(ModelArena& model, const FlowBlockIdent& ident) {
    return draw_id_by_take(take_flow_block(model, ident),
                           [](FlowBlock& b) { return b.summarize_as_block(); });
}

NcpIdent summarize_node(ModelArena& model, const FlowBlockIdent& ident) {
    return draw_id_by_take(take_flow_block(model, ident),
                           [](FlowBlock& b) { return b.summarize_as_node(); });
}

}  // namespace vorlent
