#include "model/nodes/asm_node.hpp"

#include <span>

#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/hw_component/update_event/arena_impl_update_event.hpp"
#include "model/nodes/arena_impl_node.hpp"

namespace vorlent {

namespace {

void require_assignments(std::span<const AssignMeta> metas) {
    if (metas.empty()) fatal("assertion failed: !self.asm_metas.is_empty()");
}

void add_to_destination_pool(ModelArena& model, const AssignMeta& meta) {
    auto des = take_hcp(model, meta.des);
    des->add_update_event(meta.cur_ue);
    des.put_back();
}

}  // namespace

void AsmNode::assign_prelim(ModelArena&) {
    fatal("AsmNode::assign_prelim(): is not support in AsmNode");
}

void AsmNode::assign_final(ModelArena&) {
    fatal("AsmNode::assign_final(): use assign_from_state_node or dry_assign");
}

void AsmNode::dry_assign(ModelArena& model) {
    require_assignments(asm_metas);
    assert_eq(triggers.depend_nodes.size(), size_t(0), "dry assign must have no depend nodes");
    for (const AssignMeta& meta : asm_metas) add_to_destination_pool(model, meta);
}

void AsmNode::assign_from_state_node(ModelArena& model) {
    assert_eq(triggers.depend_nodes.size(), size_t(1),
              "AsmNode must have exactly one parent depend");
    require_assignments(asm_metas);

    const DependEdge parent = triggers.depend_nodes.front();
    const HcpIdent state_operating = get_ncp_node(model, parent.node).get_state_operating();
    const std::optional<HcpIdent> hold =
        triggers.hold() ? std::optional(resolve_node_exit_opr(model, *triggers.hold()))
                        : std::nullopt;
    const std::optional<HcpIdent> rst =
        triggers.int_reset() ? std::optional(resolve_node_exit_opr(model, *triggers.int_reset()))
                             : std::nullopt;

    std::optional<HcpIdent> cond = parent.guard;
    auto and_into = [&](const HcpIdent& part) {
        cond = cond ? make_expression(model, false, "node_logic_expr", LogicOp::BitwiseAnd, *cond,
                                      part, std::nullopt, std::nullopt)
                    : part;
    };
    if (hold)
        and_into(make_expression_single(model, false, "asm_hold_inv", LogicOp::BitwiseInvr, *hold,
                                        std::nullopt));
    if (rst)
        and_into(make_expression_single(model, false, "asm_rst_inv", LogicOp::BitwiseInvr, *rst,
                                        std::nullopt));
    and_into(state_operating);

    for (AssignMeta& meta : asm_metas) {
        meta.add_specific_pre_condition(*cond, model);
        add_to_destination_pool(model, meta);
    }
}

void AsmNode::set_clk_src(ModelArena& model, const std::optional<HcpIdent>& clk) {
    std::optional<HcpIdent> src = clk;
    if (!src) {
        if (!triggers.clk()) return;
        src = resolve_node_exit_opr(model, *triggers.clk());
    }
    for (const AssignMeta& meta : asm_metas) {
        // Clock-free and folded assignments carry no clock of their own.
        if (!is_edge_clocked(meta.clk_mode) || meta.cur_ue.kind == UeType::Untype) continue;
        auto ue = take_ue(model, meta.cur_ue);
        ue->set_clk_src_i(src);
        ue.put_back();
    }
}

void AsmNode::apply_pending_pre_cond(ModelArena& model) {
    for (AssignMeta& meta : asm_metas) meta.apply_pending_pre_cond(model);
}

}  // namespace vorlent
