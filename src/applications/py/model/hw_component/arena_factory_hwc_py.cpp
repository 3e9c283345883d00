// ModelArena methods that make hardware components: registers, wires,
// constants and memories. Every component is user-made and stamped to the
// module being traced. Widths below 1 are refused here, before anything is
// made, for every kind alike; a constant's value that its width cannot hold
// is cut to it and warned of.
#include <vector>

#include "applications/py/model/arena_method_families.hpp"
#include "applications/py/model/model_arena_py.hpp"
#include "applications/py/runtime/accessed.hpp"
#include "applications/py/runtime/arg_checks.hpp"
#include "applications/py/runtime/py_warnings.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"

namespace vorlent::py {

namespace {

Result<HcpIdent> mk_reg(ModelArena& m, std::string_view name, int32_t bit_width) {
    if (auto err = check_positive_width("bit_width", bit_width)) return *err;
    return make_reg(m, true, name, uint32_t(bit_width));
}

Result<HcpIdent> mk_wire(ModelArena& m, std::string_view name, int32_t bit_width) {
    if (auto err = check_positive_width("bit_width", bit_width)) return *err;
    return make_wire(m, true, name, uint32_t(bit_width));
}

// The constant `made`, `width` bits wide, holds `value` cut to its width; a
// warning after it is made says so when that lost bits.
HcpIdent warned_if_cut(const HcpIdent& made, const WideInt& value, int32_t width) {
    IntCuts cuts;
    note_int_cut(cuts, value, width, made);
    warn_int_cuts(cuts);
    return made;
}

Result<HcpIdent> mk_val(ModelArena& m, std::string_view name, int32_t bit_width,
                        uint64_t init_val) {
    if (auto err = check_positive_width("bit_width", bit_width)) return *err;
    return warned_if_cut(make_val(m, true, name, bit_width, init_val),
                         WideInt::from_unsigned({init_val}), bit_width);
}

// `limbs` least significant first, brought to exactly the limbs the width needs.
Result<HcpIdent> mk_val_vv(ModelArena& m, std::string_view name, int32_t bit_width,
                           std::vector<uint64_t> limbs) {
    if (auto err = check_positive_width("bit_width", bit_width)) return *err;
    const WideInt value = WideInt::from_unsigned(limbs);
    return warned_if_cut(make_val_vv(m, true, name, uint32_t(bit_width),
                                     VaryVal::from_limbs(std::move(limbs), size_t(bit_width))),
                         value, bit_width);
}

// A zero index width is still the model's to refuse; one too wide to
// declare is refused here, not when emit writes it.
Result<HcpIdent> mk_mem_blk(ModelArena& m, std::string_view name, int32_t bit_width,
                            int32_t index_width) {
    if (auto err = check_positive_width("bit_width", bit_width)) return *err;
    if (auto err = check_mem_index_width(index_width)) return *err;
    return make_mem_blk(m, true, name, bit_width, index_width);
}

// The memory block's one use: the block of its elements. The index is read.
Result<HcpIdent> mk_mem_ele(ModelArena& m, std::string_view name, const HcpIdent& master_mem_blk_i,
                            const Reads<HcpIdent>& index_ident, int32_t bit_width, bool is_read) {
    if (auto err = check_hcp_kind("master_mem_blk_i", master_mem_blk_i, HwComponentType::MemBlock))
        return *err;
    if (auto err = check_positive_width("bit_width", bit_width)) return *err;
    return make_mem_ele(m, true, name, master_mem_blk_i, index_ident, bit_width, is_read);
}

}  // namespace

std::vector<PyMethodDef> hw_component_factory_methods() {
    return {
        arena_maker<"mk_reg($self, name, bit_width)", &mk_reg, HwComponentType::Reg>(),
        arena_maker<"mk_wire($self, name, bit_width)", &mk_wire, HwComponentType::Wire>(),
        arena_maker<"mk_val($self, name, bit_width, init_val)", &mk_val, HwComponentType::Val>(),
        arena_maker<"mk_val_vv($self, name, bit_width, limbs)", &mk_val_vv, HwComponentType::Val>(),
        arena_maker<"mk_mem_blk($self, name, bit_width, index_width)", &mk_mem_blk,
                    HwComponentType::MemBlock>(),
        arena_maker<"mk_mem_ele($self, name, master_mem_blk_i, index_ident, bit_width, is_read)",
                    &mk_mem_ele, HwComponentType::MemBlockIndexer>(),
    };
}

}  // namespace vorlent::py
