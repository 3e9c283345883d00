// The identity of a hardware component.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "model/common/identifier.hpp"
#include "model/hw_component/common/hw_type.hpp"
#include "model/module/module_ident.hpp"

namespace vorlent {

// A hardware component's identity, copied by value into every record that
// refers to the component. Its module is named by the module's slot, not by
// a copy of the module's identity (see module_ident_of).
struct HcpIdent {
    IdentBase ident_base;

private:
    // The module's slot index plus one, 0 for none: the identity stays at 32
    // bytes (its last two free for a record that holds it), and it is copied
    // into nearly every record of the model.
    uint32_t module_slot_ = 0;

public:
    HwComponentType hw_type = HwComponentType::Reg;
    Sensitivity sensitive_type = Sensitivity::Clocked;

    // Takes the next global id; absolute name "{display}_{name}_{id}".
    static HcpIdent make(HwComponentType hw_type, Sensitivity sensitive_type, bool is_user_com,
                         std::string_view name);

    uint64_t global_id() const { return ident_base.global_id(); }
    std::string_view abs_name() const { return ident_base.abs_name(); }
    ArenaHandle handle() const { return ident_base.arena_handle(); }

    // The module's handle; null until stamped.
    ArenaHandle module_handle() const {
        return module_slot_ ? ArenaHandle{module_slot_ - 1, 0} : ArenaHandle::null();
    }
    // Module slots are never reused, so a module's handle always has the
    // first generation; any other stops as a broken invariant.
    void set_module_handle(ArenaHandle module);

    friend bool operator==(const HcpIdent&, const HcpIdent&) = default;
};

template <>
struct IdentKindField<HcpIdent> {
    static constexpr auto field = &HcpIdent::hw_type;
};

std::string debug_repr(const HcpIdent& h);

// Hash by global id alone, which agrees with equality.
struct HcpIdentHash {
    size_t operator()(const HcpIdent& h) const noexcept {
        return std::hash<uint64_t>{}(h.global_id());
    }
};

}  // namespace vorlent
