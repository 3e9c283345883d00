#include "backends/verilog/hw_component/hcp_vb.hpp"

namespace vorlent {

TakenHcpVb take_hcp_vb(ModelArena& model, const HcpIdent& ident) {
    switch (ident.hw_type) {
        case HwComponentType::Reg: return {std::in_place_type<RegLikeVb<Reg>>, model.take<Reg>(ident)};
        case HwComponentType::StateReg: return {std::in_place_type<RegLikeVb<StateReg>>, model.take<StateReg>(ident)};
        case HwComponentType::CondWaitStateReg:
            return {std::in_place_type<RegLikeVb<CondWaitStateReg>>, model.take<CondWaitStateReg>(ident)};
        case HwComponentType::CycleWaitStateReg:
            return {std::in_place_type<RegLikeVb<CycleWaitStateReg>>, model.take<CycleWaitStateReg>(ident)};
        case HwComponentType::CntReg: return {std::in_place_type<RegLikeVb<CntReg>>, model.take<CntReg>(ident)};
        case HwComponentType::SyncReg: return {std::in_place_type<RegLikeVb<SyncReg>>, model.take<SyncReg>(ident)};
        case HwComponentType::Wire: return {std::in_place_type<RegLikeVb<Wire>>, model.take<Wire>(ident)};
        case HwComponentType::Val: return {std::in_place_type<ValVb>, model.take<Val>(ident)};
        case HwComponentType::MemBlockIndexer: return {std::in_place_type<MemEleVb>, model.take<MemEle>(ident)};
        case HwComponentType::Expression: return {std::in_place_type<ExpressionVb>, model.take<Expression>(ident)};
        case HwComponentType::IoWire: return {std::in_place_type<IoWireVb>, model.take<IoWire>(ident)};
        case HwComponentType::MemBlock: return {std::in_place_type<MemBlkVb>, model.take<MemBlk>(ident)};
        case HwComponentType::Nest: break;
    }
    fatal("take_hcp_vb: Nest not yet ported to Verilog backend");
}

}  // namespace vorlent
