// The wait schematic: one wait node, which is the block's entry and its
// exit; a wait on a condition has no fixed latency, a wait of N cycles takes
// N unless a hold or reset may stretch it.
#include "common/fatal.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/nodes/arena_factory_node.hpp"
#include "model/nodes/arena_impl_node.hpp"

namespace vorlent {

namespace {

NcpIdent make_wait_node(ModelArena& model, const WaitCondTarget& t, uint64_t id) {
    return make_wait_cond_node(model, false, format("scwait_{}", id), t.cond_i,
                               uint32_t(t.cond_slice.start), uint32_t(t.cond_slice.stop));
}

NcpIdent make_wait_node(ModelArena& model, const WaitCycleTarget& t, uint64_t id) {
    return make_wait_cycle_node(model, false, format("sywait_{}", id), int32_t(t.cycle));
}

NodeWrap build_wait(const std::variant<WaitCondTarget, WaitCycleTarget>& target,
                    FlowBlockBase& base, ModelArena& model) {
    const uint64_t id = base.ident.global_id();
    const NcpIdent node =
        std::visit([&](const auto& t) { return make_wait_node(model, t, id); }, target);
    {
        NcpNode& n = get_ncp_node_mut(model, node);
        n.fill_ext_node(base.triggers);
        if (base.triggers.int_start()) n.add_depend_node(*base.triggers.int_start(), std::nullopt);
    }
    base.gen_nodes.push_back(node);
    assign_ncp_node(model, node, true, false);
    return NodeWrap({node}, node, get_ncp_node(model, node).get_cycle_used());
}

}  // namespace

void FlowBlockWait::build_hw_component(ModelArena& model) {
    built = build_wait(target, base, model);
}

}  // namespace vorlent
