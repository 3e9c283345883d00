#include "model/nodes/opr_node.hpp"

#include "common/fatal.hpp"

namespace vorlent {

const NodeTriggers& OprNode::get_node_triggers() const { fatal("OprNode has no triggers"); }
NodeTriggers& OprNode::get_node_triggers_mut() { fatal("OprNode has no triggers"); }
void OprNode::assign_final(ModelArena&) { fatal("OprNode: assign() is not implemented"); }

}  // namespace vorlent
