#include "backends/verilog/hw_component/hcp_vb.hpp"

#include "model/model_arena.hpp"

namespace vorlent {

TakenHcpVb take_hcp_vb(ModelArena& model, const HcpIdent& ident) {
    return visit_kind(
        ident.hw_type,
        [&]<class T>(std::type_identity<T>) { return TakenHcpVb::take<T>(model, ident); },
        []() -> TakenHcpVb { fatal("take_hcp_vb: Nest not yet ported to Verilog backend"); });
}

}  // namespace vorlent
