#include "model/nodes/arena_factory_node.hpp"

#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

namespace {
// Inserts the node and reads its identity back from the slot (which tests
// the new handle).
template <class T>
NcpIdent insert_node(ModelArena& model, T node) {
    const ArenaHandle h = model.arena<T>().insert(std::move(node));
    return model.arena<T>().get(h).ident;
}
}  // namespace

NcpIdent make_asm_node(ModelArena& model, bool is_user_com, std::string_view name,
                       AssignMeta meta) {
    AsmNode n;
    n.ident = NcpIdent::make(NodeType::Asm, is_user_com, name);
    n.asm_metas.push_back(std::move(meta));
    return insert_node(model, std::move(n));
}

NcpIdent make_asm_node_many(ModelArena& model, std::string_view name,
                            std::vector<AssignMeta> metas) {
    if (metas.empty()) fatal("assertion failed: !metas.is_empty()");
    AsmNode n;
    n.ident = NcpIdent::make(NodeType::Asm, false, name);
    n.asm_metas = AssignMetaList(std::make_move_iterator(metas.begin()),
                                 std::make_move_iterator(metas.end()));
    return insert_node(model, std::move(n));
}

NcpIdent make_opr_node(ModelArena& model, std::string_view name, const HcpIdent& operand) {
    OprNode n;
    n.ident = NcpIdent::make(NodeType::Opr, false, name);
    n.operand = operand;
    return insert_node(model, std::move(n));
}

NcpIdent make_pseudo_node(ModelArena& model, std::string_view name, uint32_t width,
                          LogicOp join_op) {
    if (join_op != LogicOp::BitwiseAnd && join_op != LogicOp::BitwiseOr)
        fatal("assertion failed: matches!(join_op, LogicOp::BitwiseAnd | LogicOp::BitwiseOr)");
    PseudoNode n;
    n.expr = make_expression_empty(model, false, "pseudo_init_expr", width);
    n.ident = NcpIdent::make(NodeType::Pseudo, false, name);
    n.width = width;
    n.join_op = join_op;
    return insert_node(model, std::move(n));
}

NcpIdent make_state_node(ModelArena& model, bool is_user_com, std::string_view name) {
    return insert_node(model, StateNode::make(model, is_user_com, name));
}

NcpIdent make_start_node(ModelArena& model, std::string_view name, const HcpIdent& start_src) {
    return insert_node(model, StartNode::make(model, name, start_src));
}

NcpIdent make_syn_node(ModelArena& model, bool is_user_com, std::string_view name,
                       int32_t syn_size) {
    return insert_node(model, SynNode::make(model, is_user_com, name, syn_size));
}

NcpIdent make_wait_cond_node(ModelArena& model, bool is_user_com, std::string_view name,
                             const HcpIdent& cond, uint32_t start, uint32_t stop) {
    return insert_node(model, WaitCondNode::make(model, is_user_com, name, cond, start, stop));
}

NcpIdent make_wait_cycle_node(ModelArena& model, bool is_user_com, std::string_view name,
                              int32_t cycle) {
    return insert_node(model, WaitCycleNode::make_with_cycle(model, is_user_com, name, cycle));
}

NcpIdent make_counter_node(ModelArena& model, bool is_user_com, std::string_view name,
                           int32_t last_loop_cnt) {
    return insert_node(model, CounterNode::make(model, is_user_com, name, last_loop_cnt));
}

}  // namespace vorlent
