#include "model/nodes/syn_node.hpp"

#include "model/hw_component/sp_reg/arena_factory_sp_reg.hpp"
#include "model/nodes/sp_reg_node_steps.hpp"

namespace vorlent {

SynNode SynNode::make(ModelArena& model, bool is_user_com, std::string_view name,
                      int32_t syn_size) {
    if (syn_size < 1) fatal("assertion failed: syn_size > 0");
    SynNode n = around<SynNode>(make_sync_reg(model, format("{}_SY", name), syn_size),
                                NodeType::Syn, is_user_com, name);
    n.syn_size = syn_size;
    return n;
}

void SynNode::assign_prelim(ModelArena& model) {
    set_raw_and_exit(model, build_reg_support<SyncReg>(
                                model, reg, [](const SyncReg& r) { return r.end_expr; },
                                "end_expr after build_support_signal"));
}

void SynNode::assign_final(ModelArena& model) {
    build_reg_events<SyncReg>(model, reg, to_trigger_sig(model));
}

HcpIdent SynNode::get_exit_opr() const {
    return set_or_fatal(exit_opr,
                        "SynNode::get_exit_opr: bound_exit_i not set \u2014 call assign_prelim "
                        "before reading exit_opr");
}

}  // namespace vorlent
