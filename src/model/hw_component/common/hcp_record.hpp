// The data every hardware-component record holds (its identity and its
// assignable state) with the accessors and the arena plumbing built on it.
// Each kind's record derives from it, adds its own fields and answers the
// per-kind operations of HcpAssignable.
#pragma once

#include "model/hw_component/common/hcp_interfaces.hpp"

namespace vorlent {

class HcpRecord : public HcpBase {
public:
    HcpIdent ident;
    HcpAssign hcp_assign;

    const HcpIdent& get_ident_ref() const final { return ident; }
    HcpIdent& get_ident_mut() final { return ident; }
    const HcpAssign& get_hcp_assign() const final { return hcp_assign; }
    HcpAssign& get_hcp_assign_mut() final { return hcp_assign; }

    // What the arena needs of an element kind (see arena_base.hpp).
    uint64_t arena_global_id() const { return ident.global_id(); }
    ArenaHandle arena_handle() const { return ident.handle(); }
    using Identifiable::set_arena_handle;
    void set_arena_handle(ArenaHandle h) { ident.ident_base.set_arena_handle(h); }

protected:
    HcpRecord() = default;
    explicit HcpRecord(HcpIdent id) : ident(std::move(id)) {}
    HcpRecord(const HcpRecord&) = default;
    HcpRecord(HcpRecord&&) = default;
    HcpRecord& operator=(const HcpRecord&) = default;
    HcpRecord& operator=(HcpRecord&&) = default;
};

}  // namespace vorlent
