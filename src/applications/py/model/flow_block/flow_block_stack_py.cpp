// ModelArena methods for the life of a flow block on the flow-block stack:
// opening, closing, the end of a module's description, the completeness
// check, and which kind of skeleton block encloses the current scope.
#include <vector>

#include "applications/py/model/arena_method_families.hpp"
#include "applications/py/model/hw_component/arena_impl_hwc_py.hpp"
#include "applications/py/model/model_arena_py.hpp"
#include "applications/py/runtime/py_warnings.hpp"
#include "model/flow_block/common/flow_block_stack.hpp"
#include "model/flow_block/cond/flow_block_zero_cond.hpp"

namespace vorlent::py {

namespace {

// A zcase opened in a zstate whose selector cannot hold its value would
// never match: warned of once it is open. The model's own openings (a
// gen_mux's chain) may come in a component phase; a caller's may not.
CheckResult py_initialize_flow_block(ModelArena& m, const FlowBlockIdent& block_i) {
    if (auto err = check_block_opens_in_flow_phase(m, "initialize_flow_block")) return err;
    if (auto err = initialize_flow_block(m, block_i)) return err;
    const std::optional<OpenedZcase> zcase = zcase_opened_in_zstate(m, block_i);
    if (!zcase) return std::nullopt;
    if (auto message =
            zcase_value_message(block_i.abs_name(), zcase->match_val, zcase->selector.abs_name(),
                                hcp_full_width(m, zcase->selector)))
        warn(*message);
    return std::nullopt;
}

// The caller closes the block it names; one open block above it is closed
// on the way. A block that cannot be closed so is refused.
CheckResult py_finalize_flow_block(ModelArena& m, const FlowBlockIdent& block_i) {
    return finalize_flow_block(m, block_i, false);
}

// The FlowBlockType value, as a plain int.
int32_t py_get_last_skeleton_flow_block_type(const ModelArena& m) {
    return int32_t(get_last_skeleton_flow_block_type(m));
}

}  // namespace

std::vector<PyMethodDef> flow_block_stack_methods() {
    return {
        arena_method<"initialize_flow_block($self, block_i)", &py_initialize_flow_block,
                     Describes::Behaviour>(),
        arena_method<"finalize_flow_block($self, block_i)", &py_finalize_flow_block>(),
        arena_method<"finalize_flow_procedure($self)", &finalize_flow_procedure>(),
        arena_method<"check_flow_block_prefinalize($self, block_i)",
                     &check_flow_block_prefinalize>(),
        arena_method_shared<"get_last_skeleton_flow_block_type($self)",
                            &py_get_last_skeleton_flow_block_type>(),
    };
}

}  // namespace vorlent::py
