#include "model/module/arena_impl_module.hpp"

#include "model/model_arena.hpp"

namespace vorlent {

ModuleIdent make_module(ModelArena& model, std::string_view name) {
    Module m;
    m.ident = ModuleIdent::make(true, name);
    const ArenaHandle h = model.arena<Module>().insert(std::move(m));
    ModuleIdent ident = model.arena<Module>().get(h).ident;
    if (!model.module_trace_stack.empty()) {
        ident.master_module_handle = model.module_trace_stack.back().module.handle();
        ident.depth_level = uint32_t(model.module_trace_stack.size());
    }
    auto stored = model.take<Module>(ident);
    stored->ident = ident;
    stored.put_back();
    return ident;
}

void push_module_trace(ModelArena& model, const ModuleIdent& module, ModuleInitStage stage) {
    model.module_trace_stack.push_back(ModuleTraceEntry{module, stage});
}

ModuleTraceEntry pop_module_trace(ModelArena& model) {
    if (model.module_trace_stack.empty()) fatal("module trace stack is empty");
    ModuleTraceEntry e = std::move(model.module_trace_stack.back());
    model.module_trace_stack.pop_back();
    return e;
}

const ModuleTraceEntry& module_trace_top(const ModelArena& model) {
    if (model.module_trace_stack.empty()) fatal("module trace stack is empty");
    return model.module_trace_stack.back();
}

void track_module_at_com_init(ModelArena& model, const ModuleIdent& module) {
    (void)model.get<Module>(module);  // a module of another model is refused here
    push_module_trace(model, module, ModuleInitStage::CompInit);
}

void track_module_at_flow_init(ModelArena& model, const ModuleIdent& module) {
    (void)model.get<Module>(module);
    push_module_trace(model, module, ModuleInitStage::FlowBlockInit);
}

namespace {
void pop_checked(ModelArena& model, const ModuleIdent& module) {
    const ModuleTraceEntry popped = pop_module_trace(model);
    assert_eq(popped.module, module,
              "finalize_module: ident mismatch \u2014 wrong module finalized");
}
}  // namespace

void untrack_module_at_com_init(ModelArena& model, const ModuleIdent& module) {
    pop_checked(model, module);
    const bool alone = model.module_trace_stack.empty();
    model.checked_mut<Module>(module).com_phase_ended_alone = alone;
    if (alone) return;
    auto parent = model.take<Module>(model.module_trace_stack.back().module);
    parent->sub_modules.push_back(module);
    parent.put_back();
}

void untrack_module_at_flow_init(ModelArena& model, const ModuleIdent& module) {
    pop_checked(model, module);
}

void set_top_module(ModelArena& model, const ModuleIdent& module) {
    if (model.top_module) fatal("top_module is already set");
    auto m = model.take<Module>(module);
    m->is_top = true;
    m.put_back();
    model.top_module = module;
}

}  // namespace vorlent
