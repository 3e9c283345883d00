#include "model/flow_block/common/flow_block_scope.hpp"

namespace vorlent {

void attach_basic_node_to_current_scope(ModelArena& model, const NcpIdent& node) {
    if (!model.flow_block_stack.empty())
        fatal("attach_basic_node_to_current_scope: flow-block scopes are not built yet");
    add_basic_node_to_top_module(model, node);
}

void add_basic_node_to_top_module(ModelArena& model, const NcpIdent& node) {
    if (!model.top_module) fatal("add_basic_node_to_top_module: no top module set");
    auto top = model.take<Module>(*model.top_module);
    top->basic_nodes.push_back(node);
    top.put_back();
}

}  // namespace vorlent
