#include "model/complex_hardware/common/arena_impl_ccp.hpp"

#include "model/common/draw_id_by_take.hpp"
#include "model/model_arena.hpp"
#include "model/module/arena_impl_module.hpp"

namespace vorlent {

TakenCcp take_ccp(ModelArena& model, const CcpIdent& ident) {
    // A type outside the list reads as a counter.
    return visit_kind(
        ident.ccp_type,
        [&]<class T>(std::type_identity<T>) -> TakenCcp { return model.take<T>(ident); },
        [&]() -> TakenCcp { return model.take<DynCounter>(ident); });
}

Taken<Karray> take_karray(ModelArena& model, const CcpIdent& ident) {
    return model.take<Karray>(ident);
}

CcpIdent stamp_ccp_to_parent_module(ModelArena& model, CcpIdent& ident) {
    const ModuleTraceEntry& top = module_trace_top(model);
    if (top.stage == ModuleInitStage::FlowBlockBuild)
        fatal(format("stamp_ccp_to_parent_module: CCPs cannot be created during {}",
                     debug_repr(top.stage)));
    const ModuleIdent owner = top.module;
    ident.module_ident = owner;
    draw_id_by_take(take_ccp(model, ident), [&](CcpBase& c) { c.set_ccp_ident(ident); });
    auto module = model.take<Module>(owner);
    module->ccps.push_back(ident);
    module.put_back();
    return ident;
}

// Arrays and counters build their hardware eagerly in their own operations.
void Karray::build(ModelArena&) {}
void DynCounter::build(ModelArena&) {}

}  // namespace vorlent
