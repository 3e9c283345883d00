// ModelArena methods for modules: making them, tracking them through their
// stages on the module trace stack, choosing the top module, and building
// the whole tree's flow.
#include "applications/py/model/arena_method_families.hpp"
#include "applications/py/model/model_arena_py.hpp"
#include "model/module/arena_impl_module.hpp"
#include "model/module/build_flow.hpp"

namespace vorlent::py {

std::vector<PyMethodDef> module_methods() {
    return {
        arena_maker<"mk_module($self, name)", &make_module, ModuleKind::Module>(),
        arena_method<"track_module_at_com_init($self, module_i)", &track_module_at_com_init>(),
        arena_method<"track_module_at_flow_init($self, module_i)", &track_module_at_flow_init,
                     Describes::Behaviour>(),
        arena_method<"untrack_module_at_com_init($self, module_i)", &untrack_module_at_com_init>(),
        arena_method<"untrack_module_at_flow_init($self, module_i)",
                     &untrack_module_at_flow_init>(),
        arena_method<"set_top_module($self, module_i)", &set_top_module>(),
        arena_method<"build_flow($self)", &build_flow>(),
    };
}

}  // namespace vorlent::py
