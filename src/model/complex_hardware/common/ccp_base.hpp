// The interface of a complex component taken out of its arena.
#pragma once

#include "model/complex_hardware/common/ccp_ident.hpp"

namespace vorlent {

class ModelArena;

class CcpBase {
public:
    virtual ~CcpBase() = default;
    // Lowers the component into hardware at build_flow time.
    virtual void build(ModelArena& model) = 0;
    // Replaces the component's whole identity.
    virtual void set_ccp_ident(const CcpIdent& ident) = 0;
};

// The identity and arena plumbing every complex-component kind shares.
class CcpRecord : public CcpBase {
public:
    CcpIdent ident;

    void set_ccp_ident(const CcpIdent& i) override { ident = i; }

    uint64_t arena_global_id() const { return ident.global_id(); }
    ArenaHandle arena_handle() const { return ident.handle(); }
    void set_arena_handle(ArenaHandle h) { ident.ident_base.set_arena_handle(h); }

protected:
    // A kind's placeholder, left in its slot while the component is out: a
    // fresh unnamed identity (one global id).
    template <class Kind>
    static Kind placeholder_of(CcpType type) {
        Kind e;
        e.ident = CcpIdent::make(type, false, "");
        return e;
    }
};

}  // namespace vorlent
