#include "model/flow_block/common/pass_restart.hpp"

#include "model/nodes/arena_factory_node.hpp"
#include "model/nodes/arena_impl_node.hpp"

namespace vorlent {

bool restart_through_state(ModelArena& model, const NodeWrap& body) {
    return body.has_exit() &&
           exit_follows_entries_at_once(model, body.exit(), body.samples(), body.made());
}

DependEdge pass_restart_edge(ModelArena& model, FlowBlockBase& base, const NodeWrap& body,
                             bool through_state, const std::string& name,
                             std::optional<HcpIdent> guard) {
    if (!through_state) return DependEdge{body.exit(), std::move(guard)};
    const NcpIdent state = make_state_node(model, false, name);
    NcpNode& node = get_ncp_node_mut(model, state);
    node.fill_ext_node(base.triggers);
    node.add_depend_node(body.exit(), std::move(guard));
    base.gen_nodes.push_back(state);
    assign_ncp_node(model, state, true, true);
    return DependEdge{state, std::nullopt};
}

}  // namespace vorlent
