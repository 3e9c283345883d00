// ModelArena methods that make flow blocks. A factory only makes the block:
// it is opened by initialize_flow_block and joins its parent when closed.
// A factory that takes a condition checks first that it selects exactly one
// bit, so a refused call makes nothing. A block's name is never written
// into the Verilog, so any text names a block, but for a block whose
// condition slice becomes an expression named after it.
#include <optional>
#include <vector>

#include "applications/py/model/arena_method_families.hpp"
#include "applications/py/model/hw_component/arena_impl_hwc_py.hpp"
#include "applications/py/model/model_arena_py.hpp"
#include "applications/py/runtime/accessed.hpp"
#include "applications/py/runtime/arg_checks.hpp"
#include "model/flow_block/common/arena_factory_flow_block.hpp"
#include "model/hw_component/slice_check.hpp"

namespace vorlent::py {

namespace {

using CondFactory = FlowBlockIdent (*)(ModelArena&, std::string_view, const HcpIdent&,
                                       const std::optional<Slice>&);

// The cond check, then the model's factory. A factory that resolves its
// condition slice (all but scwait) names the slice's expression
// "{name}_CONDSLICE", so the name must then be one the Verilog takes.
template <FixedString Sig, CondFactory make, bool resolves = true>
Result<FlowBlockIdent> on_checked_cond(ModelArena& m, std::string_view name,
                                       const Reads<HcpIdent>& cond_i,
                                       std::optional<Slice> cond_slice) {
    constexpr std::string_view where = Signature<Sig>::name;
    if (auto err = check_cond_width(m, where, "cond_slice", cond_i, cond_slice)) return *err;
    if (resolves && cond_slice_makes_expression(m, cond_i, cond_slice)) {
        if (auto err = check_name_chars(where, "name", name)) {
            err->message += format(" (with this cond_slice it names the expression {})",
                                   quoted_name(format("{}_CONDSLICE", name)));
            return *err;
        }
    }
    return make(m, name, cond_i, cond_slice);
}

// The table entry of a factory on a condition.
template <FixedString Sig, CondFactory make, FlowBlockType Kind, bool resolves = true>
PyMethodDef cond_maker() {
    return arena_maker<Sig, &on_checked_cond<Sig, make, resolves>, Kind>();
}

FlowBlockIdent mk_flow_block_zstate(ModelArena& m, std::string_view name,
                                    const Reads<HcpIdent>& state_i) {
    return make_flow_block_zstate(m, name, state_i);
}

Result<FlowBlockIdent> mk_flow_block_sywait(ModelArena& m, std::string_view name, int32_t cycle) {
    if (auto err = check_sywait_cycle(cycle)) return *err;
    return make_flow_block_sywait(m, name, uint32_t(cycle));
}

}  // namespace

std::vector<PyMethodDef> flow_block_factory_methods() {
    return {
        arena_maker<"mk_flow_block_seq($self, name)", &make_flow_block_seq,
                    FlowBlockType::Sequential>(),
        arena_maker<"mk_flow_block_par_auto($self, name)", &make_flow_block_par_auto,
                    FlowBlockType::Parallel>(),
        arena_maker<"mk_flow_block_par_no_sync($self, name)", &make_flow_block_par_no_sync,
                    FlowBlockType::Parallel>(),
        cond_maker<"mk_flow_block_cif($self, name, cond_i, cond_slice=None)", &make_flow_block_cif,
                   FlowBlockType::CondIf>(),
        cond_maker<"mk_flow_block_sif($self, name, cond_i, cond_slice=None)", &make_flow_block_sif,
                   FlowBlockType::CondIf>(),
        cond_maker<"mk_flow_block_cselif($self, name, cond_i, cond_slice=None)",
                   &make_flow_block_cselif, FlowBlockType::CondElif>(),
        arena_maker<"mk_flow_block_cselse($self, name)", &make_flow_block_cselse,
                    FlowBlockType::CondElif>(),
        cond_maker<"mk_flow_block_zif($self, name, cond_i, cond_slice=None)", &make_flow_block_zif,
                   FlowBlockType::ZeroCondIf>(),
        cond_maker<"mk_flow_block_zelif($self, name, cond_i, cond_slice=None)",
                   &make_flow_block_zelif, FlowBlockType::ZeroCondElif>(),
        arena_maker<"mk_flow_block_zelse($self, name)", &make_flow_block_zelse,
                    FlowBlockType::ZeroCondElif>(),
        arena_maker<"mk_flow_block_zstate($self, name, state_i)", &mk_flow_block_zstate,
                    FlowBlockType::ZeroSwitch>(),
        arena_maker<"mk_flow_block_zcase($self, name, match_val)", &make_flow_block_zcase,
                    FlowBlockType::ZeroSwitchCase>(),
        cond_maker<"mk_flow_block_cwhile($self, name, cond_i, cond_slice=None)",
                   &make_flow_block_cwhile, FlowBlockType::WhileLoop>(),
        cond_maker<"mk_flow_block_swhile($self, name, cond_i, cond_slice=None)",
                   &make_flow_block_swhile, FlowBlockType::WhileLoop>(),
        cond_maker<"mk_flow_block_do_while($self, name, cond_i, cond_slice=None)",
                   &make_flow_block_do_while, FlowBlockType::DoWhile>(),
        arena_maker<"mk_flow_block_counter_loop($self, name, last_loop_cnt)",
                    &make_flow_block_counter_loop, FlowBlockType::CounterLoop>(),
        cond_maker<"mk_flow_block_scwait($self, name, cond_i, cond_slice=None)",
                   &make_flow_block_scwait, FlowBlockType::Wait, false>(),
        arena_maker<"mk_flow_block_sywait($self, name, cycle)", &mk_flow_block_sywait,
                    FlowBlockType::Wait>(),
        arena_maker<"mk_flow_block_pick($self, name)", &make_flow_block_pick,
                    FlowBlockType::Pick>(),
        cond_maker<"mk_flow_block_pif($self, name, cond_i, cond_slice=None)", &make_flow_block_pif,
                   FlowBlockType::PickIf>(),
        arena_maker<"mk_flow_block_pidef($self, name)", &make_flow_block_pidef,
                    FlowBlockType::PickIf>(),
    };
}

}  // namespace vorlent::py
