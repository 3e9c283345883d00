// A design described the way the front end describes one, built with
// build_flow, and read back: block summaries and edges with their guards.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "model/flow_block/common/arena_factory_flow_block.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/flow_block/common/flow_block_stack.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_asm.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/model_arena.hpp"
#include "model/module/arena_impl_module.hpp"
#include "model/module/build_flow.hpp"
#include "model/nodes/arena_factory_node.hpp"
#include "model/nodes/arena_impl_node.hpp"
#include "test_support.hpp"

namespace vorlent::testing {

struct Design {
    ModelArena m;
    ModuleIdent top = make_module(m, "top");

    Design() { set_top_module(m, top); }

    // Makes a component (or an arbiter) of the top module.
    template <class F>
    auto component(F make) {
        track_module_at_com_init(m, top);
        auto made = make();
        untrack_module_at_com_init(m, top);
        return made;
    }
    HcpIdent reg(const char* name, int32_t width = 8) {
        return component([&] { return make_reg(m, true, name, width); });
    }
    HcpIdent wire(const char* name, int32_t width = 1) {
        return component([&] { return make_wire(m, true, name, width); });
    }
    HcpIdent val(uint64_t v, int32_t width = 8) {
        return component([&] { return make_val(m, true, "v", width, v); });
    }

    void describe() { track_module_at_flow_init(m, top); }
    void done() {
        finalize_flow_procedure(m);
        untrack_module_at_flow_init(m, top);
    }
    void build() {
        done();
        if (auto err = build_flow(m)) ADD_FAILURE() << err->message;
    }
    // build(), with stderr captured: the warnings printed, then "fatal: "
    // and the message when the build stops.
    std::string build_logged() {
        ::testing::internal::CaptureStderr();
        const std::string fatal = FATAL_MESSAGE(build());
        std::string out = ::testing::internal::GetCapturedStderr();
        if (fatal != "<no fatal error>") out += "fatal: " + fatal;
        return out;
    }
    void assign(const HcpIdent& des, const HcpIdent& src) {
        gen_basic_assign(m, des, src, std::nullopt, Slice::whole());
    }
    FlowBlockIdent open(FlowBlockIdent b) {
        if (auto err = initialize_flow_block(m, b)) ADD_FAILURE() << err->message;
        return b;
    }
    void close(const FlowBlockIdent& b) {
        if (auto err = finalize_flow_block(m, b, false)) ADD_FAILURE() << err->message;
    }
    // A sequence of `steps` assignments to `des`: latency `steps`.
    FlowBlockIdent seq(const char* name, const HcpIdent& des, const HcpIdent& src, int steps = 1) {
        const FlowBlockIdent s = open(make_flow_block_seq(m, name));
        for (int i = 0; i < steps; ++i) assign(des, src);
        close(s);
        return s;
    }
    // `block` opened, holding one sequence of `steps` assignments, closed;
    // the sequence is returned.
    FlowBlockIdent around(const FlowBlockIdent& block, const HcpIdent& des, const HcpIdent& src,
                          int steps = 1) {
        open(block);
        const FlowBlockIdent s = seq("s", des, src, steps);
        close(block);
        return s;
    }
    // Adds a source to a block's control-source list before the build.
    void add_src(const FlowBlockIdent& b, std::vector<HcpIdent> FlowBlockBase::*list,
                 const HcpIdent& src) {
        auto t = take_flow_block(m, b);
        (t->get_base_mut().*list).push_back(src);
        t.put_back();
    }

    const Module& module() const { return m.arena<Module>().get(top.handle()); }
    const NcpIdent& start() const { return *module().start_node; }
    NodeWrap wrap(const FlowBlockIdent& b) { return summarize_block(m, b); }
    // A block's summary: entries, exit and latency.
    using Summary = std::tuple<std::vector<NcpIdent>, NcpIdent, int32_t>;
    Summary summary(const FlowBlockIdent& b) {
        const NodeWrap w = wrap(b);
        return {std::vector<NcpIdent>(w.samples().begin(), w.samples().end()), w.exit(), w.cycle()};
    }
    FlowBlockBase base(const FlowBlockIdent& b) {
        auto t = take_flow_block(m, b);
        FlowBlockBase copy = t->get_base();
        t.put_back();
        return copy;
    }
    // The control nodes block `b` made, which must be `N`.
    template <size_t N>
    std::array<NcpIdent, N> made(const FlowBlockIdent& b) {
        const std::vector<NcpIdent> g = base(b).gen_nodes;
        if (g.size() != N)
            throw std::runtime_error(format("the block made {} nodes, not {}", g.size(), N));
        return [&]<size_t... I>(std::index_sequence<I...>) {
            return std::array<NcpIdent, N>{g[I]...};
        }
        (std::make_index_sequence<N>{});
    }
    std::vector<DependEdge> edges(const NcpIdent& n) const {
        const auto& list = get_ncp_node(m, n).get_node_triggers().depend_nodes;
        return {list.begin(), list.end()};
    }
    HcpIdent exit_of(const NcpIdent& n) const { return get_ncp_node(m, n).get_exit_opr(); }
    const Expression& expr(const HcpIdent& e) const {
        return m.arena<Expression>().get(e.handle());
    }
    const auto& pool(const HcpIdent& h) const {
        return get_hcp_assign(m, h).get_update_pool().events;
    }
};

inline DependEdge edge(const NcpIdent& from, std::optional<HcpIdent> guard = std::nullopt) {
    return DependEdge{from, std::move(guard)};
}

}  // namespace vorlent::testing
