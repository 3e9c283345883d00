#include "backends/verilog/hw_component/hcp_vb.hpp"

namespace vorlent {

namespace {

// Takes the record of the adapter's kind out and builds the adapter around it.
template <class Adapter>
TakenHcpVb hand_out(ModelArena& model, const HcpIdent& ident) {
    return {std::in_place_type<Adapter>, model.take<typename Adapter::Record>(ident)};
}

}  // namespace

TakenHcpVb take_hcp_vb(ModelArena& model, const HcpIdent& ident) {
    switch (ident.hw_type) {
        case HwComponentType::Reg: return hand_out<RegLikeVb<Reg>>(model, ident);
        case HwComponentType::StateReg: return hand_out<RegLikeVb<StateReg>>(model, ident);
        case HwComponentType::CondWaitStateReg:
            return hand_out<RegLikeVb<CondWaitStateReg>>(model, ident);
        case HwComponentType::CycleWaitStateReg:
            return hand_out<RegLikeVb<CycleWaitStateReg>>(model, ident);
        case HwComponentType::CntReg: return hand_out<RegLikeVb<CntReg>>(model, ident);
        case HwComponentType::SyncReg: return hand_out<RegLikeVb<SyncReg>>(model, ident);
        case HwComponentType::Wire: return hand_out<RegLikeVb<Wire>>(model, ident);
        case HwComponentType::Val: return hand_out<ValVb>(model, ident);
        case HwComponentType::MemBlockIndexer: return hand_out<MemEleVb>(model, ident);
        case HwComponentType::Expression: return hand_out<ExpressionVb>(model, ident);
        case HwComponentType::IoWire: return hand_out<IoWireVb>(model, ident);
        case HwComponentType::MemBlock: return hand_out<MemBlkVb>(model, ident);
        case HwComponentType::Nest: break;
    }
    fatal("take_hcp_vb: Nest not yet ported to Verilog backend");
}

}  // namespace vorlent
