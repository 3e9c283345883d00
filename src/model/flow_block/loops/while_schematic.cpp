// The while schematics. cwhile and swhile test their condition in a node of
// their own (a pseudo node: no cycle; a state node: one cycle per test)
// before each pass; do-while tests it when the body ends and restarts the
// body's entries directly.
//
// A cwhile or do-while body whose end can follow its entry at once restarts
// through a state (pass_restart): the condition is still read when a pass
// ends, and the next pass is entered one cycle later. A swhile's test state
// already stands between a pass and the next.
#include "common/fatal.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/flow_block/common/block_build.hpp"
#include "model/flow_block/common/pass_restart.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/nodes/arena_factory_node.hpp"
#include "model/nodes/arena_impl_node.hpp"

namespace vorlent {

namespace {

NodeWrap summarize_body(ModelArena& model, const FlowBlockBase& base) {
    NodeWrap body = summarize_block(model, base.sub_blocks.front());
    if (!body.has_exit()) fatal("NodeWrap exit node is not set");
    return body;
}

HcpIdent negated(ModelArena& model, const std::string& name, const HcpIdent& cond) {
    return make_expression_single(model, false, name, LogicOp::BitwiseInvr, cond, std::nullopt);
}

// The loop's exit, fed by each of `preds` under `guard` and assigned at once.
NcpIdent make_loop_exit(ModelArena& model, FlowBlockBase& base, const std::string& name,
                        const std::vector<NcpIdent>& preds, const HcpIdent& guard) {
    const NcpIdent exit = make_pseudo_node(model, name, 1, LogicOp::BitwiseOr);
    NcpNode& node = get_ncp_node_mut(model, exit);
    node.fill_ext_node(base.triggers);
    base.gen_nodes.push_back(exit);
    for (const NcpIdent& pred : preds) node.add_depend_node(pred, guard);
    assign_ncp_node(model, exit, true, true);
    return exit;
}

NodeWrap build_while(const HcpIdent& cond, bool use_state_node, FlowBlockBase& base,
                     ModelArena& model) {
    if (base.sub_blocks.empty()) fatal("while block must have one body block");
    if (!base.con_blocks.empty()) fatal("while block does not support con blocks");
    const uint64_t id = base.ident.global_id();

    const NcpIdent cond_node =
        use_state_node
            ? make_state_node(model, false, format("swhile_cond_{}", id))
            : make_pseudo_node(model, format("cwhile_cond_{}", id), 1, LogicOp::BitwiseOr);
    open_block_entry(model, base, cond_node);

    const NodeWrap body = summarize_body(model, base);
    // Through a state, a pass's end does not go through the test node: it
    // restarts the body under the condition, or ends the loop without it.
    const bool through_state = !use_state_node && restart_through_state(model, body);
    if (!through_state)
        get_ncp_node_mut(model, cond_node).add_depend_node(body.exit(), std::nullopt);
    for (const NcpIdent& entry : body.samples())
        get_ncp_node_mut(model, entry).add_depend_node(cond_node, cond);
    std::vector<NcpIdent> ends{cond_node};
    if (through_state) {
        const DependEdge restart =
            pass_restart_edge(model, base, body, true, format("cwhile_restart_{}", id), cond);
        for (const NcpIdent& entry : body.samples())
            get_ncp_node_mut(model, entry).add_depend_node(restart.node, restart.guard);
        ends.push_back(body.exit());
    }

    const HcpIdent not_cond = negated(model, format("cwhile_not_cond_{}", id), cond);
    const NcpIdent exit = make_loop_exit(model, base, format("cwhile_exit_{}", id), ends, not_cond);
    for (const NcpIdent& entry : body.samples()) assign_ncp_node(model, entry, false, true);
    return NodeWrap({cond_node}, exit, IN_CONSIST_CYCLE_USED);
}

NodeWrap build_do_while(const HcpIdent& cond, FlowBlockBase& base, ModelArena& model) {
    assert_eq(base.sub_blocks.size(), size_t(1), "do-while block must have exactly one body block");
    if (!base.con_blocks.empty()) fatal("do-while block does not support con blocks");
    const uint64_t id = base.ident.global_id();

    const NodeWrap body = summarize_body(model, base);
    const bool through_state = restart_through_state(model, body);
    if (base.triggers.int_start())
        for (const NcpIdent& entry : body.samples())
            get_ncp_node_mut(model, entry)
                .add_depend_node(*base.triggers.int_start(), std::nullopt);
    const DependEdge restart =
        pass_restart_edge(model, base, body, through_state, format("dowhile_restart_{}", id), cond);
    for (const NcpIdent& entry : body.samples())
        get_ncp_node_mut(model, entry).add_depend_node(restart.node, restart.guard);

    const HcpIdent not_cond = negated(model, format("dowhile_not_cond_{}", id), cond);
    const NcpIdent exit =
        make_loop_exit(model, base, format("dowhile_exit_{}", id), {body.exit()}, not_cond);
    // The body's entries are this block's entries: their consumer assigns them.
    return NodeWrap(body.samples(), exit, IN_CONSIST_CYCLE_USED);
}

}  // namespace

void FlowBlockWhile::build_hw_component(ModelArena& model) {
    built = build_while(cond_i, use_state_node, base, model);
}

void FlowBlockDoWhile::build_hw_component(ModelArena& model) {
    built = build_do_while(cond_i, base, model);
}

}  // namespace vorlent
