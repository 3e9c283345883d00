#include "model/module/build_flow.hpp"

#include <unordered_map>
#include <unordered_set>

#include "common/interrupt.hpp"
#include "model/common/draw_id_by_take.hpp"
#include "model/complex_hardware/common/arena_impl_ccp.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/flow_block/common/block_build.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/model_arena.hpp"
#include "model/module/arena_impl_module.hpp"
#include "model/nodes/arena_factory_node.hpp"
#include "model/nodes/arena_impl_node.hpp"

namespace vorlent {

namespace {

// The design-wide signals every module's blocks are built with.
struct FlowSignals {
    NcpIdent start;
    HcpIdent clk;
    HcpIdent mrst;
};

// A one-bit input port of the top module whose default assignment is off.
HcpIdent make_input_port(ModelArena& model, std::string_view name) {
    const HcpIdent wire = make_wire(model, false, name, 1);
    mark_as_io(model, wire, true, std::string(name));
    auto w = model.take<Wire>(wire);
    w->disable_default();
    w.put_back();
    return wire;
}

void build_top_level_block(ModelArena& model, const FlowBlockIdent& block, const FlowSignals& sig) {
    // Two takes, one per source: each draws an id.
    draw_id_by_take(take_flow_block(model, block),
                    [&](FlowBlock& b) { b.get_base_mut().clk_srcs.push_back(sig.clk); });
    draw_id_by_take(take_flow_block(model, block),
                    [&](FlowBlock& b) { b.get_base_mut().mrst_srcs.push_back(sig.mrst); });
    build_flow_block(model, block);
    // A block that stands for one assignment is assigned directly; any other
    // waits for the design's start node.
    if (block.join_policy == FlowBlockJoinPolicy::BasicNodeFlow) {
        const NcpIdent node = summarize_node(model, block);
        assert_eq(node.node_type, NodeType::Asm,
                  "BasicNodeFlow summarize_as_node must return an AsmNode");
        dry_assign_asm_node(model, node);
        return;
    }
    const NodeWrap wrap = summarize_block(model, block);
    for (const NcpIdent& entry : wrap.samples())
        get_ncp_node_mut(model, entry).add_depend_node(sig.start, std::nullopt);
    for (const NcpIdent& entry : wrap.samples()) assign_ncp_node(model, entry, false, true);
}

template <class Kind, class Step>
void for_each_component(ModelArena& model, const Module& module, HwComponentType t, Step step) {
    InterruptPoll poll;
    for (const HcpIdent& h : module.hcps_of(t)) {
        poll.tick();
        auto c = model.take<Kind>(h);
        step(*c);
        c.put_back();
    }
}

void build_ccp(ModelArena& model, const CcpIdent& ccp) {
    draw_id_by_take(take_ccp(model, ccp), [&](CcpBase& c) { c.build(model); });
}

// Arbiters whose build waits for a later module. A pipeline block sets its
// arbiter's master acknowledge when its own module is built; an arbiter of a
// module built before that one (an ancestor, an earlier sibling's subtree)
// would be built without it, and its grants would never wait for the
// pipeline to be ready.
struct LateArbs {
    std::unordered_set<uint64_t> ids;  // their global ids
    // Per module in build order, the arbiters built once that module is.
    std::vector<std::vector<CcpIdent>> after;
};

LateArbs find_late_arbs(const ModelArena& model, const std::vector<ModuleIdent>& order) {
    std::unordered_map<size_t, size_t> rank;  // module slot -> build position
    for (size_t i = 0; i < order.size(); ++i) rank.emplace(order[i].handle().index, i);
    LateArbs late{{}, std::vector<std::vector<CcpIdent>>(order.size())};
    InterruptPoll poll;
    for (size_t i = 0; i < order.size(); ++i) {
        const std::vector<FlowBlockIdent>& top_level = model.get<Module>(order[i]).flow_blocks;
        // Every block of the module, each before the blocks nested in it, in
        // the order written; the walk keeps its own stack.
        std::vector<FlowBlockIdent> blocks(top_level.rbegin(), top_level.rend());
        while (!blocks.empty()) {
            poll.tick();
            const FlowBlockIdent block = std::move(blocks.back());
            blocks.pop_back();
            const FlowBlockBase& base = get_flow_block(model, block).get_base();
            blocks.insert(blocks.end(), base.con_blocks.rbegin(), base.con_blocks.rend());
            blocks.insert(blocks.end(), base.sub_blocks.rbegin(), base.sub_blocks.rend());
            if (block.block_type != FlowBlockType::Pipeline) continue;
            const CcpIdent& arb = model.get<FlowBlockPip>(block).arb_i;
            // An arbiter outside the tree is never built: emit refuses it.
            const auto owner = rank.find(arb.module_ident.handle().index);
            if (owner == rank.end() || owner->second >= i) continue;
            if (late.ids.insert(arb.global_id()).second) late.after[i].push_back(arb);
        }
    }
    return late;
}

// Builds an arbiter after its module's pass, into that module, where its
// logic would have gone in its turn. It makes expressions only, so the
// module's resets and defaults, built by then, miss nothing.
void build_late_arb(ModelArena& model, const CcpIdent& arb) {
    auto module = model.take<Module>(arb.module_ident);
    push_module_trace(model, module->ident, ModuleInitStage::FlowBlockBuild);
    build_ccp(model, arb);
    pop_module_trace(model);
    register_pending_hcps(*module, model);
    module.put_back();
}

// Builds one module's own behaviour; its sub-modules are left to the walk.
// The complex components among `late` wait for a later module.
void build_module(Module& module, ModelArena& model, const FlowSignals& sig,
                  const std::unordered_set<uint64_t>& late) {
    push_module_trace(model, module.ident, ModuleInitStage::FlowBlockBuild);
    for (const FlowBlockIdent& block : std::vector(module.flow_blocks)) {
        build_top_level_block(model, block, sig);
        // Filed block by block, so the parked list stays short.
        register_pending_hcps(module, model);
    }
    InterruptPoll poll;
    for (const NcpIdent& node : std::vector(module.basic_nodes)) {
        poll.tick();
        assert_eq(node.node_type, NodeType::Asm, "basic_nodes_i must contain only AsmNodes");
        set_asm_node_clk_src_direct(model, node, sig.clk);
        apply_asm_node_pending_pre_cond(model, node);
        dry_assign_asm_node(model, node);
    }
    for (const CcpIdent& ccp : std::vector(module.ccps)) {
        poll.tick();
        if (!late.contains(ccp.global_id())) build_ccp(model, ccp);
    }
    pop_module_trace(model);
    register_pending_hcps(module, model);

    // Registers made by the blocks above are filed by now, so they get their
    // resets too.
    push_module_trace(model, module.ident, ModuleInitStage::FlowBlockBuild);
    for_each_component<Reg>(model, module, HwComponentType::Reg,
                            [&](Reg& r) { r.try_build_reset(sig.clk, sig.mrst, model); });
    // A wire's default may make a constant, parked and then filed: room for
    // them is made in the module's list before they are made, so it is not
    // copied to grow when the most is in use.
    const size_t wires = module.hcps_of(HwComponentType::Wire).size();
    std::vector<HcpIdent>& vals = module.system_hcps[size_t(HwComponentType::Val)];
    vals.reserve(vals.size() + wires);
    for_each_component<Wire>(model, module, HwComponentType::Wire,
                             [&](Wire& w) { w.try_build_default(model); });
    pop_module_trace(model);
    register_pending_hcps(module, model);
}

// The top module's ports and start node.
FlowSignals build_top_signals(ModelArena& model, const ModuleIdent& top_i) {
    auto module = model.take<Module>(top_i);
    if (module->start_node) fatal("top module start node must not be set before build_flow");
    push_module_trace(model, module->ident, ModuleInitStage::FlowBlockBuild);
    const HcpIdent clk = make_input_port(model, "clk");
    const HcpIdent mrst = make_input_port(model, "mrst");
    const NcpIdent start = make_start_node(model, "start", mrst);
    const NcpIdent start_clk = make_opr_node(model, "start_clk", clk);
    get_ncp_node_mut(model, start).set_clk_node(start_clk);
    assign_ncp_node(model, start, true, true);
    module->start_node = start;
    module->clk = clk;
    pop_module_trace(model);
    module.put_back();
    return FlowSignals{start, clk, mrst};
}

// The tree's modules in build order: depth first, a module before its
// sub-modules, these in list order. The walk keeps its own stack, so a tree
// of any depth is built.
std::vector<ModuleIdent> modules_in_build_order(const ModelArena& model, const ModuleIdent& top_i) {
    std::vector<ModuleIdent> order, pending{top_i};
    std::unordered_set<uint64_t> visited;
    while (!pending.empty()) {
        ModuleIdent module_i = std::move(pending.back());
        pending.pop_back();
        // A module listed twice in the tree (under itself, or under two
        // parents) would be built twice or for ever.
        if (!visited.insert(module_i.global_id()).second)
            fatal(format(
                "build_flow: module \"{}\" (id {}) appears more than once in the module tree",
                module_i.abs_name(), module_i.global_id()));
        const Module& module = model.get<Module>(module_i);
        // Reverse order puts the first child on top.
        pending.insert(pending.end(), module.sub_modules.rbegin(), module.sub_modules.rend());
        order.push_back(std::move(module_i));
    }
    return order;
}

void build_tree(ModelArena& model, const ModuleIdent& top_i) {
    const std::vector<ModuleIdent> order = modules_in_build_order(model, top_i);
    const LateArbs late = find_late_arbs(model, order);
    const FlowSignals sig = build_top_signals(model, top_i);
    for (size_t i = 0; i < order.size(); ++i) {
        check_interrupt();
        auto module = model.take<Module>(order[i]);
        build_module(*module, model, sig, late.ids);
        module.put_back();
        for (const CcpIdent& arb : late.after[i]) build_late_arb(model, arb);
    }
}

// A block left on the flow-block stack: the innermost open one, whose
// finalize_flow_block is missing, or else the chain head waiting for more
// branches, which finalize_flow_procedure closes.
CheckResult check_flow_block_stack_empty(const ModelArena& model) {
    const auto& stack = model.flow_block_stack;
    if (stack.empty()) return std::nullopt;
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        if (it->status != BlockTrackStatus::Open) continue;
        return ErrorText::value(format(
            "build_flow: flow block \"{}\" (id {}) is still open; close it with "
            "finalize_flow_block and end the module's behaviour with finalize_flow_procedure",
            it->block.abs_name(), it->block.global_id()));
    }
    const FlowBlockIdent& head = stack.back().block;
    return ErrorText::value(format(
        "build_flow: flow block \"{}\" (id {}) still waits on the flow-block stack for more "
        "branches; close it with finalize_flow_procedure at the end of the module's behaviour",
        head.abs_name(), head.global_id()));
}

}  // namespace

