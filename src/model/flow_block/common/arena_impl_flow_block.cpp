#include "model/flow_block/common/arena_impl_flow_block.hpp"

#include "model/common/draw_id_by_take.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

TakenFlowBlock take_flow_block(ModelArena& model, const FlowBlockIdent& ident) {
    return visit_kind(
        ident.block_type,
        [&]<class T>(std::type_identity<T>) -> TakenFlowBlock { return model.take<T>(ident); },
        []() -> TakenFlowBlock { fatal("take_flow_block: unknown block type"); });
}

const FlowBlock& get_flow_block(const ModelArena& model, const FlowBlockIdent& ident) {
    return visit_kind(
        ident.block_type,
        [&]<class T>(std::type_identity<T>) -> const FlowBlock& { return model.get<T>(ident); },
        []() -> const FlowBlock& { fatal("get_flow_block: unknown block type"); });
}

FlowBlock& checked_mut_flow_block(ModelArena& model, const FlowBlockIdent& ident) {
    return visit_kind(
        ident.block_type,
        [&]<class T>(std::type_identity<T>) -> FlowBlock& { return model.checked_mut<T>(ident); },
        []() -> FlowBlock& { fatal("checked_mut_flow_block: unknown block type"); });
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
