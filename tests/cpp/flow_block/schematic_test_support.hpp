// A design described the way the front end describes one, built with
// build_flow, and read back: block summaries, edges with their guards, and
// the names of everything the build made, in global-id order.
#pragma once

#include <array>
#include <map>
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

// What a take leaves behind in the id sequence: an id whose element (the
// default in the slot) was dropped when the taken one came back.
inline const std::string TAKE = "-";

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
        initialize_flow_block(m, b);
        return b;
    }
    void close(const FlowBlockIdent& b) { finalize_flow_block(m, b, false); }
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

using Lines = std::vector<std::string>;

inline DependEdge edge(const NcpIdent& from, std::optional<HcpIdent> guard = std::nullopt) {
    return DependEdge{from, std::move(guard)};
}

// The absolute name of every element in the model by global id.
class IdLedger {
public:
    explicit IdLedger(const ModelArena& m) {
        add_hcps<Reg, Wire, IoWire, Val, MemEle, MemBlk, Expression, StateReg, SyncReg, CntReg,
                 CondWaitStateReg, CycleWaitStateReg, UeBasic, UeGrp, UeCond, UeSwitch, AsmNode,
                 StartNode, StateNode, SynNode, WaitCondNode, WaitCycleNode, CounterNode,
                 PseudoNode, OprNode>(m);
        add_blocks<FlowBlockSeq, FlowBlockPar, FlowBlockCond, FlowBlockCondElif,
                   FlowBlockZeroCondIf, FlowBlockZeroCondElif, FlowBlockZeroSwitch,
                   FlowBlockZeroSwitchCase, FlowBlockPick, FlowBlockPickIf, FlowBlockWhile,
                   FlowBlockDoWhile, FlowBlockCounterLoop, FlowBlockWait>(m);
    }

    // The names of ids [first, first + count); TAKE where no element has the id.
    std::vector<std::string> range(uint64_t first, size_t count) const {
        std::vector<std::string> out;
        for (uint64_t id = first; id < first + count; ++id) {
            auto it = names_.find(id);
            out.push_back(it == names_.end() ? TAKE : it->second);
        }
        return out;
    }

private:
    template <class... Ts>
    void add_hcps(const ModelArena& m) {
        (add<Ts>(m, [](const Ts& e) { return e.ident.abs_name(); }), ...);
    }
    template <class... Ts>
    void add_blocks(const ModelArena& m) {
        (add<Ts>(m, [](const Ts& e) { return e.base.ident.abs_name(); }), ...);
    }
    template <class T, class Name>
    void add(const ModelArena& m, Name name) {
        const ArenaGroup<T>& g = m.arena<T>();
        for (size_t i = 0; i < g.size(); ++i) {
            const T& e = g.get(ArenaHandle{i, 0});
            names_[e.arena_global_id()] = std::string(name(e));
        }
    }

    std::map<uint64_t, std::string> names_;
};

// "{name}_{id}" for each name, ids counting up from `first`, with '#' in a
// name standing for the id of `block` (the block that made it); TAKE stays.
inline std::vector<std::string> ids_from(uint64_t first, const FlowBlockIdent& block,
                                         const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (std::string n : names) {
        const uint64_t id = first + out.size();
        if (const size_t at = n.find('#'); at != std::string::npos)
            n.replace(at, 1, std::to_string(block.global_id()));
        out.push_back(n == TAKE ? TAKE : format("{}_{}", n, id));
    }
    return out;
}

// The names the build drew from `first` on, compared with `names`.
#define EXPECT_DRAWN(model, first, block, ...)                                                    \
    do {                                                                                          \
        const auto expected_ = ::vorlent::testing::ids_from(first, block, __VA_ARGS__);           \
        EXPECT_EQ(::vorlent::testing::IdLedger(model).range(first, expected_.size()), expected_); \
    } while (0)

}  // namespace vorlent::testing
