#include "model/complex_hardware/common/arena_impl_ccp.hpp"

namespace vorlent {

TakenCcp take_ccp(ModelArena& model, const CcpIdent& ident) {
    switch (ident.ccp_type) {
        case CcpType::Arb: return model.take<Arb>(ident);
        case CcpType::Karray: return model.take<Karray>(ident);
        default: return model.take<DynCounter>(ident);
    }
}

// Arrays and counters build their hardware eagerly in their own operations.
void Karray::build(ModelArena&) {}
void DynCounter::build(ModelArena&) {}
// No factory makes an arbiter yet, so none can reach a build.
void Arb::build(ModelArena&) { fatal("arbiters cannot be built yet"); }

}  // namespace vorlent
