// ModelArena methods that make flow blocks. A factory only makes the block:
// it is opened by initialize_flow_block and joins its parent when closed.
#include <vector>

#include "applications/py/model/arena_method_families.hpp"
#include "applications/py/model/model_arena_py.hpp"
#include "model/flow_block/common/arena_factory_flow_block.hpp"

namespace vorlent::py {

std::vector<PyMethodDef> flow_block_factory_methods() {
    return {
        arena_method<"mk_flow_block_seq($self, name)", &make_flow_block_seq>(),
        arena_method<"mk_flow_block_par_auto($self, name)", &make_flow_block_par_auto>(),
        arena_method<"mk_flow_block_par_no_sync($self, name)", &make_flow_block_par_no_sync>(),
    };
}

}  // namespace vorlent::py
