// The zync schematic: one state that raises the request of every bind's leaf
// and stays active until the grant (the binds' acknowledges, each gated by
// its condition, ORed, or ANDed in match-all mode) holds; in that cycle the
// block's assignments, merged into one node, are made. The block ends with
// the grant, so a successor starts only once the assignments are made.
#include <cstdio>

#include "common/fatal.hpp"
#include "model/common/draw_id_by_take.hpp"
#include "model/complex_hardware/common/ccp_hw_build.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/flow_block/common/block_build.hpp"
#include "model/flow_block/zync/flow_block_zync.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/model_arena.hpp"
#include "model/nodes/arena_factory_node.hpp"
#include "model/nodes/arena_impl_node.hpp"

namespace vorlent {

namespace {

void warn_match_all(std::string_view block_name) {
    const std::string line = format(
        "[vorlent][warn] zync block '{}': All-mode grant is AND over (ack & cond); the target may "
        "activate when not all conditions are satisfied\n",
        block_name);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

struct LeafSignals {
    HcpIdent req;
    HcpIdent ack;
};

LeafSignals bind_leaf(ModelArena& model, const ZyncArbBind& bind) {
    return draw_id_by_take(model.take<Arb>(bind.arb_i), [&](const Arb& arb) {
        if (bind.channel >= arb.leaves.size())
            fatal("ZyncSchematic::build: channel index out of range for arb");
        return LeafSignals{arb.leaves[bind.channel].req, arb.leaves[bind.channel].ack};
    });
}

}  // namespace

void FlowBlockZync::build_hw_component(ModelArena& model) {
    if (match_all && binds.size() > 1) warn_match_all(base.ident.ident_base.rel_name());
    if (!base.con_blocks.empty()) fatal("zync flow block does not support con blocks");
    const auto [basic_flows, sub_flows] = scan_sub_blocks_by_policy(base.sub_blocks);
    if (!sub_flows.empty())
        fatal("zync flow block supports only basic nodes or basic-flow sub-blocks");
    if (basic_flows.empty() && base.basic_nodes.empty())
        fatal("zync flow block must hold at least one basic node or basic-flow sub-block");
    const uint64_t id = base.ident.global_id();

    const NcpIdent asm_node = make_asm_node_many(model, format("zync_asm_{}", id),
                                                 gen_unified_asm_meta_flat(base, model));
    get_ncp_node_mut(model, asm_node).fill_ext_node(base.triggers);

    const NcpIdent state = make_state_node(model, false, format("zync_state_{}", id));
    get_ncp_node_mut(model, state).fill_ext_node(base.triggers);
    base.gen_nodes.push_back(state);
    assign_ncp_node(model, state, true, false);
    const HcpIdent active = get_ncp_node(model, state).get_exit_opr();

    std::optional<HcpIdent> grant;
    for (size_t k = 0; k < binds.size(); ++k) {
        const ZyncArbBind& bind = binds[k];
        const LeafSignals leaf = bind_leaf(model, bind);
        HcpIdent req_src = active;
        if (bind.cond_i)
            req_src =
                make_expression(model, false, format("zync_req_{}_{}", id, k), LogicOp::BitwiseAnd,
                                active, *bind.cond_i, std::nullopt, std::nullopt);
        drive_wire(model, leaf.req, req_src);
        HcpIdent term = leaf.ack;
        if (bind.cond_i)
            term = make_expression(model, false, format("zync_grant_term_{}_{}", id, k),
                                   LogicOp::BitwiseAnd, leaf.ack, *bind.cond_i, std::nullopt,
                                   std::nullopt);
        grant = grant ? make_expression(model, false, "node_logic_expr",
                                        match_all ? LogicOp::BitwiseAnd : LogicOp::BitwiseOr,
                                        *grant, term, std::nullopt, std::nullopt)
                      : term;
    }
    const HcpIdent no_grant = make_expression_single(model, false, format("zync_no_grant_{}", id),
                                                     LogicOp::BitwiseInvr, *grant, std::nullopt);

    NcpNode& st = get_ncp_node_mut(model, state);
    st.add_depend_node(state, no_grant);
    if (base.triggers.int_start()) st.add_depend_node(*base.triggers.int_start(), std::nullopt);
    get_ncp_node_mut(model, asm_node).add_depend_node(state, *grant);
    assign_asm_from_state_node(model, asm_node);

    // The state's own exit shows it is active, granted or not; successors
    // wait for the cycle in which the grant holds.
    const NcpIdent exit =
        make_pseudo_node(model, format("zync_exit_{}", id), 1, LogicOp::BitwiseAnd);
    get_ncp_node_mut(model, exit).add_depend_node(state, *grant);
    base.gen_nodes.push_back(exit);
    assign_ncp_node(model, exit, true, true);

    built = NodeWrap({state}, exit, IN_CONSIST_CYCLE_USED);
}

}  // namespace vorlent
