// A traced model with arrays, a read environment that lends the model one
// step at a time, and the names of what reads and writes made.
#pragma once

#include <string>
#include <vector>

#include "hw_component/event_view.hpp"
#include "model/complex_hardware/common/arena_impl_ccp.hpp"
#include "model/complex_hardware/karray/arena_factory_ccp_karray.hpp"
#include "model/complex_hardware/karray/arena_impl_ccp_karray.hpp"
#include "model/flow_block/common/arena_factory_flow_block.hpp"
#include "model/flow_block/common/flow_block_stack.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"

namespace vorlent::testing {

using Fields = std::vector<std::pair<std::string, int32_t>>;

// Lends the model to one step at a time; it has no select functions.
struct TestEnv : KReadEnv {
    ModelArena& m;
    bool in_step = false;

    explicit TestEnv(ModelArena& model) : m(model) {}

    void with_arena(ArenaStep step) override {
        EXPECT_FALSE(in_step) << "steps must not nest";
        in_step = true;
        step(m);
        in_step = false;
    }

    Result<ReducePick> reduce_select(size_t dim, const NamedHcps&, const std::vector<size_t>&,
                                     const NamedHcps&, const std::vector<size_t>&,
                                     uint32_t) override {
        return ErrorText::value(format("Karray reduce: dimension {} has no select fn", dim));
    }
};

// The arrays taken out of their slots for a read, as the Python layer does.
inline Karray& out_of_slot(ModelArena& m, const CcpIdent& k, std::optional<Taken<Karray>>& holder) {
    holder.emplace(take_karray(m, k));
    return **holder;
}

// The relative names of the components of any kind made since global id `from`.
inline std::vector<std::string> made_since(const TracedModel& t, uint64_t from) {
    std::vector<HcpIdent> all;
    for (const auto* lists : {&t.module().system_hcps, &t.module().user_hcps})
        for (const auto& list : *lists)
            for (const auto& h : list)
                if (h.global_id() >= from) all.push_back(h);
    std::sort(all.begin(), all.end(),
              [](const HcpIdent& a, const HcpIdent& b) { return a.global_id() < b.global_id(); });
    std::vector<std::string> out;
    for (const auto& h : all) out.emplace_back(h.ident_base.rel_name());
    return out;
}

}  // namespace vorlent::testing
