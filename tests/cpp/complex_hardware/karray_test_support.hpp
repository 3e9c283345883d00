// A traced model with arrays, a read environment that lends the model one
// step at a time, and readers for what reads and writes leave behind.
#pragma once

#include <functional>
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
using SelectFn =
    std::function<Result<ReducePick>(const NamedHcps&, const std::vector<size_t>&, const NamedHcps&,
                                     const std::vector<size_t>&, uint32_t)>;

// Lends the model to one step at a time and records what the read asked for.
struct TestEnv : KReadEnv {
    ModelArena& m;
    std::vector<SelectFn> fns;  // per dimension; empty for none
    bool in_step = false;
    int steps = 0;

    explicit TestEnv(ModelArena& model, std::vector<SelectFn> f = {})
        : m(model), fns(std::move(f)) {}

    void with_arena(ArenaStep step) override {
        EXPECT_FALSE(in_step) << "steps must not nest";
        in_step = true;
        ++steps;
        step(m);
        in_step = false;
    }

    Result<ReducePick> reduce_select(size_t dim, const NamedHcps& a, const std::vector<size_t>& ac,
                                     const NamedHcps& b, const std::vector<size_t>& bc,
                                     uint32_t level) override {
        EXPECT_FALSE(in_step) << "select functions run between steps";
        if (dim >= fns.size() || !fns[dim])
            return ErrorText::value(format("Karray reduce: dimension {} has no select fn", dim));
        return fns[dim](a, ac, b, bc, level);
    }
};

// The arrays taken out of their slots for a read, as the Python layer does.
inline Karray& out_of_slot(ModelArena& m, const CcpIdent& k, std::optional<Taken<Karray>>& holder) {
    holder.emplace(take_karray(m, k));
    return **holder;
}

inline const AsmNode& asm_node(const ModelArena& m, const NcpIdent& n) {
    return m.arena<AsmNode>().get(n.handle());
}

// The assignment node a write attached last to the top module.
inline const AsmNode& last_top_node(const TracedModel& t) {
    return asm_node(t.m, t.module().basic_nodes.back());
}

inline const Expression& expr(const ModelArena& m, const HcpIdent& h) {
    return m.arena<Expression>().get(h.handle());
}

inline std::vector<std::string> rel_names(const std::vector<HcpIdent>& hs) {
    std::vector<std::string> out;
    for (const auto& h : hs) out.emplace_back(h.ident_base.rel_name());
    return out;
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
    return rel_names(all);
}

}  // namespace vorlent::testing