CheckResult build_flow(ModelArena& model) {
    if (!model.top_module) fatal("build_flow: no top module set");
    if (model.flow_build == FlowBuild::Started)
        fatal(
            "build_flow: an earlier build_flow stopped before it completed; the model is "
            "half-built, so describe the design again in a new ModelArena");
    if (auto err = check_flow_block_stack_empty(model)) return err;
    const ModuleIdent top_i = *model.top_module;
    // A second call keeps Complete: it stops at the top module's start node.
    if (model.flow_build == FlowBuild::NotStarted) model.flow_build = FlowBuild::Started;
    const size_t trace_depth = model.module_trace_stack.size();
    try {
        build_tree(model, top_i);
    } catch (...) {
        // A build that stopped leaves the module trace stack as the caller
        // had it, so the calls that still make sense (components, names)
        // work as after a build; the model stays Started and is never
        // written or built again. What the build had parked (components
        // never filed, the walks' findings) is therefore never read again:
        // it is freed with the model, since freeing it here would hold up a
        // Ctrl-C for as long as it took to make.
        model.module_trace_stack.erase(model.module_trace_stack.begin() + trace_depth,
                                       model.module_trace_stack.end());
        throw;
    }
    AtOnceRegions().swap(model.at_once_regions);
    model.flow_build = FlowBuild::Complete;
    return std::nullopt;
}

