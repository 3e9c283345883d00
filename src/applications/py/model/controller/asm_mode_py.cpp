// ModelArena methods for the assignment priority. The state is per thread and
// shared by every model on it, so the model itself is not used; the calls
// still follow the object's thread and borrow rules.
#include "applications/py/model/arena_method_families.hpp"
#include "applications/py/model/model_arena_py.hpp"
#include "model/controller/asm_mode.hpp"

namespace vorlent::py {

namespace {

int32_t priority_value(const ModelArena&) { return get_asm_pri_val(); }
std::string_view priority_mode(const ModelArena&) { return get_asm_pri_mode(); }
void priority_to_auto(ModelArena&) { set_asm_pri_to_auto(); }
void priority_to_manual(ModelArena&, int32_t priority) { set_asm_pri_to_manual(priority); }

}  // namespace

std::vector<PyMethodDef> asm_priority_methods() {
    return {
        arena_method_shared<"get_asm_pri_val($self)", &priority_value>(),
        arena_method_shared<"get_asm_pri_mode($self)", &priority_mode>(),
        arena_method<"set_asm_pri_to_auto($self)", &priority_to_auto>(),
        arena_method<"set_asm_pri_to_manual($self, priority)", &priority_to_manual>(),
    };
}

}  // namespace vorlent::py
