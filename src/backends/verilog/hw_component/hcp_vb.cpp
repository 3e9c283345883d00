#include "backends/verilog/hw_component/hcp_vb.hpp"

#include "model/model_arena.hpp"

namespace vorlent {

namespace {

// Takes the record of the adapter's kind out and builds the adapter around it.
template <class Adapter>
TakenHcpVb hand_out(ModelArena& model, const HcpIdent& ident) {
    return {std::in_place_type<Adapter>, model.take<typename Adapter::Record>(ident)};
}

}  // namespace

TakenHcpVb take_hcp_vb(ModelArena& model, const HcpIdent& ident) {
    return visit_kind(
        ident.hw_type,
        [&]<class T>(std::type_identity<T>) { return hand_out<VbEmitterOf<T>>(model, ident); },
        []() -> TakenHcpVb { fatal("take_hcp_vb: Nest not yet ported to Verilog backend"); });
}

}  // namespace vorlent
