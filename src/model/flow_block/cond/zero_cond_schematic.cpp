// The zero-delay conditionals fold every assignment of every branch into one
// assignment node whose events carry the branch structure: an if / else-if /
// else chain (zif) or a case statement (zstate). The parent then treats that
// node like one plain assignment.
#include "common/fatal.hpp"
#include "model/common/draw_id_by_take.hpp"
#include "model/flow_block/common/block_build.hpp"
#include "model/flow_block/cond/cond_chain.hpp"
#include "model/flow_block/cond/flow_block_zero_cond.hpp"
#include "model/hw_component/common/asm_meta_helper/assign_meta_pools.hpp"
#include "model/model_arena.hpp"
#include "model/nodes/arena_factory_node.hpp"

namespace vorlent {

void FlowBlockZeroCondIf::build_hw_component(ModelArena& model) {
    const uint64_t id = base.ident.global_id();
    metas = gen_unified_asm_meta_flat(base, model);
    AssignMetaIfPool pool;
    pool.insert_asms(model, cond, cond, metas);

    CondChain chain = CondChain::new_inv(model, "zcif", id, cond);
    for (size_t e = 0; e < base.con_blocks.size(); ++e) {
        const FlowBlockIdent& con = base.con_blocks[e];
        chain.check_next(con, FlowBlockType::ZeroCondElif,
                         "zero-cond-if con blocks must be ZeroCondElif", "zero-cond-if",
                         base.ident.ident_base.rel_name(), "zelse");
        draw_id_by_take(
            model.take<FlowBlockZeroCondElif>(con), [&](const FlowBlockZeroCondElif& b) {
                const HcpIdent enable = chain.step(model, "zcif", id, uint32_t(e), b.cond);
                pool.insert_asms(model, b.cond, enable, b.metas);
            });
    }
    result = make_asm_node_many(model, format("zcif_result_{}", id), pool.gen_assign_metas(model));
}

void FlowBlockZeroCondElif::build_hw_component(ModelArena& model) {
    metas = gen_unified_asm_meta_flat(base, model);
}

void FlowBlockZeroSwitch::build_hw_component(ModelArena& model) {
    AssignMetaSwitchPool pool;
    for (const FlowBlockIdent& sub : base.sub_blocks) {
        assert_eq(sub.block_type, FlowBlockType::ZeroSwitchCase,
                  "zero-switch sub blocks must be ZeroSwitchCase");
        draw_id_by_take(model.take<FlowBlockZeroSwitchCase>(sub),
                        [&](const FlowBlockZeroSwitchCase& c) {
                            pool.insert_asms(model, selector, c.match_val, c.metas);
                        });
    }
    result = make_asm_node_many(model, format("zsw_result_{}", base.ident.global_id()),
                                pool.gen_assign_metas(model));
}

void FlowBlockZeroSwitchCase::build_hw_component(ModelArena& model) {
    metas = gen_unified_asm_meta_flat(base, model);
}

}  // namespace vorlent
