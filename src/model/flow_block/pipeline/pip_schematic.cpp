// The pipeline schematic: an entrance that fires when the block starts, when
// the body ends and once per cycle while no leaf requests. It is the
// arbiter's master acknowledge, so a grant happens exactly when the body is
// started; a wait state re-checks the requests one cycle later. The exit is
// an operand node on constant 0: the block never ends. A body whose end can
// follow its entry at once makes the entrance fire one cycle after the body
// ends, through a state (pass_restart).
#include "common/fatal.hpp"
#include "model/common/draw_id_by_take.hpp"
#include "model/complex_hardware/arb/arena_impl_arb.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/flow_block/common/block_build.hpp"
#include "model/flow_block/common/pass_restart.hpp"
#include "model/flow_block/pipeline/flow_block_pip.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/model_arena.hpp"
#include "model/nodes/arena_factory_node.hpp"
#include "model/nodes/arena_impl_node.hpp"

namespace vorlent {

void FlowBlockPip::prepare_build(ModelArena& model) {
    std::optional<HcpIdent> hold, reset;
    draw_id_by_take(model.take<Arb>(arb_i), [&](const Arb& arb) {
        hold = arb.user_hold;
        reset = arb.user_reset;
    });
    if (hold) base.hold_srcs.push_back(*hold);
    if (reset) {
        base.rst_srcs.push_back(*reset);
        if (auto_restart) base.start_srcs.push_back(*reset);
    }
}

void FlowBlockPip::build_hw_component(ModelArena& model) {
    assert_eq(base.sub_blocks.size(), size_t(1),
              "pipeline flow block must have exactly one sub-block");
    if (!base.basic_nodes.empty()) fatal("pipeline flow block does not support basic nodes");
    if (!base.con_blocks.empty()) fatal("pipeline flow block does not support con blocks");
    const uint64_t id = base.ident.global_id();

    const HcpIdent mreq = model.get<Arb>(arb_i).master_req;
    const HcpIdent no_mreq = make_expression_single(model, false, format("pip_no_mreq_{}", id),
                                                    LogicOp::BitwiseInvr, mreq, std::nullopt);

    // The wait state is not held: a held pipeline keeps polling its requests.
    const NcpIdent wait = make_state_node(model, false, format("pip_wait4syn_{}", id));
    NodeTriggers unheld = base.triggers;
    unheld.set_hold(std::nullopt);
    get_ncp_node_mut(model, wait).fill_ext_node(unheld);
    base.gen_nodes.push_back(wait);

    const NcpIdent entrance =
        make_pseudo_node(model, format("pip_entrance_{}", id), 1, LogicOp::BitwiseOr);
    get_ncp_node_mut(model, entrance).fill_ext_node(base.triggers);
    base.gen_nodes.push_back(entrance);

    const NodeWrap body = summarize_block(model, base.sub_blocks.front());
    const bool through_state = restart_through_state(model, body);
    get_ncp_node_mut(model, wait).add_depend_node(entrance, no_mreq);
    for (const NcpIdent& entry : body.samples())
        get_ncp_node_mut(model, entry).add_depend_node(entrance, mreq);
    const DependEdge restart = pass_restart_edge(model, base, body, through_state,
                                                 format("pip_restart_{}", id), std::nullopt);
    NcpNode& ent = get_ncp_node_mut(model, entrance);
    ent.add_depend_node(restart.node, restart.guard);
    ent.add_depend_node(wait, std::nullopt);
    if (base.triggers.int_start()) ent.add_depend_node(*base.triggers.int_start(), std::nullopt);

    const HcpIdent zero = make_val(model, false, format("pip_zero_{}", id), 1, 0);
    const NcpIdent dummy_exit = make_opr_node(model, format("pip_dummy_exit_{}", id), zero);
    base.gen_nodes.push_back(dummy_exit);

    arb_set_master_ack_src(model, arb_i, get_ncp_node(model, entrance).get_exit_opr());

    assign_ncp_node(model, entrance, true, false);
    assign_ncp_node(model, wait, true, true);
    for (const NcpIdent& entry : body.samples()) assign_ncp_node(model, entry, false, true);
    built = NodeWrap({entrance}, dummy_exit, IN_CONSIST_CYCLE_USED);
}

}  // namespace vorlent
