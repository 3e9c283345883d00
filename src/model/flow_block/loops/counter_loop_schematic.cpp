// The counter loop schematic: a counter node counts the body's completions;
// a zero-cycle loop node restarts the body until the count reaches its last
// value, and the exit node fires on the last completion instead.
//
// The exit also clears the counter, so that a loop entered again (inside a
// while loop, say) starts from zero and runs its full number of passes.
// A body whose end can follow its entry at once restarts through a state
// (pass_restart): each later pass is entered one cycle after a pass ends.
#include "common/fatal.hpp"
#include "model/common/draw_id_by_take.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/flow_block/common/pass_restart.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/model_arena.hpp"
#include "model/nodes/arena_factory_node.hpp"
#include "model/nodes/arena_impl_node.hpp"

namespace vorlent {

namespace {

NcpIdent make_filled_pseudo(ModelArena& model, FlowBlockBase& base, const std::string& name) {
    const NcpIdent node = make_pseudo_node(model, name, 1, LogicOp::BitwiseOr);
    get_ncp_node_mut(model, node).fill_ext_node(base.triggers);
    base.gen_nodes.push_back(node);
    return node;
}

HcpIdent counter_register(ModelArena& model, const NcpIdent& counter) {
    return draw_id_by_take(model.take<CounterNode>(counter),
                           [](const CounterNode& n) { return n.get_cnt_reg(); });
}

NodeWrap build_counter_loop(int32_t last_loop_cnt, OptIdent<HcpIdent>& loop_id_expr_i,
                            FlowBlockBase& base, ModelArena& model) {
    assert_eq(base.sub_blocks.size(), size_t(1), "counter loop must have exactly one body block");
    if (!base.con_blocks.empty()) fatal("counter loop does not support con blocks");
    const uint64_t id = base.ident.global_id();

    const NodeWrap body = summarize_block(model, base.sub_blocks.front());
    if (!body.has_exit()) fatal("NodeWrap exit node is not set");
    const bool through_state = restart_through_state(model, body);

    const NcpIdent counter =
        make_counter_node(model, false, format("cloop_cnt_{}", id), last_loop_cnt);
    get_ncp_node_mut(model, counter).fill_ext_node(base.triggers);
    base.gen_nodes.push_back(counter);
    loop_id_expr_i = counter_register(model, counter);

    // The at-last signal is not bound with the internal reset, so it exists
    // before the counter's reset (the exit, made below) is known.
    get_ncp_node_mut(model, counter).add_depend_node(body.exit(), std::nullopt);
    assign_ncp_node(model, counter, true, false);
    const HcpIdent at_last = get_ncp_node(model, counter).get_exit_opr();

    const NcpIdent loop = make_filled_pseudo(model, base, format("cloop_loop_{}", id));
    if (base.triggers.int_start())
        get_ncp_node_mut(model, loop).add_depend_node(*base.triggers.int_start(), std::nullopt);
    const HcpIdent not_last = make_expression_single(model, false, format("cloop_not_last_{}", id),
                                                     LogicOp::BitwiseInvr, at_last, std::nullopt);
    const DependEdge restart = pass_restart_edge(model, base, body, through_state,
                                                 format("cloop_restart_{}", id), not_last);
    get_ncp_node_mut(model, loop).add_depend_node(restart.node, restart.guard);
    for (const NcpIdent& entry : body.samples())
        get_ncp_node_mut(model, entry).add_depend_node(loop, std::nullopt);

    const NcpIdent exit = make_filled_pseudo(model, base, format("cloop_exit_{}", id));
    get_ncp_node_mut(model, exit).add_depend_node(body.exit(), at_last);
    assign_ncp_node(model, exit, true, true);

    // Leaving the loop clears the counter, as does the block's own reset.
    NcpIdent clear = exit;
    if (base.triggers.int_reset()) {
        clear = make_filled_pseudo(model, base, format("cloop_rst_{}", id));
        NcpNode& node = get_ncp_node_mut(model, clear);
        node.add_depend_node(exit, std::nullopt);
        node.add_depend_node(*base.triggers.int_reset(), std::nullopt);
        assign_ncp_node(model, clear, true, true);
    }
    get_ncp_node_mut(model, counter).set_int_reset_node(clear);
    assign_ncp_node(model, counter, false, true);

    for (const NcpIdent& entry : body.samples()) assign_ncp_node(model, entry, false, true);

    // A fixed latency is the plain product: the passes follow each other at
    // once. A body restarted through a state, one cycle after a pass, never
    // has a fixed latency: it can end in its entry cycle, so a fixed latency
    // would be 0, and no block reports 0 (a leaf takes a cycle or more; any
    // other block reports a sum, the largest, the common value or a positive
    // multiple of its parts' latencies). A latency too large for 32 bits is
    // not a fixed latency a parent can use.
    int32_t cycle = IN_CONSIST_CYCLE_USED;
    if (body.cycle() != IN_CONSIST_CYCLE_USED) {
        const int64_t product = int64_t(last_loop_cnt) * int64_t(body.cycle());
        if (product <= INT32_MAX) cycle = int32_t(product);
    }
    return NodeWrap({loop}, exit, cycle);
}

}  // namespace

void FlowBlockCounterLoop::build_hw_component(ModelArena& model) {
    built = build_counter_loop(last_loop_cnt, loop_id_expr_i, base, model);
}

}  // namespace vorlent
