// ModelArena methods that make the blocks bound to arbiters: the pipeline
// and the zync blocks. Each registers its leaves on the arbiters when it is
// made; like every factory it neither opens the block nor attaches it.
#include <optional>
#include <tuple>
#include <vector>

#include "applications/py/model/arena_method_families.hpp"
#include "applications/py/model/complex_hardware/arena_impl_ccp_py.hpp"
#include "applications/py/model/model_arena_py.hpp"
#include "applications/py/runtime/accessed.hpp"
#include "model/controller/asm_mode.hpp"
#include "model/flow_block/common/arena_factory_flow_block_arb.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"

namespace vorlent::py {

namespace {

// One bind as the caller writes it: (arbiter, priority or None, auto_ack, condition or None).
using PyZyncBind = std::tuple<CcpIdent, std::optional<int32_t>, bool, std::optional<HcpIdent>>;

// The block registers its leaf on the arbiter `arb_i` names before the
// model looks at the identity's kind, so another kind is refused here.
CheckResult check_arb(std::string_view param_name, const CcpIdent& arb_i) {
    return check_ccp_kind(param_name, arb_i, CcpType::Arb);
}

Result<FlowBlockIdent> mk_flow_block_pip(ModelArena& m, std::string_view name,
                                         const CcpIdent& arb_i, std::optional<int32_t> priority,
                                         bool auto_req, bool auto_restart) {
    if (auto err = check_arb("arb_i", arb_i)) return *err;
    return make_flow_block_pip(m, name, arb_i, priority.value_or(DEFAULT_UE_PRI_USER), auto_req,
                               auto_restart);
}

Result<FlowBlockIdent> mk_flow_block_zync(ModelArena& m, std::string_view name,
                                          const CcpIdent& arb_i, std::optional<int32_t> priority,
                                          bool auto_ack) {
    if (auto err = check_arb("arb_i", arb_i)) return *err;
    return make_flow_block_zync(m, name, arb_i, priority.value_or(DEFAULT_UE_PRI_USER), auto_ack);
}

// A bind without a priority takes the method's own, or 10 without that too.
Result<FlowBlockIdent> mk_flow_block_zync_multi(ModelArena& m, std::string_view name,
                                                const Reads<std::vector<PyZyncBind>>& binds,
                                                bool match_all, std::optional<int32_t> priority) {
    if (binds.empty()) return ErrorText::value("zync requires at least one arb bind");
    const int32_t fallback = priority.value_or(DEFAULT_UE_PRI_USER);
    std::vector<ZyncBindArgs> bind_args;
    bind_args.reserve(binds.size());
    for (size_t i = 0; i < binds.size(); ++i) {
        const auto& [arb_i, bind_priority, auto_ack, cond_i] = binds[i];
        if (auto err = check_arb(format("binds[{}][0]", i), arb_i)) return *err;
        // A wider condition would be read as "nonzero" where the leaf asks for one bit.
        if (cond_i)
            if (const int32_t width = hcp_full_width(m, *cond_i); width != 1)
                return ErrorText::value(format(
                    "mk_flow_block_zync_multi: binds[{}][3], the condition of bind {} of {} "
                    "(counted from 0), \"{}\", is {} bits wide; a bind's condition is a 1-bit "
                    "signal, or None for a bind that requests whenever the block waits",
                    i, i, binds.size(), cond_i->abs_name(), width));
        bind_args.push_back(
            ZyncBindArgs{arb_i, bind_priority.value_or(fallback), auto_ack, cond_i});
    }
    return make_flow_block_zync_multi(m, name, bind_args, match_all);
}

}  // namespace

std::vector<PyMethodDef> flow_block_arb_factory_methods() {
    return {
        arena_maker<"mk_flow_block_pip($self, name, arb_i, priority=None, auto_req=False, "
                    "auto_restart=False)", &mk_flow_block_pip, FlowBlockType::Pipeline,
                    Describes::Behaviour>(),
        arena_maker<"mk_flow_block_zync($self, name, arb_i, priority=None, auto_ack=False)",
                    &mk_flow_block_zync, FlowBlockType::Zync, Describes::Behaviour>(),
        arena_maker<"mk_flow_block_zync_multi($self, name, binds, match_all, priority=None)",
                    &mk_flow_block_zync_multi, FlowBlockType::Zync, Describes::Behaviour>(),
    };
}

}  // namespace vorlent::py
