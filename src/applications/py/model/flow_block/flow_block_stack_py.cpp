// ModelArena methods for the life of a flow block on the flow-block stack:
// opening, closing, the end of a module's description, the completeness
// check, and which kind of skeleton block encloses the current scope.
#include <vector>

#include "applications/py/model/arena_method_families.hpp"
#include "applications/py/model/model_arena_py.hpp"
#include "model/flow_block/common/flow_block_stack.hpp"

namespace vorlent::py {

namespace {

// The caller closes the block it names; one open block above it is closed
// on the way.
void py_finalize_flow_block(ModelArena& m, const FlowBlockIdent& block_i) {
    finalize_flow_block(m, block_i, false);
}

// The FlowBlockType value, as a plain int.
int32_t py_get_last_skeleton_flow_block_type(const ModelArena& m) {
    return int32_t(get_last_skeleton_flow_block_type(m));
}

}  // namespace

std::vector<PyMethodDef> flow_block_stack_methods() {
    return {
        arena_method<"initialize_flow_block($self, block_i)", &initialize_flow_block,
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
