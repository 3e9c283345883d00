#include "model/flow_block/cond/cond_chain.hpp"

#include "common/fatal.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"

namespace vorlent {

namespace {

HcpIdent negate(ModelArena& model, const std::string& name, const HcpIdent& cond) {
    return make_expression_single(model, false, name, LogicOp::BitwiseInvr, cond, std::nullopt);
}

HcpIdent both(ModelArena& model, const HcpIdent& a, const HcpIdent& b) {
    return make_expression(model, false, "node_logic_expr", LogicOp::BitwiseAnd, a, b, std::nullopt,
                           std::nullopt);
}

}  // namespace

CondChain CondChain::new_inv(ModelArena& model, std::string_view prefix, uint64_t block_id,
                             const HcpIdent& cond) {
    CondChain chain;
    chain.term_ = negate(model, format("{}_not_cond_{}", prefix, block_id), cond);
    return chain;
}

HcpIdent CondChain::step(ModelArena& model, std::string_view prefix, uint64_t block_id,
                         uint32_t index, const std::optional<HcpIdent>& cond) {
    if (ended()) fatal(format("{} chain {}: branch {} follows its else", prefix, block_id, index));
    if (!cond) return *std::exchange(term_, std::nullopt);
    const HcpIdent enable = both(model, *cond, *term_);
    const HcpIdent inv = negate(model, format("{}_not_elif_{}_{}", prefix, block_id, index), *cond);
    term_ = both(model, *term_, inv);
    return enable;
}

void CondChain::check_next(const FlowBlockIdent& con, FlowBlockType branch_kind,
                           std::string_view wrong_kind, std::string_view head_kind,
                           std::string_view head_name, std::string_view else_name) const {
    assert_eq(con.block_type, branch_kind, wrong_kind);
    if (ended())
        fatal(format("{} '{}': a {} must be the last branch of its chain", head_kind, head_name,
                     else_name));
}

}  // namespace vorlent
