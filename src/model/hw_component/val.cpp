#include "model/hw_component/val.hpp"

#include <algorithm>

#include "model/controller/asm_mode.hpp"

namespace vorlent {

Val Val::make(bool is_user_com, std::string_view name, int32_t bit_width, uint64_t value) {
    // A negative width would read as a huge unsigned one: it holds no bits.
    const size_t limb_width = size_t(std::max<int32_t>(bit_width, 0));
    HcpIdent id = HcpIdent::make(HwComponentType::Val, Sensitivity::ReadOnly, is_user_com, name);
    return Val(std::move(id), VaryVal::from_u64(value, limb_width), bit_width);
}

int32_t Val::get_priority() const { return get_asm_pri_val(); }

NcpIdent Val::do_asm(const HcpIdent&, std::optional<Slice>, int32_t, int32_t, ModelArena&) {
    fatal("Val::do_asm should not be called");
}

UpdateEventIdent Val::gen_update_event(const HcpIdent&, std::optional<Slice>, Slice, ModelArena&) {
    fatal("Val::gen_update_event should not be called");
}

AssignMeta Val::gen_asm_meta(const HcpIdent&, std::optional<Slice>, int32_t, int32_t, ModelArena&) {
    fatal("Val::gen_asm_meta should not be called");
}

}  // namespace vorlent
