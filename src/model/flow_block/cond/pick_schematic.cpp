// The pick schematic: on entry every pif whose own condition holds starts,
// the pidef only when none holds. The exit is the OR of the branch exits, so
// the first branch that ends leaves the block; the others are not awaited.
#include <cstdio>

#include "common/fatal.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/flow_block/common/block_build.hpp"
#include "model/flow_block/cond/branch_cond.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/model_arena.hpp"
#include "model/nodes/arena_factory_node.hpp"
#include "model/nodes/arena_impl_node.hpp"

namespace vorlent {

namespace {

void warn_not_synchronized(const FlowBlockBase& base) {
    const std::string line = format(
        "[vorlent][warn] pick block '{}': exit is NOT auto-synchronized; the matching branch "
        "drives the exit signal\n",
        base.ident.ident_base.rel_name());
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

NodeWrap build_pick(FlowBlockBase& base, ModelArena& model) {
    warn_not_synchronized(base);
    if (base.sub_blocks.empty()) fatal("pick block must have at least one pif branch");
    const uint64_t id = base.ident.global_id();

    const NcpIdent entry =
        make_pseudo_node(model, format("pick_entry_{}", id), 1, LogicOp::BitwiseOr);
    open_block_entry(model, base, entry);

    const NcpIdent exit =
        make_pseudo_node(model, format("pick_exit_{}", id), 1, LogicOp::BitwiseOr);
    get_ncp_node_mut(model, exit).fill_ext_node(base.triggers);
    base.gen_nodes.push_back(exit);

    std::optional<HcpIdent> term;  // no pif condition holds
    std::optional<NodeWrap> default_branch;
    std::vector<NodeWrap> pifs;
    std::vector<int32_t> cycles;
    for (const FlowBlockIdent& sub : base.sub_blocks) {
        assert_eq(sub.block_type, FlowBlockType::PickIf,
                  "pick sub blocks must be pif/pidef (PickIf)");
        const std::optional<HcpIdent> cond = read_branch_cond<FlowBlockType::PickIf>(model, sub);
        NodeWrap wrap = summarize_block(model, sub);
        cycles.push_back(wrap.cycle());
        if (!cond) {
            if (default_branch) fatal("pick block accepts at most one pidef default branch");
            default_branch = std::move(wrap);
            continue;
        }
        add_edge_to_entries(model, wrap, entry, cond);
        const HcpIdent inv =
            make_expression_single(model, false, format("pick_not_{}_{}", id, pifs.size()),
                                   LogicOp::BitwiseInvr, *cond, std::nullopt);
        term = term ? make_expression(model, false, "node_logic_expr", LogicOp::BitwiseAnd, *term,
                                      inv, std::nullopt, std::nullopt)
                    : inv;
        pifs.push_back(std::move(wrap));
    }

    for (const NodeWrap& w : pifs)
        get_ncp_node_mut(model, exit).add_depend_node(w.exit(), std::nullopt);
    if (default_branch) {
        add_edge_to_entries(model, *default_branch, entry, term);
        get_ncp_node_mut(model, exit).add_depend_node(default_branch->exit(), std::nullopt);
    } else if (term) {
        // No pif condition holds: the pick is left at once, which takes no
        // cycle, so its latency is fixed only when its branches take none.
        get_ncp_node_mut(model, exit).add_depend_node(entry, *term);
        cycles.push_back(0);
    }
    if (base.triggers.int_start()) cycles.push_back(IN_CONSIST_CYCLE_USED);

    assign_ncp_node(model, exit, true, true);
    for (const NodeWrap& w : pifs)
        for (const NcpIdent& e : w.samples()) assign_ncp_node(model, e, false, true);
    if (default_branch)
        for (const NcpIdent& e : default_branch->samples()) assign_ncp_node(model, e, false, true);

    return NodeWrap({entry}, exit, uniform_cycles(cycles));
}

}  // namespace

void FlowBlockPick::build_hw_component(ModelArena& model) { built = build_pick(base, model); }

}  // namespace vorlent
