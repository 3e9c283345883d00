// A model with a top module traced at CompInit, and helpers to build the
// elements the hardware-component tests need.
#pragma once

#include "model/arena_insert.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/hw_component/update_event/arena_factory_update_event.hpp"
#include "model/hw_component/update_event/arena_impl_update_event.hpp"
#include "model/module/arena_impl_module.hpp"
#include "test_support.hpp"

namespace vorlent::testing {

// Makes a module under the one being described (if any) and describes it
// while `body` runs.
template <class F>
ModuleIdent described_module(ModelArena& m, std::string_view name, F body) {
    const ModuleIdent module = make_module(m, name);
    track_module_at_com_init(m, module);
    body();
    untrack_module_at_com_init(m, module);
    return module;
}
inline ModuleIdent described_module(ModelArena& m, std::string_view name) {
    return described_module(m, name, [] {});
}

struct TracedModel {
    ModelArena m;
    ModuleIdent top;

    TracedModel() {
        top = make_module(m, "top");
        set_top_module(m, top);
        track_module_at_com_init(m, top);
    }

    const Module& module() const { return m.arena<Module>().get(top.handle()); }

    // A special register made the way its factory will: system-made,
    // inserted, stamped.
    template <class T, class... Args>
    HcpIdent sp_reg(HwComponentType kind, std::string_view name, Args... args) {
        T r(HcpIdent::make(kind, Sensitivity::Clocked, false, name), args...);
        return insert_and_stamp_hcp(m, std::move(r), false);
    }

    template <class T>
    T& event(const UpdateEventIdent& ue) {
        return m.arena<T>().get_mut(ue.handle());
    }

    const UpdatePool& pool(const HcpIdent& h) const {
        return get_hcp_assign(m, h).get_update_pool();
    }

    // What component `h` reads, and renaming what it reads (each takes it out).
    HcpSet deps(const HcpIdent& h) {
        HcpSet set;
        auto taken = take_hcp(m, h);
        taken->gather_dep_hcps(set, m);
        taken.put_back();
        return set;
    }
    void remap(const HcpIdent& h, const HcpMap& map) {
        auto taken = take_hcp(m, h);
        taken->remap_dep_hcps(map, m);
        taken.put_back();
    }
};

}  // namespace vorlent::testing
