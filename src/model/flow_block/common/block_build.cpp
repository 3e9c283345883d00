#include "model/flow_block/common/block_build.hpp"

#include <algorithm>
#include <deque>

#include "common/fatal.hpp"
#include "common/interrupt.hpp"
#include "model/common/draw_id_by_take.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/common/asm_meta_helper/assign_meta_pools.hpp"
#include "model/model_arena.hpp"
#include "model/nodes/arena_factory_node.hpp"
#include "model/nodes/arena_impl_node.hpp"

namespace vorlent {

namespace {

// Hands one source list down to every child (sub-blocks, then continuations).
void pass_sources_down(ModelArena& model, const FlowBlockBase& base,
                       std::vector<HcpIdent> FlowBlockBase::*list) {
    for (const HcpIdent& src : base.*list) {
        for (const auto* children : {&base.sub_blocks, &base.con_blocks}) {
            // One take per source and child: each draws an id.
            for (const FlowBlockIdent& child : *children)
                draw_id_by_take(take_flow_block(model, child),
                                [&](FlowBlock& c) { (c.get_base_mut().*list).push_back(src); });
        }
    }
}

// The control node of one source list: none for an empty list, an operand
// node on the one source, or on the OR of several (folded left to right,
// each step an expression of the node's own name).
std::optional<NcpIdent> make_control_node(ModelArena& model, const std::vector<HcpIdent>& srcs,
                                          const std::string& name) {
    if (srcs.empty()) return std::nullopt;
    HcpIdent running = srcs.front();
    for (size_t i = 1; i < srcs.size(); ++i)
        running = make_expression(model, false, name, LogicOp::BitwiseOr, running, srcs[i],
                                  std::nullopt, std::nullopt);
    return make_opr_node(model, name, running);
}

// The steps of a block's build before its children are built.
void start_block_build(FlowBlock& block, ModelArena& model) {
    block.prepare_build(model);
    const FlowBlockBase& base = block.get_base();
    pass_sources_down(model, base, &FlowBlockBase::rst_srcs);
    pass_sources_down(model, base, &FlowBlockBase::hold_srcs);
    pass_sources_down(model, base, &FlowBlockBase::mrst_srcs);
    pass_sources_down(model, base, &FlowBlockBase::clk_srcs);
}

// The steps after: the block's control nodes, its own assignment nodes, its
// schematic.
void finish_block_build(FlowBlock& block, ModelArena& model) {
    FlowBlockBase& base = block.get_base_mut();
    const uint64_t id = base.ident.global_id();
    using Setter = void (NodeTriggers::*)(std::optional<NcpIdent>);
    auto set = [&](Setter setter, const std::vector<HcpIdent>& srcs, const char* role) {
        if (auto node = make_control_node(model, srcs, format("flow_{}_{}", role, id)))
            (base.triggers.*setter)(std::move(node));
    };
    set(&NodeTriggers::set_hold, base.hold_srcs, "hold");
    set(&NodeTriggers::set_int_reset, base.rst_srcs, "rst");
    set(&NodeTriggers::set_int_start, base.start_srcs, "start");
    set(&NodeTriggers::set_mrst, base.mrst_srcs, "mrst");
    if (base.clk_srcs.size() >= 2)
        fatal(format("ExtSigType::Clk supports exactly one signal, got {} for {}",
                     base.clk_srcs.size(), format("flow_clk_{}", id)));
    set(&NodeTriggers::set_clk, base.clk_srcs, "clk");

    // A basic node takes hold, int_reset, mrst and clk from the block, never
    // its int_start.
    for (const NcpIdent& n : base.basic_nodes)
        get_ncp_node_mut(model, n).fill_ext_node(base.triggers);
    for (const NcpIdent& n : base.basic_nodes) init_asm_node_clk_src(model, n);
    for (const NcpIdent& n : base.basic_nodes) apply_asm_node_pending_pre_cond(model, n);
    block.build_hw_component(model);
}

// The child a block builds at position `i`: its sub-blocks, then its
// continuations; none past the end.
std::optional<FlowBlockIdent> child_at(const FlowBlockBase& base, size_t i) {
    if (i < base.sub_blocks.size()) return base.sub_blocks[i];
    i -= base.sub_blocks.size();
    if (i < base.con_blocks.size()) return base.con_blocks[i];
    return std::nullopt;
}

}  // namespace

void build_flow_block(ModelArena& model, const FlowBlockIdent& block) {
    // One entry per block being built, innermost last: the block, out of its
    // arena, and the position of its next child. Children are built before
    // the parent makes any node of its own. Each block is taken once, which
    // draws one id (two for a pipeline or zync block) before its build.
    struct Building {
        TakenFlowBlock block;
        uint64_t first_id;  // the next id when its build started
        size_t next_child = 0;
    };
    // A deque: growing it never moves the blocks already on it, which for a
    // nest hundreds of thousands deep would be one long step that nothing
    // can interrupt.
    std::deque<Building> stack;
    auto start = [&](const FlowBlockIdent& ident) {
        const uint64_t first_id = peek_global_id();
        stack.push_back(Building{take_flow_block(model, ident), first_id});
        start_block_build(*stack.back().block, model);
    };
    start(block);
    while (!stack.empty()) {
        // Once per block started and once per block finished: in a deep nest
        // the finishing steps run one after the other, innermost first.
        check_interrupt();
        Building& top = stack.back();
        if (auto child = child_at(top.block->get_base(), top.next_child)) {
            ++top.next_child;
            start(*child);
            continue;
        }
        finish_block_build(*top.block, model);
        // What a walk over the nodes needs to tell the block's own from the
        // rest (exit_follows_entries_at_once).
        top.block->set_built_span(IdSpan{top.first_id, peek_global_id()});
        top.block.put_back();
        stack.pop_back();
    }
}

std::vector<AssignMeta> gen_unified_asm_meta_flat(const FlowBlockBase& base, ModelArena& model) {
    struct Item {
        uint32_t position;
        const NcpIdent* node;
        const FlowBlockIdent* block;
    };
    std::vector<Item> items;
    const size_t nodes = std::min(base.basic_nodes.size(), base.basic_node_positions.size());
    for (size_t i = 0; i < nodes; ++i)
        items.push_back({base.basic_node_positions[i], &base.basic_nodes[i], nullptr});
    const size_t blocks = std::min(base.sub_blocks.size(), base.sub_block_positions.size());
    for (size_t i = 0; i < blocks; ++i)
        if (base.sub_blocks[i].join_policy == FlowBlockJoinPolicy::BasicNodeFlow)
            items.push_back({base.sub_block_positions[i], nullptr, &base.sub_blocks[i]});
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.position < b.position; });

    AssignMetaGrpPool pool;
    auto add_node = [&](const NcpIdent& node) {
        draw_id_by_take(model.take<AsmNode>(node),
                        [&](AsmNode& n) { pool.insert_asms(model, n.asm_metas); });
    };
    for (const Item& item : items) {
        if (item.node)
            add_node(*item.node);
        else
            add_node(summarize_node(model, *item.block));
    }
    return pool.gen_assign_metas(model);
}