CheckResult check_flow_not_built(const ModelArena& model, std::string_view call) {
    if (model.flow_build == FlowBuild::NotStarted) return std::nullopt;
    return ErrorText::value(
        format("{}: build_flow already ran; behaviour described after it would never reach the "
               "Verilog, so describe the whole design before build_flow",
               call));
}

void register_pending_hcps(Module& module, ModelArena& model) {
    // A deep block files everything its build made at once. A stop half way
    // leaves the rest unfiled, as a stop while they are made does.
    InterruptPoll poll;
    for (PendingHcp& p : model.pending_hcps) {
        poll.tick();
        HcpLists& lists = p.is_user_com ? module.user_hcps : module.system_hcps;
        lists[size_t(p.ident.hw_type)].push_back(std::move(p.ident));
    }
    model.pending_hcps.clear();
}

void sort_update_event_pool(const Module& module, ModelArena& model) {
    InterruptPoll poll;
    for (size_t k = 0; k < HW_COMPONENT_TYPE_COUNT; ++k) {
        if (!hcp_pool_sorted(HwComponentType(k))) continue;
        // In place: sorting reads the events, never the component again.
        for (const HcpIdent& h : module.hcps_of(HwComponentType(k))) {
            poll.tick();
            hcp_checked_mut(model, h).sort_events(model);
        }
    }
}

}  // namespace vorlent
