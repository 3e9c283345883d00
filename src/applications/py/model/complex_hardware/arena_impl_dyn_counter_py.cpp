// ModelArena methods that make and drive dynamic counters. Every method but
// mk_dyn_counter takes the counter out of its arena and puts it back, so
// each one, the reads included, draws one global id.
#include <optional>
#include <vector>

#include "applications/py/model/arena_method_families.hpp"
#include "applications/py/model/complex_hardware/arena_impl_ccp_py.hpp"
#include "applications/py/model/hw_component/arena_impl_hwc_py.hpp"
#include "applications/py/model/model_arena_py.hpp"
#include "applications/py/runtime/accessed.hpp"
#include "model/complex_hardware/dyn_counter/arena_factory_dyn_counter.hpp"
#include "model/complex_hardware/dyn_counter/arena_impl_dyn_counter.hpp"
#include "model/flow_block/common/flow_block_stack.hpp"
#include "model/hw_component/slice_check.hpp"

namespace vorlent::py {

namespace {

CheckResult check_counter(const CcpIdent& cnt_i) {
    return check_ccp_kind("cnt_i", cnt_i, CcpType::DynCounter);
}

Result<CcpIdent> mk_dyn_counter(ModelArena& m, std::string_view name, int32_t width) {
    if (auto err = check_counter_width(width)) return *err;
    return make_dyn_counter(m, true, name, width);
}

// The addend may be of any width; only a given enable must select one bit.
Result<HcpIdent> py_dyn_counter_add(ModelArena& m, const CcpIdent& cnt_i,
                                    const Reads<HcpIdent>& addend_i,
                                    std::optional<Slice> addend_slice,
                                    const Reads<std::optional<HcpIdent>>& enable_i,
                                    std::optional<Slice> enable_slice) {
    constexpr std::string_view where = "dyn_counter_add";
    if (auto err = check_counter(cnt_i)) return *err;
    if (auto err = check_slice_of(m, where, "addend_slice", addend_slice, addend_i)) return *err;
    if (enable_i)
        if (auto err = check_cond_width(m, where, "enable_slice", *enable_i, enable_slice))
            return *err;
    return dyn_counter_add(m, cnt_i, addend_i, addend_slice, enable_i, enable_slice);
}

CheckResult py_dyn_counter_update(ModelArena& m, const CcpIdent& cnt_i) {
    if (auto err = check_counter(cnt_i)) return err;
    if (auto err = check_loose_assignment_has_top(m, "dyn_counter_update")) return err;
    return dyn_counter_update(m, cnt_i);
}

template <auto Read>
Result<HcpIdent> py_dyn_counter_read(ModelArena& m, const CcpIdent& cnt_i) {
    if (auto err = check_counter(cnt_i)) return *err;
    return Read(m, cnt_i);
}

}  // namespace

std::vector<PyMethodDef> dyn_counter_methods() {
    return {
        arena_maker<"mk_dyn_counter($self, name, width)", &mk_dyn_counter, CcpType::DynCounter>(),
        arena_method<"dyn_counter_add($self, cnt_i, addend_i, addend_slice=None, enable_i=None, "
                     "enable_slice=None)",
                     &py_dyn_counter_add>(),
        arena_method<"dyn_counter_update($self, cnt_i)", &py_dyn_counter_update,
                     Describes::Behaviour>(),
        arena_method<"dyn_counter_get_now($self, cnt_i)",
                     &py_dyn_counter_read<&dyn_counter_get_now>>(),
        arena_method<"dyn_counter_get_reg($self, cnt_i)",
                     &py_dyn_counter_read<&dyn_counter_get_reg>>(),
    };
}

}  // namespace vorlent::py
