// The conditional chain schematic (cif, sif): one condition node tests the
// head's and every elif's condition; each branch's entries wait for it,
// guarded by the branch's enable, and every branch ends in one exit node.
// With no else, the chain goes straight from its condition node to its exit
// when no condition holds.
#include "common/fatal.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/flow_block/common/block_build.hpp"
#include "model/flow_block/cond/branch_cond.hpp"
#include "model/flow_block/cond/cond_chain.hpp"
#include "model/model_arena.hpp"
#include "model/nodes/arena_factory_node.hpp"
#include "model/nodes/arena_impl_node.hpp"

namespace vorlent {

namespace {

NodeWrap build_cond(const CondSchematic& schematic, FlowBlockBase& base, ModelArena& model) {
    if (base.sub_blocks.empty()) fatal("cond block must have at least one body block");
    const uint64_t id = base.ident.global_id();

    const NcpIdent cond_node =
        schematic.is_state
            ? make_state_node(model, false, format("sif_cond_{}", id))
            : make_pseudo_node(model, format("cif_cond_{}", id), 1, LogicOp::BitwiseOr);
    open_block_entry(model, base, cond_node);

    std::vector<NodeWrap> branches{summarize_block(model, base.sub_blocks.front())};
    add_edge_to_entries(model, branches.front(), cond_node, schematic.cond);
    std::vector<int32_t> cycles{branches.front().cycle()};

    CondChain chain = CondChain::new_inv(model, "cif", id, schematic.cond);
    for (size_t e = 0; e < base.con_blocks.size(); ++e) {
        const FlowBlockIdent& con = base.con_blocks[e];
        chain.check_next(con, FlowBlockType::CondElif, "cond block con blocks must be CondElif",
                         "cond block", base.ident.ident_base.rel_name(), "cselse");
        const std::optional<HcpIdent> cond = read_branch_cond<FlowBlockType::CondElif>(model, con);
        NodeWrap wrap = summarize_block(model, con);
        const HcpIdent enable = chain.step(model, "cif", id, uint32_t(e), cond);
        add_edge_to_entries(model, wrap, cond_node, enable);
        cycles.push_back(wrap.cycle());
        branches.push_back(std::move(wrap));
    }

    const NcpIdent exit = make_pseudo_node(model, format("cif_exit_{}", id), 1, LogicOp::BitwiseOr);
    get_ncp_node_mut(model, exit).fill_ext_node(base.triggers);
    base.gen_nodes.push_back(exit);
    for (const NodeWrap& w : branches)
        get_ncp_node_mut(model, exit).add_depend_node(w.exit(), std::nullopt);
    // No condition held: the chain is left at once, which takes no cycle, so
    // a chain without an else has no fixed latency unless its branches take
    // none either.
    if (chain.term()) {
        get_ncp_node_mut(model, exit).add_depend_node(cond_node, *chain.term());
        cycles.push_back(0);
    }
    if (base.triggers.int_start()) cycles.push_back(IN_CONSIST_CYCLE_USED);

    assign_ncp_node(model, exit, true, true);
    for (const NodeWrap& w : branches)
        for (const NcpIdent& entry : w.samples()) assign_ncp_node(model, entry, false, true);

    // The branches start after the condition node: a sif spends its state's
    // cycle first.
    const int32_t cycle =
        sum_cycles({get_ncp_node(model, cond_node).get_cycle_used(), uniform_cycles(cycles)});
    return NodeWrap({cond_node}, exit, cycle);
}

}  // namespace

void FlowBlockCond::build_hw_component(ModelArena& model) {
    built = build_cond(schematic, base, model);
}

}  // namespace vorlent
