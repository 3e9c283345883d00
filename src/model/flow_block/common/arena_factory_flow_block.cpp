#include "model/flow_block/common/arena_factory_flow_block.hpp"

#include "model/arena_insert.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"

namespace vorlent {

namespace {
// A block of kind `Kind` on the condition its slice resolves to: the slice
// expression, when one is made, draws its id before the block.
template <class Kind, class... Extra>
FlowBlockIdent make_on_resolved_cond(ModelArena& model, std::string_view name, const HcpIdent& cond,
                                     const std::optional<Slice>& slice, Extra... extra) {
    HcpIdent c = resolve_cond_slice(model, name, cond, slice);
    return insert_flow_block(model, Kind::make(name, std::move(c), extra...));
}
}  // namespace

FlowBlockIdent make_flow_block_seq(ModelArena& model, std::string_view name) {
    return insert_flow_block(model, FlowBlockSeq::make(name));
}

FlowBlockIdent make_flow_block_par_auto(ModelArena& model, std::string_view name) {
    return insert_flow_block(model, FlowBlockPar::new_auto_sync(name));
}

FlowBlockIdent make_flow_block_par_no_sync(ModelArena& model, std::string_view name) {
    return insert_flow_block(model, FlowBlockPar::new_no_sync(name));
}

FlowBlockIdent make_flow_block_zelse(ModelArena& model, std::string_view name) {
    return insert_flow_block(model, FlowBlockZeroCondElif::make(name, std::nullopt));
}

FlowBlockIdent make_flow_block_cselse(ModelArena& model, std::string_view name) {
    return insert_flow_block(model, FlowBlockCondElif::make(name, std::nullopt));
}

FlowBlockIdent make_flow_block_pick(ModelArena& model, std::string_view name) {
    return insert_flow_block(model, FlowBlockPick::make(name));
}

FlowBlockIdent make_flow_block_pidef(ModelArena& model, std::string_view name) {
    return insert_flow_block(model, FlowBlockPickIf::make(name, std::nullopt));
}

FlowBlockIdent make_flow_block_zcase(ModelArena& model, std::string_view name, int32_t match_val) {
    return insert_flow_block(model, FlowBlockZeroSwitchCase::make(name, match_val));
}

FlowBlockIdent make_flow_block_zstate(ModelArena& model, std::string_view name,
                                      const HcpIdent& state_i) {
    check_names_hcp(model, state_i);
    return insert_flow_block(model, FlowBlockZeroSwitch::make(name, state_i));
}

FlowBlockIdent make_flow_block_sywait(ModelArena& model, std::string_view name, uint32_t cycles) {
    return insert_flow_block(model, FlowBlockWait::make_cycle(name, cycles));
}

FlowBlockIdent make_flow_block_counter_loop(ModelArena& model, std::string_view name,
                                            int32_t last_loop_cnt) {
    return insert_flow_block(model, FlowBlockCounterLoop::make(name, last_loop_cnt));
}

bool cond_slice_makes_expression(const ModelArena& model, const HcpIdent& cond,
                                 const std::optional<Slice>& slice) {
    if (!slice || slice->stop <= slice->start || slice->start < 0) return false;
    const Slice whole = get_hcp_assign(model, cond).get_des_slice();
    return slice->start > whole.start || slice->stop < whole.stop;
}

HcpIdent resolve_cond_slice(ModelArena& model, std::string_view name, const HcpIdent& cond,
                            const std::optional<Slice>& slice) {
    if (!cond_slice_makes_expression(model, cond, slice)) return cond;
    return make_expression_single(model, false, format("{}_CONDSLICE", name), LogicOp::SliceBit,
                                  cond, *slice);
}

FlowBlockIdent make_flow_block_cif(ModelArena& model, std::string_view name, const HcpIdent& cond,
                                   const std::optional<Slice>& slice) {
    return make_on_resolved_cond<FlowBlockCond>(model, name, cond, slice, false);
}

FlowBlockIdent make_flow_block_sif(ModelArena& model, std::string_view name, const HcpIdent& cond,
                                   const std::optional<Slice>& slice) {
    return make_on_resolved_cond<FlowBlockCond>(model, name, cond, slice, true);
}

FlowBlockIdent make_flow_block_cselif(ModelArena& model, std::string_view name,
                                      const HcpIdent& cond, const std::optional<Slice>& slice) {
    return make_on_resolved_cond<FlowBlockCondElif>(model, name, cond, slice);
}

FlowBlockIdent make_flow_block_zif(ModelArena& model, std::string_view name, const HcpIdent& cond,
                                   const std::optional<Slice>& slice) {
    return make_on_resolved_cond<FlowBlockZeroCondIf>(model, name, cond, slice);
}

FlowBlockIdent make_flow_block_zelif(ModelArena& model, std::string_view name, const HcpIdent& cond,
                                     const std::optional<Slice>& slice) {
    return make_on_resolved_cond<FlowBlockZeroCondElif>(model, name, cond, slice);
}

FlowBlockIdent make_flow_block_pif(ModelArena& model, std::string_view name, const HcpIdent& cond,
                                   const std::optional<Slice>& slice) {
    return make_on_resolved_cond<FlowBlockPickIf>(model, name, cond, slice);
}

FlowBlockIdent make_flow_block_cwhile(ModelArena& model, std::string_view name,
                                      const HcpIdent& cond, const std::optional<Slice>& slice) {
    return make_on_resolved_cond<FlowBlockWhile>(model, name, cond, slice, false);
}

FlowBlockIdent make_flow_block_swhile(ModelArena& model, std::string_view name,
                                      const HcpIdent& cond, const std::optional<Slice>& slice) {
    return make_on_resolved_cond<FlowBlockWhile>(model, name, cond, slice, true);
}

FlowBlockIdent make_flow_block_do_while(ModelArena& model, std::string_view name,
                                        const HcpIdent& cond, const std::optional<Slice>& slice) {
    return make_on_resolved_cond<FlowBlockDoWhile>(model, name, cond, slice);
}

FlowBlockIdent make_flow_block_scwait(ModelArena& model, std::string_view name,
                                      const HcpIdent& cond, const std::optional<Slice>& slice) {
    Slice range;
    if (slice) {
        range = *slice;
    } else {
        const Slice whole = get_hcp_assign(model, cond).get_des_slice();
        range = Slice::range(0, whole.stop - whole.start);
    }
    return insert_flow_block(model, FlowBlockWait::make_cond(name, cond, range));
}

}  // namespace vorlent