std::pair<std::vector<FlowBlockIdent>, std::vector<FlowBlockIdent>> scan_sub_blocks_by_policy(
    const std::vector<FlowBlockIdent>& sub_blocks) {
    std::pair<std::vector<FlowBlockIdent>, std::vector<FlowBlockIdent>> out;
    for (const FlowBlockIdent& b : sub_blocks) {
        switch (b.join_policy) {
            case FlowBlockJoinPolicy::SubFlow:
                out.second.push_back(b);
                break;
            case FlowBlockJoinPolicy::BasicNodeFlow:
                out.first.push_back(b);
                break;
            case FlowBlockJoinPolicy::ConFlow:
                fatal("scan_sub_blocks_by_policy: ConFlow not allowed in sub_blocks_i");
        }
    }
    return out;
}

void add_edge_to_entries(ModelArena& model, const NodeWrap& wrap, const NcpIdent& pred,
                         const std::optional<HcpIdent>& guard) {
    for (const NcpIdent& entry : wrap.samples())
        get_ncp_node_mut(model, entry).add_depend_node(pred, guard);
}

void open_block_entry(ModelArena& model, FlowBlockBase& base, const NcpIdent& entry) {
    NcpNode& node = get_ncp_node_mut(model, entry);
    node.fill_ext_node(base.triggers);
    if (base.triggers.int_start()) node.add_depend_node(*base.triggers.int_start(), std::nullopt);
    base.gen_nodes.push_back(entry);
    assign_ncp_node(model, entry, true, false);
}

}  // namespace vorlent
