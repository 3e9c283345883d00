#include "model/nodes/ncp_node.hpp"

#include <cstdio>

#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/nodes/arena_impl_node.hpp"

namespace vorlent {

void fatal_not_implemented(std::string_view op) { fatal(format("{}: not implemented", op)); }

void HasNodeTriggerSig::fill_ext_node(const NodeTriggers& ext) {
    NodeTriggers& t = get_node_triggers_mut();
    t.set_hold(ext.hold());
    t.set_int_reset(ext.int_reset());
    t.set_mrst(ext.mrst());
    t.set_clk(ext.clk());
}

HcpIdent NcpNode::get_exit_opr() const { fatal_not_implemented("get_exit_opr"); }
HcpIdent NcpNode::get_state_operating() const { fatal_not_implemented("get_state_operating"); }
void NcpNode::dry_assign(ModelArena&) { fatal_not_implemented("dry_assign"); }

std::string NcpNode::get_md_ident_val() const {
    char addr[2 + 2 * sizeof(uintptr_t) + 1];
    std::snprintf(addr, sizeof addr, "0x%jx", uintmax_t(reinterpret_cast<uintptr_t>(this)));
    return format("{} @ {}", node_type_display(get_node_type()), std::string_view(addr));
}

HcpIdent NcpNode::resolve_node_exit_opr(const ModelArena& model, const NcpIdent& node) const {
    // While this node is being assigned its slot holds the default node, so
    // it answers for itself.
    if (node == get_ncp_ident()) return get_exit_opr();
    return get_ncp_node(model, node).get_exit_opr();
}

void NcpNode::init_ctrl_sigs(TriggerSig& sig, const ModelArena& model) const {
    const NodeTriggers& t = get_node_triggers();
    auto resolve = [&](const std::optional<NcpIdent>& n) -> std::optional<HcpIdent> {
        if (!n) return std::nullopt;
        return resolve_node_exit_opr(model, *n);
    };
    sig.set_hold(resolve(t.hold()));
    sig.set_int_reset(resolve(t.int_reset()));
    sig.set_mrst(resolve(t.mrst()));
    sig.set_clk(resolve(t.clk()));
}

TriggerSig NcpNode::to_trigger_sig(const ModelArena& model) const {
    TriggerSig sig;
    init_ctrl_sigs(sig, model);
    for (const DependEdge& e : get_node_triggers().depend_nodes)
        sig.push_depend_node(resolve_node_exit_opr(model, e.node), e.guard);
    return sig;
}

namespace {
// x AND NOT (exit of `ctrl`), as the expressions `inv_name` and `and_name`.
HcpIdent bind_with_inverse(ModelArena& model, const HcpIdent& x, const NcpIdent& ctrl,
                           std::string_view inv_name, std::string_view and_name) {
    const HcpIdent ctrl_exit = get_ncp_node(model, ctrl).get_exit_opr();
    const HcpIdent inv = make_expression_single(model, false, inv_name, LogicOp::BitwiseInvr,
                                                ctrl_exit, std::nullopt);
    return make_expression(model, false, and_name, LogicOp::BitwiseAnd, x, inv, std::nullopt,
                           std::nullopt);
}
}  // namespace

HcpIdent NcpNode::bind_with_rst_output_if_reset(ModelArena& model, const HcpIdent& raw) const {
    const std::optional<NcpIdent>& rst = get_node_triggers().int_reset();
    if (!rst) return raw;
    return bind_with_inverse(model, raw, *rst, "node_int_inv", "node_bind_rst");
}

HcpIdent NcpNode::bind_with_hold_if_hold(ModelArena& model, const HcpIdent& x) const {
    const std::optional<NcpIdent>& hold = get_node_triggers().hold();
    if (!hold) return x;
    return bind_with_inverse(model, x, *hold, "node_hold_inv", "node_bind_hold");
}

int32_t NcpNode::cycle_unless_controlled(int32_t fixed) const {
    const NodeTriggers& t = get_node_triggers();
    return (t.hold() || t.int_reset()) ? -1 : fixed;
}

}  // namespace vorlent
